// The least a tray program can be: one window class, one tray icon, a small
// popup on the tray callback and a message loop, built with the release
// compiler and flags. Its file size and memory are what any static tray
// program costs, beside which the launcher's own figures are read.
#include <windows.h>
#include <shellapi.h>

#include "launcher/launcher_messages.h"

namespace {

constexpr char kClassName[] = "VorlaneBareTray";
constexpr UINT kCmdExit = 1;
constexpr UINT kCmdFirstEntry = 100;

NOTIFYICONDATAA TrayData(HWND window) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = vorlane::launcher::kTrayIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = vorlane::launcher::WM_TRAYNOTIFY;
  data.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  lstrcpynA(data.szTip, "Bare tray", sizeof(data.szTip));
  return data;
}

// A popup of the launcher's default shape, so that opening it a hundred
// times costs what a popup costs the platform.
void ShowMenu(HWND window) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  AppendMenuA(menu, MF_STRING, kCmdFirstEntry, "Vorlane");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCmdFirstEntry + 1, "Email");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCmdFirstEntry + 2, "Harddrive (C:\\)");
  AppendMenuA(menu, MF_STRING, kCmdFirstEntry + 3, "Notepad");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCmdExit, "Exit");
  POINT at{};
  GetCursorPos(&at);
  // Without the foreground the popup would not close on a click elsewhere.
  SetForegroundWindow(window);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, window, nullptr));
  DestroyMenu(menu);
  if (chosen == kCmdExit) DestroyWindow(window);
}

LRESULT CALLBACK BareTrayProc(HWND window, UINT message, WPARAM wParam,
                              LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      NOTIFYICONDATAA data = TrayData(window);
      Shell_NotifyIconA(NIM_ADD, &data);
      return 0;
    }
    case WM_DESTROY: {
      NOTIFYICONDATAA data = TrayData(window);
      Shell_NotifyIconA(NIM_DELETE, &data);
      PostQuitMessage(0);
      return 0;
    }
    default:
      if (message == vorlane::launcher::WM_TRAYNOTIFY &&
          (lParam == WM_MOUSEMOVE || lParam == WM_RBUTTONUP)) {
        ShowMenu(window);
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = BareTrayProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  if (RegisterClassExA(&windowClass) == 0) return 1;
  if (CreateWindowExA(0, kClassName, "Bare tray", WS_OVERLAPPED, 0, 0, 0, 0,
                      nullptr, nullptr, instance, nullptr) == nullptr) {
    return 1;
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
