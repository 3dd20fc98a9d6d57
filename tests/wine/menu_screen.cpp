#include "menu_screen.h"

#include <algorithm>
#include <cstdint>

#include "menu_look.h"
#include "win32/handles.h"

namespace vorlane::bench {
namespace {

using test::kBanner;
using test::kFrame;
using test::kGutter;
using test::kSelected;

// The launcher's entry geometry: the icon box counts from the entry's left
// edge and is centred in the entry's height.
constexpr int kIconOffset = 3;
constexpr int kIconSize = 16;
constexpr int kMinimumEntryHeight = 20;

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
  return ScreenArea(TopBand(area)).ShowsAll(firstEntry) &&
         ScreenArea(BottomBand(area)).ShowsAll(lastEntry);
}

// As the launcher measures its entries: the menu font's height, at least
// the minimum.
int EntryHeight() {
  HDC screen = GetDC(nullptr);
  int height = kMinimumEntryHeight;
  {
    win32::SelectedObject font(screen, GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    if (GetTextExtentPoint32A(screen, "Program", 7, &size)) {
      height = std::max<int>(size.cy, kMinimumEntryHeight);
    }
  }
  ReleaseDC(nullptr, screen);
  return height;
}

// The first entry's top left corner in the client area: the first pixel of
// its gutter or of the frame of its selection. A popup taller than the
// screen has a scroll arrow above it.
std::optional<POINT> FirstEntryCorner(const RECT& client) {
  const RECT searched{client.left, client.top,
                      std::min(client.right, client.left + kCornerSearchWidth),
                      std::min(client.bottom, client.top + kEdgeBand)};
  const ScreenArea corner(searched);
  for (int y = 0; y < corner.Height(); ++y) {
    for (int x = 0; x < corner.Width(); ++x) {
      if (corner.At(x, y) == kGutter || corner.At(x, y) == kFrame) {
        return POINT{x, y};
      }
    }
  }
  return std::nullopt;
}

// How many entries fit wholly between the first entry's top and the lowest
// pixel of an entry's fill in the column just inside the entries' left
// edge: the bottom scroll arrow of a tall popup hides the rest.
int WhollyVisibleEntries(const RECT& client, POINT corner, int entryHeight) {
  const int x = client.left + corner.x + 1;
  const ScreenArea column({x, client.top, x + 1, client.bottom});
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
bool ShowsIcon(const ScreenArea& column, int boxTop) {
  for (int y = boxTop; y < boxTop + kIconSize; ++y) {
    for (int x = 0; x < column.Width(); ++x) {
      const COLORREF pixel = column.At(x, y);
      if (pixel != kGutter && pixel != kSelected) return true;
    }
  }
  return false;
}

}  // namespace

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
  const ScreenArea top(TopBand(area));
  return top.ShowsAll(look.mainFirstEntry) ||
         top.ShowsAll(look.submenuFirstEntry);
}

IconBoxes::IconBoxes(HWND submenu) : entryHeight_(EntryHeight()) {
  const RECT client = ClientOnScreen(submenu);
  const std::optional<POINT> corner = FirstEntryCorner(client);
  if (!corner) return;
  entries_ = WhollyVisibleEntries(client, *corner, entryHeight_);
  column_.left = client.left + corner->x + kIconOffset;
  column_.right = column_.left + kIconSize;
  column_.top = client.top + corner->y;
  column_.bottom = column_.top + entries_ * entryHeight_;
}

int IconBoxes::WithIcons() const {
  const ScreenArea column(column_);
  const int boxOffset = (entryHeight_ - kIconSize) / 2;
  int shown = 0;
  for (int entry = 0; entry < entries_; ++entry) {
    if (ShowsIcon(column, entry * entryHeight_ + boxOffset)) ++shown;
  }
  return shown;
}

}  // namespace vorlane::bench
