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
                    &g.frameWidth}) {
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

EntryPaint PlanEntryPaint(MenuEntryKind kind, bool selected, bool hasIcon,
                          PaintRect item, int textHeight, const MenuGeometry& g) {
  // Offsets count from the entry's left edge and the banner's top: on Windows
  // these are the popup's own edges, while Wine keeps a margin around the
  // entries.
  const int l = item.left, t = item.top, r = item.right, b = item.bottom;
  const int gutter = l + g.gutterRight;
  const int f = g.frameWidth;
  EntryPaint paint;
  switch (kind) {
    case MenuEntryKind::Separator:
      paint.fills = {{{l, t, gutter, b}, kGutterColour},
                     {{gutter, t, r, b}, kBackgroundColour},
                     {{l + g.separatorLineLeft, t + g.separatorLineInset, r,
                       b - g.separatorLineInset},
                      kSeparatorLineColour}};
      return paint;
    case MenuEntryKind::Banner:
      paint.fills = {{{l, t, gutter, b}, kGutterColour},
                     {{gutter, t, r, b}, kFrameColour},
                     {{gutter + f, t + f, r - f, b - f}, kBannerColour}};
      paint.icon = PaintedIcon::Banner;
      paint.iconX = r - g.iconSize;
      paint.iconY = t + f;
      return paint;
    case MenuEntryKind::Item:
    case MenuEntryKind::Submenu:
      break;
  }
  if (selected) {
    paint.fills = {{{l, t, r, b}, kFrameColour},
                   {{l + f, t + f, r - f, b - f}, kSelectedColour}};
  } else {
    paint.fills = {{{l, t, gutter, b}, kGutterColour},
                   {{gutter, t, r, b}, kBackgroundColour}};
  }
  if (kind == MenuEntryKind::Submenu) {
    paint.icon = PaintedIcon::Submenu;
  } else if (hasIcon) {
    paint.icon = PaintedIcon::Entry;
  }
  paint.iconX = l + g.iconOffset;
  paint.iconY = t + (b - t - g.iconSize) / 2;
  paint.text = true;
  paint.textX = l + g.textOffset;
  paint.textY = t + (b - t - textHeight) / 2;
  return paint;
}

}  // namespace vorlane::launcher
