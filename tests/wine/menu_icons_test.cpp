// Icons never hold a menu back: a submenu of 200 programs shows its entries
// before their icons, the icons arrive while it stays open, and the next
// opening shows them at once.
#include <gtest/gtest.h>

#include <string>

#include "menu_driver.h"
#include "menu_look.h"
#include "screen_shot.h"
#include "test_support.h"

namespace vorlane::test {
namespace {

constexpr int kPrograms = 200;
// Entries checked: the first is selected when the submenu opens by keyboard,
// and a tall submenu shows only its top part.
constexpr int kFirstChecked = 1;
constexpr int kLastChecked = 25;

int EntryHeight() {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  GetTextExtentPoint32A(screen, "Program", 7, &size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return std::max<int>(size.cy, 20);
}

// The top left corner of the first entry: the first gutter-coloured pixel.
// A menu taller than the screen starts with a scroll arrow above it.
POINT FirstEntryCorner(const ScreenShot& shot) {
  for (int y = 0; y < std::min(shot.Height(), 40); ++y) {
    for (int x = 0; x < std::min(shot.Width(), 10); ++x) {
      if (shot.At(x, y) == kGutter || shot.At(x, y) == kFrame) return {x, y};
    }
  }
  return {0, 0};
}

// How many of the checked entries show something other than the gutter in
// their icon box.
int EntriesWithIcons(HWND popup) {
  const ScreenShot shot(popup);
  const POINT corner = FirstEntryCorner(shot);
  const int height = EntryHeight();
  int withIcon = 0;
  for (int entry = kFirstChecked; entry <= kLastChecked; ++entry) {
    const int top = corner.y + entry * height + (height - 16) / 2;
    bool drawn = false;
    for (int y = top; y < top + 16 && !drawn; ++y) {
      for (int x = corner.x + 3; x < corner.x + 19 && !drawn; ++x) {
        drawn = shot.At(x, y) != kGutter;
      }
    }
    withIcon += drawn ? 1 : 0;
  }
  return withIcon;
}

// The entries with icons in the first picture of the submenu with all its
// checked entries painted; -1 when it never was.
int IconsAtFirstSight(HWND submenu) {
  int withIcons = -1;
  WaitUntil([&] {
    const ScreenShot shot(submenu);
    const POINT corner = FirstEntryCorner(shot);
    const int belowLast = corner.y + EntryHeight() * kLastChecked + 1;
    if (shot.At(corner.x, belowLast) != kGutter) return false;
    withIcons = EntriesWithIcons(submenu);
    return true;
  });
  return withIcons;
}

class MenuIcons : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteProgramsMenu(folder, kPrograms));
    ASSERT_TRUE(launcher.Start(folder));
  }
  void TearDown() override { EXPECT_EQ(launcher.Close(), 0u); }

  // Opens the submenu and returns its window: banner, "Vorlane", "Programs".
  HWND OpenSubmenu() {
    const DWORD pid = launcher.Process().Id();
    PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
    if (WaitForPopupMenu(pid) == nullptr) return nullptr;
    PressMenuKey(pid, VK_DOWN);
    PressMenuKey(pid, VK_DOWN);
    PressMenuKey(pid, VK_DOWN);
    PostMessageA(FindPopupMenu(pid), WM_KEYDOWN, VK_RIGHT, 0);
    HWND submenu = nullptr;
    WaitUntil([&] {
      int count = 0;
      submenu = FindPopupMenu(pid, &count);
      return count == 2;
    });
    return submenu;
  }

  void CloseMenu() {
    const DWORD pid = launcher.Process().Id();
    PressMenuKey(pid, VK_ESCAPE);
    PressMenuKey(pid, VK_ESCAPE);
    ASSERT_TRUE(WaitForMenuClosed(pid));
  }

  TempFolder folder;
  Launcher launcher;
};

TEST_F(MenuIcons, EntriesFirstThenTheirIconsThenAllAtOnce) {
  HWND submenu = OpenSubmenu();
  ASSERT_NE(submenu, nullptr);
  const int first = IconsAtFirstSight(submenu);
  ASSERT_GE(first, 0) << "the submenu was never painted";
  const int checked = kLastChecked - kFirstChecked + 1;
  EXPECT_LT(first, checked) << "the entries waited for their icons";
  EXPECT_TRUE(WaitUntil([&] { return EntriesWithIcons(submenu) == checked; },
                        std::chrono::seconds(10)))
      << "icons shown: " << EntriesWithIcons(submenu) << " of " << checked;
  CloseMenu();

  submenu = OpenSubmenu();
  ASSERT_NE(submenu, nullptr);
  const int again = IconsAtFirstSight(submenu);
  EXPECT_EQ(again, checked) << "cached icons were not drawn at once";
  CloseMenu();
}

}  // namespace
}  // namespace vorlane::test
