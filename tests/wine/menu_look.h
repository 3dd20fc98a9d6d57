// The launcher's menu colours as a person sees them on the screen: COLORREF
// values (0x00BBGGRR), the form GetPixel and the screen readers answer in.
// Written out here rather than taken from the launcher, so that the tests
// check the launcher against the look, not against itself.
#pragma once

#include <windows.h>

namespace vorlane::test {

constexpr COLORREF kGutter = 0x00D1D8DB;
constexpr COLORREF kBackground = 0x00F7F8F9;
constexpr COLORREF kSeparatorLine = 0x00A6A6A6;
constexpr COLORREF kFrame = 0x006A240A;
constexpr COLORREF kSelected = 0x00D2BDB6;
constexpr COLORREF kBanner = 0x00E29C7C;

}  // namespace vorlane::test
