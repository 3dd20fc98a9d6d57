// The launcher's one process-wide state record.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "win32/handles.h"

namespace vorlane::launcher {

struct LauncherState {
  HINSTANCE instance = nullptr;
  HWND hwnd = nullptr;
  std::string iniPath;
  // Kept between calls so that the icon can be changed and added again
  // after Explorer restarts. hIcon mirrors trayIcon, which owns it.
  NOTIFYICONDATAA trayData{};
  win32::UniqueIcon trayIcon;
  UINT taskbarCreatedMessage = 0;
  bool menuOpen = false;
};

LauncherState& State();

// Window procedure and tray icon (tray_window_win32.cpp).
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam,
                             LPARAM lParam);
std::uint64_t GetShellVersion(const char* libraryName);
void PrepareTrayData();
void UpdateTrayIcon();

// The popup menu (popup_menu_win32.cpp). Called with menuOpen set; clears it.
void ShowTrayMenu();

}  // namespace vorlane::launcher
