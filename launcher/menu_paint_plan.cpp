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
  const int l = item.left, t = item.top, r = item.right, b = item.bottom;
  EntryPaint paint;
  switch (kind) {
    case MenuEntryKind::Separator:
      paint.fills = {{{l, t, kGutterRight, b}, kGutterColour},
                     {{kGutterRight, t, r, b}, kBackgroundColour},
                     {{kSeparatorLineLeft, t + 2, r, b - 2}, kSeparatorLineColour}};
      return paint;
    case MenuEntryKind::Banner:
      paint.fills = {{{l, t, kGutterRight, b}, kGutterColour},
                     {{kGutterRight, t, r, b}, kFrameColour},
                     {{kGutterRight + 1, t + 1, r - 1, b - 1}, kBannerColour}};
      paint.icon = PaintedIcon::Banner;
      paint.iconX = r - kIconSize;
      paint.iconY = 1;
      return paint;
    case MenuEntryKind::Item:
    case MenuEntryKind::Submenu:
      break;
  }
  if (selected) {
    paint.fills = {{{l, t, r, b}, kFrameColour},
                   {{l + 1, t + 1, r - 1, b - 1}, kSelectedColour}};
  } else {
    paint.fills = {{{l, t, kGutterRight, b}, kGutterColour},
                   {{kGutterRight, t, r, b}, kBackgroundColour}};
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
