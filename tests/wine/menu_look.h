// The launcher's menu look as a person sees it on the screen: colours as
// COLORREF values (0x00BBGGRR), the form GetPixel and the screen readers
// answer in, and the entries' geometry. Written out here rather than taken
// from the launcher, so that the tests check the launcher against the look,
// not against itself.
#pragma once

#include <windows.h>

namespace vorlane::test {

constexpr COLORREF kGutter = 0x00D1D8DB;
constexpr COLORREF kBackground = 0x00F7F8F9;
constexpr COLORREF kSeparatorLine = 0x00A6A6A6;
constexpr COLORREF kFrame = 0x006A240A;
constexpr COLORREF kSelected = 0x00D2BDB6;
constexpr COLORREF kBanner = 0x00E29C7C;

// The fills of each part of an entry in one look.
struct Scheme {
  COLORREF gutter;
  COLORREF background;
  COLORREF separatorLine;
  COLORREF frame;
  COLORREF selected;
  COLORREF banner;
};
constexpr Scheme kLightScheme{kGutter,   kBackground, kSeparatorLine,
                              kFrame,    kSelected,   kBanner};
// The look in the system's dark app mode, its text near white.
constexpr Scheme kDarkScheme{0x00202020, 0x002B2B2B, 0x00606060,
                             0x00E0A060, 0x00784F26, 0x00825A37};

// The least contrast a person with low vision can read text at (WCAG AA).
constexpr double kReadableContrast = 4.5;

// x offsets from an entry's left edge, which under Wine lies a few pixels
// inside the popup; the icon box is centred in the entry's height.
constexpr int kGutterRight = 23;
constexpr int kSeparatorLineLeft = 27;
constexpr int kIconOffset = 3;
constexpr int kIconSize = 16;
constexpr int kTextOffset = 27;
constexpr int kBannerHeight = 17;
constexpr int kSeparatorHeight = 5;
constexpr int kMinimumEntryHeight = 20;

}  // namespace vorlane::test
