// Icons reach the screen: a submenu of 200 programs gets its icons while it
// stays open, and shows them as soon as it opens again; an entry on a share
// that cannot be reached shows a generic one. (That the entries
// are painted before their icons is seen in-process, where the order of the
// painting requests is known.)
#include <gtest/gtest.h>

#include "menu_driver.h"
#include "menu_screen.h"
#include "test_support.h"

namespace vorlane::test {
namespace {

constexpr int kPrograms = 200;

class MenuIcons : public EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(WriteProgramsMenu(folder, kPrograms));
    ASSERT_TRUE(launcher.Start(folder));
  }
  void TearDown() override { EXPECT_EQ(launcher.Close(), 0u); }

  DWORD Pid() { return launcher.Process().Id(); }

  // Opens "Programs" (banner, "Vorlane", then it) and returns its window
  // once its entries are painted through.
  HWND OpenPrograms() {
    PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
    if (WaitForPopupMenu(Pid()) == nullptr) return nullptr;
    for (int i = 0; i < 3; ++i) PressMenuKey(Pid(), VK_DOWN);
    PressMenuKey(Pid(), VK_RIGHT);
    HWND submenu = nullptr;
    WaitUntil([&] {
      int count = 0;
      submenu = FindPopupMenu(Pid(), &count);
      return count == 2 && SubmenuPainted(submenu, LauncherLook());
    });
    return submenu;
  }

  void CloseMenu() {
    PressMenuKey(Pid(), VK_ESCAPE);
    PressMenuKey(Pid(), VK_ESCAPE);
    ASSERT_TRUE(WaitForMenuClosed(Pid()));
  }

  TempFolder folder;
  Launcher launcher;
};

TEST_F(MenuIcons, ArriveWhileTheSubmenuIsOpenAndShowAtOnceWhenItOpensAgain) {
  HWND submenu = OpenPrograms();
  ASSERT_NE(submenu, nullptr) << "the submenu did not open or was not painted";
  const IconBoxes first(submenu);
  ASSERT_GT(first.Entries(), 10);
  EXPECT_TRUE(WaitUntil([&] { return first.WithIcons() == first.Entries(); }))
      << "icons shown: " << first.WithIcons() << " of " << first.Entries();
  CloseMenu();

  submenu = OpenPrograms();
  ASSERT_NE(submenu, nullptr) << "the submenu did not open again";
  const IconBoxes again(submenu);
  EXPECT_EQ(again.WithIcons(), again.Entries())
      << "cached icons were not drawn with their entries";
  CloseMenu();
}

// An entry on a share that cannot be reached shows the generic icon of its
// kind, and the other entries their own.
TEST_F(MenuIcons, AnEntryOnAShareThatCannotBeReachedShowsAGenericIcon) {
  ASSERT_TRUE(WritePrivateProfileStringA(
      "Program locations2", "Program1", "\\\\offline\\share\\tool.exe",
      folder.File("vorlane.ini").c_str()));
  HWND submenu = OpenPrograms();
  ASSERT_NE(submenu, nullptr) << "the submenu did not open or was not painted";
  const IconBoxes boxes(submenu);
  ASSERT_GT(boxes.Entries(), 10);
  EXPECT_TRUE(WaitUntil([&] { return boxes.WithIcons() == boxes.Entries(); }))
      << "icons shown: " << boxes.WithIcons() << " of " << boxes.Entries();
  CloseMenu();
}

}  // namespace
}  // namespace vorlane::test
