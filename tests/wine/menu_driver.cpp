#include "menu_driver.h"

#include <thread>

#include "launcher/launcher_messages.h"

namespace vorlane::test {
namespace {

struct PopupSearch {
  DWORD processId;
  const char* className;
  const char* caption;
  HWND found;
  int count;
  bool hiddenToo = false;
};

BOOL CALLBACK MatchPopup(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<PopupSearch*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != search->processId) return TRUE;
  if (!search->hiddenToo && !IsWindowVisible(hwnd)) return TRUE;
  char name[64] = {};
  GetClassNameA(hwnd, name, std::size(name));
  if (lstrcmpA(name, search->className) != 0) return TRUE;
  if (search->caption != nullptr) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, std::size(text));
    if (lstrcmpA(text, search->caption) != 0) return TRUE;
  }
  // EnumWindows goes from the top of the z-order down: the first popup is
  // the one opened last.
  if (search->found == nullptr) search->found = hwnd;
  ++search->count;
  return TRUE;
}

}  // namespace

void PostTrayMouse(HWND launcher, UINT mouseMessage) {
  PostMessageA(launcher, launcher::WM_TRAYNOTIFY, launcher::kTrayIconId,
               mouseMessage);
}

HWND FindPopupMenu(DWORD processId, int* count) {
  PopupSearch search{processId, "#32768", nullptr, nullptr, 0};
  EnumWindows(MatchPopup, reinterpret_cast<LPARAM>(&search));
  if (count != nullptr) *count = search.count;
  return search.found;
}

HWND WaitForPopupMenu(DWORD processId, std::chrono::milliseconds timeout) {
  HWND popup = nullptr;
  WaitUntil([&] { return (popup = FindPopupMenu(processId)) != nullptr; },
            timeout);
  return popup;
}

bool WaitForMenuClosed(DWORD processId, std::chrono::milliseconds timeout) {
  return WaitUntil([&] { return FindPopupMenu(processId) == nullptr; },
                   timeout);
}

::testing::AssertionResult PressMenuKey(DWORD processId, WPARAM virtualKey) {
  int count = 0;
  const HWND popup = FindPopupMenu(processId, &count);
  if (popup == nullptr) return ::testing::AssertionFailure() << "no menu open";
  PostMessageA(popup, WM_KEYDOWN, virtualKey, 0);
  if (virtualKey == VK_DOWN || virtualKey == VK_UP) {
    // Another process can see a menu's selection only in its pixels, which
    // the pointer's hover may change as well, and the platform passes none
    // of the messages that would say that a key was handled. The menu's
    // thread takes posted keys in turn, so the next key may follow; this
    // pause lets a test that looks at the screen next find it moved.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    return ::testing::AssertionSuccess();
  }
  // The others open or close a popup.
  return Eventually(
      [&] {
        int now = 0;
        FindPopupMenu(processId, &now);
        return now != count;
      },
      "the menu takes key " + std::to_string(virtualKey) + " (a popup opens or closes)");
}

::testing::AssertionResult ChooseByKeys(DWORD processId, int downs) {
  // The menu's thread takes posted keys in the order they came, so the
  // moves need no pause before the Return, whose effect is waited for.
  const HWND popup = FindPopupMenu(processId);
  if (popup == nullptr) return ::testing::AssertionFailure() << "no menu open";
  for (int i = 0; i < downs; ++i) PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
  return PressMenuKey(processId, VK_RETURN);
}

HWND FindMessageBox(DWORD processId, const char* caption) {
  PopupSearch search{processId, "#32770", caption, nullptr, 0};
  EnumWindows(MatchPopup, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool MessageBoxExists(DWORD processId, const char* caption) {
  PopupSearch search{processId, "#32770", caption, nullptr, 0, true};
  EnumWindows(MatchPopup, reinterpret_cast<LPARAM>(&search));
  return search.found != nullptr;
}

HWND WaitForMessageBox(DWORD processId, const char* caption,
                       std::chrono::milliseconds timeout) {
  HWND box = nullptr;
  WaitUntil([&] { return (box = FindMessageBox(processId, caption)) != nullptr; },
            timeout);
  return box;
}

std::string MessageBoxText(HWND box) {
  char text[1024] = {};
  GetDlgItemTextA(box, 0xFFFF, text, std::size(text));
  return text;
}

void CloseMessageBox(HWND box) {
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace vorlane::test
