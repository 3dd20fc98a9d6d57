// The launcher's window and start-up made by its own code in this process,
// where its messages and the platform's answers can be watched.
#include <gtest/gtest.h>

#include <windows.h>

#include "launcher/launcher_state.h"
#include "test_support.h"

namespace vorlane::launcher {
namespace {

WNDPROC g_launcherProc = nullptr;
bool g_destroyed = false;
bool g_iconLeftAtDestroy = false;

// Wine's shell drops the icons of a window once the window is gone, so
// whether the launcher removes its own icon shows only while the window
// still exists: right after the launcher has handled WM_DESTROY.
LRESULT CALLBACK WatchingProc(HWND hwnd, UINT message, WPARAM wParam,
                              LPARAM lParam) {
  const LRESULT result =
      CallWindowProcA(g_launcherProc, hwnd, message, wParam, lParam);
  if (message == WM_DESTROY) {
    g_destroyed = true;
    g_iconLeftAtDestroy = test::TrayIconExists(hwnd);
  }
  return result;
}

TEST(LauncherWindow, CloseRemovesTheTrayIconAndEndsTheLoop) {
  test::TempFolder folder;
  LauncherState& state = State();
  state.instance = GetModuleHandleA(nullptr);
  // No tray message may open a menu: nothing here would end it.
  state.iniPath = folder.File("vorlane.ini");
  test::WriteTextFile(state.iniPath,
                      test::SettingsFile().Set("OpenMenu", "7").Text());
  test::ParkCursor();
  RegisterMainClass(state.instance);
  state.hwnd = CreateMainWindow(state.instance);
  ASSERT_NE(state.hwnd, nullptr);
  const HWND window = state.hwnd;
  g_launcherProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchingProc)));
  PrepareTrayData();
  Shell_NotifyIconA(NIM_ADD, &state.trayData);
  UpdateTrayIcon();
  ASSERT_TRUE(test::TrayIconExists(window));

  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(g_destroyed);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(g_iconLeftAtDestroy) << "the icon outlived the window's end";
  MSG message{};
  EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
      << "no quit message for the loop";
  EXPECT_EQ(message.wParam, 0u);
  if (test::TrayIconExists(window)) test::RemoveTrayIcon(window);
}

// A settings file that another program holds open (saving it, say) cannot
// be read for a moment, but is no first start: its menus must not be
// replaced by the default file.
TEST(SettingsFileProbe, LockedFileIsThereThoughUnreadable) {
  test::TempFolder folder;
  const std::string ini = folder.File("vorlane.ini");
  EXPECT_TRUE(IsMissingFile(ini));
  EXPECT_TRUE(IsMissingFile(folder.File("no-folder\\vorlane.ini")));
  test::WriteTextFile(ini, "[Settings]\r\nMenuCount=3\r\n");
  EXPECT_TRUE(IsReadableFile(ini));
  win32::UniqueFile lock(CreateFileA(ini.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  EXPECT_FALSE(IsReadableFile(ini));
  EXPECT_FALSE(IsMissingFile(ini));
}

}  // namespace
}  // namespace vorlane::launcher
