// The launcher's private window messages and window class. Other programs
// (the configurator, tests, scripts) find the window by its class name and
// talk to it with these numbers, so they never change.
#pragma once

#include "settings/launcher_window.h"

namespace vorlane::launcher {

inline constexpr const char* kWindowClass = settings::kLauncherWindowClass;
inline constexpr char kWindowTitle[] = "Vorlane";
inline constexpr char kTrayTip[] = "Vorlane";
inline constexpr unsigned kTrayIconId = 1;

inline constexpr unsigned kWmUser = 0x0400;
inline constexpr unsigned WM_TRAYNOTIFY = kWmUser + 10;
inline constexpr unsigned WM_RELOADICON = settings::WM_RELOADICON;
inline constexpr unsigned WM_SHOWMENU = kWmUser + 30;

}  // namespace vorlane::launcher
