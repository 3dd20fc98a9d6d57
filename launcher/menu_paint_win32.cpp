#include <windows.h>

#include <cstring>

#include "launcher/launcher_state.h"
#include "launcher/menu_paint_plan.h"
#include "resources/resource_ids.h"

namespace vorlane::launcher {
namespace {

const MenuEntry* EntryOf(ULONG_PTR itemData) {
  return reinterpret_cast<const MenuEntry*>(itemData);
}

// Descriptions are drawn exactly as stored: "&" is a character like any
// other, as it always was in this menu.
// A folder's entries show their names as the folder holds them, also
// outside the ANSI code page.
PaintSize TextSize(HDC dc, const MenuEntry& entry) {
  SIZE size{};
  if (!entry.wideText.empty()) {
    GetTextExtentPoint32W(dc, entry.wideText.c_str(),
                          static_cast<int>(entry.wideText.size()), &size);
  } else {
    GetTextExtentPoint32A(dc, entry.text, static_cast<int>(std::strlen(entry.text)), &size);
  }
  return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

void DrawEntryText(HDC dc, const MenuEntry& entry, int x, int y) {
  if (!entry.wideText.empty()) {
    TextOutW(dc, x, y, entry.wideText.c_str(),
             static_cast<int>(entry.wideText.size()));
  } else {
    TextOutA(dc, x, y, entry.text, static_cast<int>(std::strlen(entry.text)));
  }
}

void FillWith(HDC dc, const Fill& fill) {
  win32::UniqueBrush brush(CreateSolidBrush(fill.colour));
  if (!brush) {
    return;
  }
  const RECT rect{fill.rect.left, fill.rect.top, fill.rect.right,
                  fill.rect.bottom};
  FillRect(dc, &rect, brush.get());
}

void DrawSmallIcon(HDC dc, HICON icon, int x, int y) {
  const int size = State().geometry.iconSize;
  if (icon != nullptr) {
    DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
  }
}

// The submenu and banner marks, loaded once per showing of the menu rather
// than for every entry painted.
HICON PaintIcon(int id) {
  win32::UniqueIcon& icon = id == IDI_SUBMENU ? State().submenuMark
                                              : State().bannerMark;
  if (!icon) {
    icon.reset(LoadResourceIcon(id, State().geometry.iconSize));
  }
  return icon.get();
}

// The platform paints a submenu's arrow into the same device context once
// the entry is painted; taking the entry out of the context's clipping
// keeps it off where the entry draws its own.
void KeepPlatformArrowOff(const DRAWITEMSTRUCT& draw) {
  if (State().palette.ownArrow) {
    ExcludeClipRect(draw.hDC, draw.rcItem.left, draw.rcItem.top,
                    draw.rcItem.right, draw.rcItem.bottom);
  }
}

void PaintEntry(HDC dc, const MenuEntry& entry, const DRAWITEMSTRUCT& draw) {
  win32::SelectedObject font(dc, State().menuFont);
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  const bool drawsText = entry.kind == MenuEntryKind::Item ||
                         entry.kind == MenuEntryKind::Submenu;
  int textHeight = 0;
  if (drawsText) {
    SetBkMode(dc, TRANSPARENT);
    textHeight = TextSize(dc, entry).height;
    SetTextAlign(dc, TA_LEFT | TA_TOP);
  }
  const PaintRect item{draw.rcItem.left, draw.rcItem.top, draw.rcItem.right,
                       draw.rcItem.bottom};
  const EntryPaint paint = PlanEntryPaint(entry.kind, selected,
                                          entry.Icon() != nullptr, item,
                                          textHeight, State().geometry,
                                          State().palette,
                                          (draw.itemState & ODS_DISABLED) != 0);
  for (const Fill& fill : paint.fills) {
    FillWith(dc, fill);
  }
  switch (paint.icon) {
    case PaintedIcon::None:
      break;
    case PaintedIcon::Entry:
      DrawSmallIcon(dc, entry.Icon(), paint.iconX, paint.iconY);
      break;
    case PaintedIcon::Submenu:
      DrawSmallIcon(dc, PaintIcon(IDI_SUBMENU), paint.iconX, paint.iconY);
      break;
    case PaintedIcon::Banner:
      DrawSmallIcon(dc, PaintIcon(IDI_BANNER), paint.iconX, paint.iconY);
      break;
  }
  if (paint.text) {
    SetTextColor(dc, paint.textColour);
    DrawEntryText(dc, entry, paint.textX, paint.textY);
  }
}

}  // namespace

bool MeasureMenuEntry(MEASUREITEMSTRUCT& measure) {
  if (State().menuFont == nullptr || measure.CtlType != ODT_MENU ||
      measure.itemData == 0) {
    return false;
  }
  const MenuEntry& entry = *EntryOf(measure.itemData);
  PaintSize text{};
  if (entry.kind != MenuEntryKind::Separator) {
    win32::UniqueMemoryDc& dc = State().measuringDc;
    if (!dc) {
      dc.reset(CreateCompatibleDC(nullptr));
    }
    if (dc) {
      win32::SelectedObject font(dc.get(), State().menuFont);
      text = TextSize(dc.get(), entry);
    }
  }
  const PaintSize size = MeasureEntry(entry.kind, text, State().geometry);
  measure.itemWidth = static_cast<UINT>(size.width);
  measure.itemHeight = static_cast<UINT>(size.height);
  return true;
}

bool DrawMenuEntry(const DRAWITEMSTRUCT& draw) {
  if (State().menuFont == nullptr || draw.CtlType != ODT_MENU ||
      draw.itemData == 0) {
    return false;
  }
  const MenuEntry& entry = *EntryOf(draw.itemData);
  const RECT& r = draw.rcItem;

  // Painted off-screen, then copied in one step, so that moving the
  // selection does not flicker. The bitmap is only as large as the entry,
  // which is painted at its origin: everything in an entry is placed from
  // its own edges, and entries far down a long menu would otherwise each
  // need a bitmap of megabytes.
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  win32::UniqueMemoryDc memory(CreateCompatibleDC(draw.hDC));
  win32::UniqueBitmap bitmap(
      memory ? CreateCompatibleBitmap(draw.hDC, width, height) : nullptr);
  if (!memory || !bitmap) {
    PaintEntry(draw.hDC, entry, draw);
    KeepPlatformArrowOff(draw);
    return true;
  }
  {
    win32::SelectedObject selected(memory.get(), bitmap.get());
    DRAWITEMSTRUCT atOrigin = draw;
    atOrigin.rcItem = RECT{0, 0, width, height};
    PaintEntry(memory.get(), entry, atOrigin);
    BitBlt(draw.hDC, r.left, r.top, width, height, memory.get(), 0, 0, SRCCOPY);
  }
  KeepPlatformArrowOff(draw);
  return true;
}

}  // namespace vorlane::launcher
