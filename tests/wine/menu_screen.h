// What a popup menu shows on the screen, read from its pixels as a person
// sees them: where its entries start, whether they are painted through, and
// how many of the launcher's entries show their icons. Shared by the tests
// and the benchmark.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "menu_look.h"
#include "screen_shot.h"

namespace vorlane::test {

// The height of the launcher's menu text with the stock GUI font, which it
// uses when the settings name no font, and the height of its entries.
int MenuTextHeight();
int MenuEntryHeight();

// The first entry's top left corner within `shot`: the first pixel of its
// gutter or of the frame of its selection. Wine insets the entries from the
// popup's frame, and a popup taller than the screen has a scroll arrow
// above them.
// `gutter` and `frame` are the colours of the menu's look.
std::optional<POINT> FirstEntryCorner(const ScreenShot& shot,
                                      COLORREF gutter = kGutter,
                                      COLORREF frame = kFrame);
// The contrast of the text drawn in `area` against the colour it is drawn
// on: that of the pixel that stands out most.
double TextContrast(const ScreenShot& shot, const RECT& area, COLORREF behind);

// The colours that tell a popup's entries painted, each list complete when
// every one of its colours is seen in the band it is looked for in.
struct MenuLook {
  std::vector<COLORREF> mainFirstEntry;     // top band of a main popup
  std::vector<COLORREF> submenuFirstEntry;  // top band of a submenu opened
                                            // by key, its first entry selected
  std::vector<COLORREF> lastEntry;          // bottom band of any popup
};

MenuLook LauncherLook();
// The platform's own look, as the system colours of this desktop say.
MenuLook BareLook();

RECT ClientOnScreen(HWND window);

// Painted through: the first entry at the top and the last visible one at
// the bottom, since entries are painted top down.
bool MainPopupPainted(HWND popup, const MenuLook& look);
bool SubmenuPainted(HWND popup, const MenuLook& look);

// Whether the top of a popup of this look still shows in `area` (the client
// area of a popup that has been closed).
bool StillShown(const RECT& area, const MenuLook& look);

// The icon boxes of the launcher's submenu entries that are wholly visible,
// located once the entries are painted. An entry without its icon shows
// only its fill there.
class IconBoxes {
 public:
  explicit IconBoxes(HWND submenu);

  int Entries() const { return entries_; }
  int WithIcons() const;

 private:
  RECT column_{};  // all boxes, top entry first, on the screen
  int entryHeight_ = 0;
  int entries_ = 0;
};

}  // namespace vorlane::test
