// Drives the launcher's popup menu from another process as a user would:
// the tray callback opens it, keys choose in it, and the boxes it may show
// are read and closed.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "test_support.h"

namespace vorlane::test {

// The tray callback message with the mouse message in lParam, as the shell
// sends it.
void PostTrayMouse(HWND launcher, UINT mouseMessage);

// The visible popup menu window ("#32768") of the process, or null. With
// `count` the number of such windows (main popup and open submenus).
HWND FindPopupMenu(DWORD processId, int* count = nullptr);

// Waits for the process's popup menu to appear; null when it did not.
HWND WaitForPopupMenu(DWORD processId,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10));

// True once no popup of the process is visible any more.
bool WaitForMenuClosed(DWORD processId,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));

// A key pressed in the topmost open popup of the process: VK_DOWN, VK_UP,
// VK_RIGHT, VK_LEFT, VK_RETURN, VK_ESCAPE. Done once a popup opened or
// closed; VK_DOWN and VK_UP, which show only on the screen, pause instead.
::testing::AssertionResult PressMenuKey(DWORD processId, WPARAM virtualKey);

// Presses VK_DOWN `downs` times, then VK_RETURN: chooses the entry that many
// steps below the top of the popup (the selection skips separators and
// starts on the first selectable entry with the first press).
::testing::AssertionResult ChooseByKeys(DWORD processId, int downs);

// A message box ("#32770") of the process with this caption, or null.
HWND FindMessageBox(DWORD processId, const char* caption);
// Whether the process has such a box, shown or still to be shown: a modal
// box exists before its loop shows it.
bool MessageBoxExists(DWORD processId, const char* caption);
HWND WaitForMessageBox(DWORD processId, const char* caption,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));

// The box's message text (its static control with id 0xFFFF).
std::string MessageBoxText(HWND box);

// Presses the box's default button.
void CloseMessageBox(HWND box);

}  // namespace vorlane::test
