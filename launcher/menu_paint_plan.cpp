#include "menu_paint_plan.h"

#include <algorithm>

namespace vorlane::launcher {

PaintSize MeasureEntry(MenuEntryKind kind, PaintSize text) {
  switch (kind) {
    case MenuEntryKind::Separator:
      return {kSeparatorWidth, kSeparatorHeight};
    case MenuEntryKind::Banner:
      return {kBannerWidth, kBannerHeight};
    case MenuEntryKind::Submenu:
      return {text.width + kSubmenuExtraWidth,
              std::max(text.height, kMinimumEntryHeight)};
    case MenuEntryKind::Item:
      break;
  }
  return {text.width + kItemExtraWidth,
          std::max(text.height, kMinimumEntryHeight)};
}

EntryPaint PlanEntryPaint(MenuEntryKind kind, bool selected, bool hasIcon,
                          PaintRect item, int textHeight) {
  // Offsets count from the entry's left edge and the banner's top: on Windows
  // these are the popup's own edges, while Wine keeps a margin around the
  // entries.
  const int l = item.left, t = item.top, r = item.right, b = item.bottom;
  const int gutter = l + kGutterRight;
  EntryPaint paint;
  switch (kind) {
    case MenuEntryKind::Separator:
      paint.fills = {{{l, t, gutter, b}, kGutterColour},
                     {{gutter, t, r, b}, kBackgroundColour},
                     {{l + kSeparatorLineLeft, t + 2, r, b - 2},
                      kSeparatorLineColour}};
      return paint;
    case MenuEntryKind::Banner:
      paint.fills = {{{l, t, gutter, b}, kGutterColour},
                     {{gutter, t, r, b}, kFrameColour},
                     {{gutter + 1, t + 1, r - 1, b - 1}, kBannerColour}};
      paint.icon = PaintedIcon::Banner;
      paint.iconX = r - kIconSize;
      paint.iconY = t + 1;
      return paint;
    case MenuEntryKind::Item:
    case MenuEntryKind::Submenu:
      break;
  }
  if (selected) {
    paint.fills = {{{l, t, r, b}, kFrameColour},
                   {{l + 1, t + 1, r - 1, b - 1}, kSelectedColour}};
  } else {
    paint.fills = {{{l, t, gutter, b}, kGutterColour},
                   {{gutter, t, r, b}, kBackgroundColour}};
  }
  if (kind == MenuEntryKind::Submenu) {
    paint.icon = PaintedIcon::Submenu;
  } else if (hasIcon) {
    paint.icon = PaintedIcon::Entry;
  }
  paint.iconX = l + kIconOffset;
  paint.iconY = t + (b - t - kIconSize) / 2;
  paint.text = true;
  paint.textX = l + kTextOffset;
  paint.textY = t + (b - t - textHeight) / 2;
  return paint;
}

}  // namespace vorlane::launcher
