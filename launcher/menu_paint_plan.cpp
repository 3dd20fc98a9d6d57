#include "menu_paint_plan.h"

#include <algorithm>

namespace vorlane::launcher {
namespace {
// Beyond this no display goes (it is 20 times 96).
constexpr int kMostDpi = 1920;
}  // namespace

int ScaledToDpi(int value, int dpi) {
  if (dpi < kBaseDpi || dpi > kMostDpi) dpi = kBaseDpi;
  const long long scaled = static_cast<long long>(value) * dpi;
  const long long half = kBaseDpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kBaseDpi
                                      : (scaled - half) / kBaseDpi);
}

MenuGeometry MenuGeometryAt(int dpi) {
  MenuGeometry g;
  for (int* size : {&g.gutterRight, &g.iconOffset, &g.iconSize, &g.textOffset,
                    &g.separatorLineLeft, &g.separatorWidth, &g.separatorHeight,
                    &g.separatorLineInset, &g.bannerWidth, &g.bannerHeight,
                    &g.minimumEntryHeight, &g.itemExtraWidth, &g.submenuExtraWidth,
                    &g.frameWidth, &g.arrowWidth, &g.arrowRightGap}) {
    *size = ScaledToDpi(*size, dpi);
  }
  return g;
}

PaintSize MeasureEntry(MenuEntryKind kind, PaintSize text, const MenuGeometry& g) {
  switch (kind) {
    case MenuEntryKind::Separator:
      return {g.separatorWidth, g.separatorHeight};
    case MenuEntryKind::Banner:
      return {g.bannerWidth, g.bannerHeight};
    case MenuEntryKind::Submenu:
      return {text.width + g.submenuExtraWidth,
              std::max(text.height, g.minimumEntryHeight)};
    case MenuEntryKind::Item:
      break;
  }
  return {text.width + g.itemExtraWidth,
          std::max(text.height, g.minimumEntryHeight)};
}

MenuLook ChooseMenuLook(settings::ThemeChoice theme, const SystemLook& system) {
  if (system.highContrast) {
    return MenuLook::HighContrast;
  }
  switch (theme) {
    case settings::ThemeChoice::Light:
      return MenuLook::Light;
    case settings::ThemeChoice::Dark:
      return MenuLook::Dark;
    case settings::ThemeChoice::FollowSystem:
      break;
  }
  return system.appsDark ? MenuLook::Dark : MenuLook::Light;
}

MenuPalette PaletteFor(MenuLook look, const SystemColours& system) {
  switch (look) {
    case MenuLook::Dark:
      return {kDarkGutterColour, kDarkBackgroundColour, kDarkSeparatorLineColour,
              kDarkFrameColour,  kDarkSelectedColour,   kDarkBannerColour,
              kDarkTextColour,   kDarkTextColour,       kDarkDisabledTextColour,
              true};
    case MenuLook::HighContrast:
      // One colour behind the icons and text, as the system's own menus
      // have it; the selection and the banner in the highlight colour.
      return {system.menu,      system.menu,     system.shadow,
              system.highlight, system.highlight, system.highlight,
              system.menuText,  system.highlightText, system.grayText};
    case MenuLook::Light:
      break;
  }
  MenuPalette light;
  light.text = system.menuText;
  light.selectedText = system.menuText;
  light.disabledText = system.grayText;
  return light;
}

EntryPaint PlanEntryPaint(MenuEntryKind kind, bool selected, bool hasIcon,
                          PaintRect item, int textHeight, const MenuGeometry& g,
                          const MenuPalette& p, bool disabled) {
  // Offsets count from the entry's left edge and the banner's top: on Windows
  // these are the popup's own edges, while Wine keeps a margin around the
  // entries.
  const int l = item.left, t = item.top, r = item.right, b = item.bottom;
  const int gutter = l + g.gutterRight;
  const int f = g.frameWidth;
  EntryPaint paint;
  switch (kind) {
    case MenuEntryKind::Separator:
      paint.fills = {{{l, t, gutter, b}, p.gutter},
                     {{gutter, t, r, b}, p.background},
                     {{l + g.separatorLineLeft, t + g.separatorLineInset, r,
                       b - g.separatorLineInset},
                      p.separatorLine}};
      return paint;
    case MenuEntryKind::Banner:
      paint.fills = {{{l, t, gutter, b}, p.gutter},
                     {{gutter, t, r, b}, p.frame},
                     {{gutter + f, t + f, r - f, b - f}, p.banner}};
      paint.icon = PaintedIcon::Banner;
      paint.iconX = r - g.iconSize;
      paint.iconY = t + f;
      return paint;
    case MenuEntryKind::Item:
    case MenuEntryKind::Submenu:
      break;
  }
  if (selected) {
    paint.fills = {{{l, t, r, b}, p.frame},
                   {{l + f, t + f, r - f, b - f}, p.selected}};
  } else {
    paint.fills = {{{l, t, gutter, b}, p.gutter},
                   {{gutter, t, r, b}, p.background}};
  }
  if (kind == MenuEntryKind::Submenu && p.ownArrow) {
    // Column by column, each one row shorter at both ends, pointing right.
    const std::uint32_t colour = selected ? p.selectedText : p.text;
    const int height = 2 * g.arrowWidth - 1;
    const int top = t + (b - t - height) / 2;
    const int left = r - g.arrowRightGap - g.arrowWidth;
    for (int column = 0; column < g.arrowWidth; ++column) {
      paint.fills.push_back({{left + column, top + column, left + column + 1,
                              top + height - column},
                             colour});
    }
  }
  if (kind == MenuEntryKind::Submenu) {
    paint.icon = PaintedIcon::Submenu;
  } else if (hasIcon) {
    paint.icon = PaintedIcon::Entry;
  }
  paint.iconX = l + g.iconOffset;
  paint.iconY = t + (b - t - g.iconSize) / 2;
  paint.text = true;
  paint.textColour = disabled ? p.disabledText : selected ? p.selectedText : p.text;
  paint.textX = l + g.textOffset;
  paint.textY = t + (b - t - textHeight) / 2;
  return paint;
}

}  // namespace vorlane::launcher
