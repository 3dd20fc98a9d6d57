// The launcher's flat menu look as numbers: colours, geometry, the size of
// each kind of entry and what painting one entry fills and draws where.
#pragma once

#include <cstdint>
#include <vector>

#include "launcher/menu_model.h"

namespace vorlane::launcher {

// COLORREF values, 0x00BBGGRR.
inline constexpr std::uint32_t kGutterColour = 0x00D1D8DB;
inline constexpr std::uint32_t kBackgroundColour = 0x00F7F8F9;
inline constexpr std::uint32_t kSeparatorLineColour = 0x00A6A6A6;
inline constexpr std::uint32_t kFrameColour = 0x006A240A;
inline constexpr std::uint32_t kSelectedColour = 0x00D2BDB6;
inline constexpr std::uint32_t kBannerColour = 0x00E29C7C;

inline constexpr int kGutterRight = 23;
inline constexpr int kIconOffset = 3;
inline constexpr int kIconSize = 16;
inline constexpr int kTextOffset = 27;
inline constexpr int kSeparatorLineLeft = 27;
inline constexpr int kSeparatorWidth = 100;
inline constexpr int kSeparatorHeight = 5;
inline constexpr int kBannerWidth = 100;
inline constexpr int kBannerHeight = 17;
inline constexpr int kMinimumEntryHeight = 20;
inline constexpr int kItemExtraWidth = 27;
inline constexpr int kSubmenuExtraWidth = 38;
inline constexpr int kFrameWidth = 1;
inline constexpr int kSeparatorLineInset = 2;

// The dots per inch at which the numbers above are the sizes on screen.
inline constexpr int kBaseDpi = 96;

// `value` at `dpi`, rounded as the platform scales (MulDiv): the same at 96,
// and never 0 for a size that is not 0 there.
int ScaledToDpi(int value, int dpi);

// The numbers above at a display's dots per inch. A dpi below 96 or beyond
// any display's (a damaged answer) is taken as 96.
struct MenuGeometry {
  int gutterRight = kGutterRight;
  int iconOffset = kIconOffset;
  int iconSize = kIconSize;
  int textOffset = kTextOffset;
  int separatorLineLeft = kSeparatorLineLeft;
  int separatorWidth = kSeparatorWidth;
  int separatorHeight = kSeparatorHeight;
  int separatorLineInset = kSeparatorLineInset;
  int bannerWidth = kBannerWidth;
  int bannerHeight = kBannerHeight;
  int minimumEntryHeight = kMinimumEntryHeight;
  int itemExtraWidth = kItemExtraWidth;
  int submenuExtraWidth = kSubmenuExtraWidth;
  int frameWidth = kFrameWidth;
  bool operator==(const MenuGeometry&) const = default;
};
MenuGeometry MenuGeometryAt(int dpi);

struct PaintRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const PaintRect&) const = default;
};

struct PaintSize {
  int width = 0, height = 0;
  bool operator==(const PaintSize&) const = default;
};

struct Fill {
  PaintRect rect;
  std::uint32_t colour = 0;
  bool operator==(const Fill&) const = default;
};

enum class PaintedIcon { None, Entry, Submenu, Banner };

struct EntryPaint {
  std::vector<Fill> fills;  // in order
  PaintedIcon icon = PaintedIcon::None;
  int iconX = 0, iconY = 0;
  bool text = false;
  int textX = 0, textY = 0;
};

// The size the platform is told for an entry whose text measures `text`.
PaintSize MeasureEntry(MenuEntryKind kind, PaintSize text,
                       const MenuGeometry& geometry = {});

// How an entry is painted into `item` (the platform's rcItem). `textHeight`
// is the measured height of its text; `hasIcon` whether it holds an icon.
EntryPaint PlanEntryPaint(MenuEntryKind kind, bool selected, bool hasIcon,
                          PaintRect item, int textHeight,
                          const MenuGeometry& geometry = {});

}  // namespace vorlane::launcher
