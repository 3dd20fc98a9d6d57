#include "menu_screen.h"

#include <algorithm>
#include <cstdint>

#include "menu_look.h"
#include "tests/contrast.h"
#include "win32/handles.h"

namespace vorlane::test {
namespace {

// How far into a popup from its top or bottom edge the first or last entry's
// colours are looked for; covers Wine's frame and the scroll arrows it adds
// to a popup taller than the screen.
constexpr int kEdgeBand = 40;
// Wine keeps a margin of a few pixels left of the entries.
constexpr int kCornerSearchWidth = 10;

RECT TopBand(RECT area) {
  area.bottom = std::min(area.bottom, area.top + kEdgeBand);
  return area;
}

RECT BottomBand(RECT area) {
  area.top = std::max(area.top, area.bottom - kEdgeBand);
  return area;
}

bool Painted(HWND popup, const std::vector<COLORREF>& firstEntry,
             const std::vector<COLORREF>& lastEntry) {
  const RECT area = ClientOnScreen(popup);
  return ScreenShot(TopBand(area)).ShowsAll(firstEntry) &&
         ScreenShot(BottomBand(area)).ShowsAll(lastEntry);
}

// The corner is looked for near the client area's top left only.
RECT CornerSearchArea(const RECT& client) {
  return {client.left, client.top,
          std::min(client.right, client.left + kCornerSearchWidth),
          std::min(client.bottom, client.top + kEdgeBand)};
}

// How many entries fit wholly between the first entry's top and the lowest
// pixel of an entry's fill in the column just inside the entries' left
// edge: the bottom scroll arrow of a tall popup hides the rest.
int WhollyVisibleEntries(const RECT& client, POINT corner, int entryHeight) {
  const int x = client.left + corner.x + 1;
  const ScreenShot column({x, client.top, x + 1, client.bottom});
  for (int y = column.Height() - 1; y >= corner.y; --y) {
    const COLORREF pixel = column.At(0, y);
    if (pixel == kGutter || pixel == kSelected) {
      return (y + 1 - corner.y) / entryHeight;
    }
  }
  return 0;
}

// The entry's fill is the gutter, or the selection when the entry is
// selected: anything else in its box is its icon.
bool ShowsIcon(const ScreenShot& column, int boxTop) {
  for (int y = boxTop; y < boxTop + kIconSize; ++y) {
    for (int x = 0; x < column.Width(); ++x) {
      const COLORREF pixel = column.At(x, y);
      if (pixel != kGutter && pixel != kSelected) return true;
    }
  }
  return false;
}

}  // namespace

int MenuTextHeight() {
  win32::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  win32::SelectedObject font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  GetTextExtentPoint32A(dc.get(), "Vorlane", 7, &size);
  return static_cast<int>(size.cy);
}

int MenuEntryHeight() {
  return std::max(MenuTextHeight(), kMinimumEntryHeight);
}

std::optional<POINT> FirstEntryCorner(const ScreenShot& shot, COLORREF gutter,
                                      COLORREF frame) {
  for (int y = 0; y < shot.Height(); ++y) {
    for (int x = 0; x < shot.Width(); ++x) {
      const COLORREF pixel = shot.At(x, y);
      if (pixel == gutter || pixel == frame) return POINT{x, y};
    }
  }
  return std::nullopt;
}

double TextContrast(const ScreenShot& shot, const RECT& area, COLORREF behind) {
  double most = 1.0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      most = std::max(most, ContrastRatio(shot.At(x, y), behind));
    }
  }
  return most;
}

MenuLook LauncherLook() { return {{kBanner}, {kSelected}, {kGutter}}; }

MenuLook BareLook() {
  BOOL flat = FALSE;
  SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0);
  const COLORREF background = GetSysColor(COLOR_MENU);
  const COLORREF text = GetSysColor(COLOR_MENUTEXT);
  // Flat menus mark the selected item with a colour of their own.
  const COLORREF selected =
      GetSysColor(flat ? COLOR_MENUHILIGHT : COLOR_HIGHLIGHT);
  return {{background, text}, {selected}, {background, text}};
}

RECT ClientOnScreen(HWND window) {
  RECT area{};
  GetClientRect(window, &area);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
  return area;
}

bool MainPopupPainted(HWND popup, const MenuLook& look) {
  return Painted(popup, look.mainFirstEntry, look.lastEntry);
}

bool SubmenuPainted(HWND popup, const MenuLook& look) {
  return Painted(popup, look.submenuFirstEntry, look.lastEntry);
}

bool StillShown(const RECT& area, const MenuLook& look) {
  const ScreenShot top(TopBand(area));
  return top.ShowsAll(look.mainFirstEntry) ||
         top.ShowsAll(look.submenuFirstEntry);
}

IconBoxes::IconBoxes(HWND submenu) : entryHeight_(MenuEntryHeight()) {
  const RECT client = ClientOnScreen(submenu);
  const std::optional<POINT> corner =
      FirstEntryCorner(ScreenShot(CornerSearchArea(client)));
  if (!corner) return;
  entries_ = WhollyVisibleEntries(client, *corner, entryHeight_);
  column_.left = client.left + corner->x + kIconOffset;
  column_.right = column_.left + kIconSize;
  column_.top = client.top + corner->y;
  column_.bottom = column_.top + entries_ * entryHeight_;
}

int IconBoxes::WithIcons() const {
  const ScreenShot column(column_);
  const int boxOffset = (entryHeight_ - kIconSize) / 2;
  int shown = 0;
  for (int entry = 0; entry < entries_; ++entry) {
    if (ShowsIcon(column, entry * entryHeight_ + boxOffset)) ++shown;
  }
  return shown;
}

}  // namespace vorlane::test
