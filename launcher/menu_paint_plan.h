// The launcher's flat menu look as numbers: colours, geometry, the size of
// each kind of entry and what painting one entry fills and draws where.
#pragma once

#include <cstdint>
#include <vector>

#include "launcher/menu_model.h"
#include "settings/settings_model.h"

namespace vorlane::launcher {

// COLORREF values, 0x00BBGGRR. The light scheme, as the menu always looked;
// its text takes the system's menu text colour.
inline constexpr std::uint32_t kGutterColour = 0x00D1D8DB;
inline constexpr std::uint32_t kBackgroundColour = 0x00F7F8F9;
inline constexpr std::uint32_t kSeparatorLineColour = 0x00A6A6A6;
inline constexpr std::uint32_t kFrameColour = 0x006A240A;
inline constexpr std::uint32_t kSelectedColour = 0x00D2BDB6;
inline constexpr std::uint32_t kBannerColour = 0x00E29C7C;


// The dark scheme, for the system's dark app mode: the same parts in dark
// greys and blues, every text at least 4.5 times as bright as what it
// stands on.
inline constexpr std::uint32_t kDarkGutterColour = 0x00202020;
inline constexpr std::uint32_t kDarkBackgroundColour = 0x002B2B2B;
inline constexpr std::uint32_t kDarkSeparatorLineColour = 0x00606060;
inline constexpr std::uint32_t kDarkFrameColour = 0x00E0A060;
inline constexpr std::uint32_t kDarkSelectedColour = 0x00784F26;
inline constexpr std::uint32_t kDarkBannerColour = 0x00825A37;
inline constexpr std::uint32_t kDarkTextColour = 0x00F0F0F0;
inline constexpr std::uint32_t kDarkDisabledTextColour = 0x00A0A0A0;

// The least contrast of text against what it stands on (WCAG AA).
inline constexpr double kLeastTextContrast = 4.5;

// The system's own colours that the menu may take (GetSysColor's answers).
struct SystemColours {
  std::uint32_t menu = 0x00FFFFFF;           // COLOR_MENU
  std::uint32_t menuText = 0;                // COLOR_MENUTEXT
  std::uint32_t highlight = 0x00FF0000;      // COLOR_HIGHLIGHT
  std::uint32_t highlightText = 0x00FFFFFF;  // COLOR_HIGHLIGHTTEXT
  std::uint32_t grayText = 0x00808080;       // COLOR_GRAYTEXT
  std::uint32_t shadow = 0x00808080;         // COLOR_3DSHADOW
};

// What the system says, asked at each opening of the menu.
struct SystemLook {
  bool appsDark = false;      // the app mode is dark
  bool highContrast = false;  // a high-contrast theme is on
  SystemColours colours;
};

enum class MenuLook { Light, Dark, HighContrast };

// High contrast wins over everything, so that the menu stays readable in
// the colours the user chose; then the Theme key; then the app mode.
MenuLook ChooseMenuLook(settings::ThemeChoice theme, const SystemLook& system);

struct MenuPalette {
  std::uint32_t gutter = kGutterColour;
  std::uint32_t background = kBackgroundColour;
  std::uint32_t separatorLine = kSeparatorLineColour;
  std::uint32_t frame = kFrameColour;
  std::uint32_t selected = kSelectedColour;
  std::uint32_t banner = kBannerColour;
  std::uint32_t text = 0;
  std::uint32_t selectedText = 0;
  // The lines a folder's submenu shows that choose nothing.
  std::uint32_t disabledText = 0x00808080;
  // The platform draws a submenu's arrow in the system's menu text colour,
  // black on white under Wine: a scheme of other colours draws its own.
  bool ownArrow = false;
  bool operator==(const MenuPalette&) const = default;
};
// In high contrast only the system's colours, none of the fixed ones.
MenuPalette PaletteFor(MenuLook look, const SystemColours& system);

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
// A submenu's own arrow: a triangle this wide and twice as high less one,
// this far from the entry's right edge.
inline constexpr int kArrowWidth = 4;
inline constexpr int kArrowRightGap = 6;

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
  int arrowWidth = kArrowWidth;
  int arrowRightGap = kArrowRightGap;
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
  std::uint32_t textColour = 0;
};

// The size the platform is told for an entry whose text measures `text`.
PaintSize MeasureEntry(MenuEntryKind kind, PaintSize text,
                       const MenuGeometry& geometry = {});

// How an entry is painted into `item` (the platform's rcItem). `textHeight`
// is the measured height of its text; `hasIcon` whether it holds an icon.
EntryPaint PlanEntryPaint(MenuEntryKind kind, bool selected, bool hasIcon,
                          PaintRect item, int textHeight,
                          const MenuGeometry& geometry = {},
                          const MenuPalette& palette = {},
                          bool disabled = false);

}  // namespace vorlane::launcher
