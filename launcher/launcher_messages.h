// The launcher's private window messages and window class. Other programs
// (the configurator, tests, scripts) find the window by its class name and
// talk to it with these numbers, so they never change.
#pragma once

namespace vorlane::launcher {

inline constexpr char kWindowClass[] = "Vorlane";
inline constexpr char kWindowTitle[] = "Vorlane";
inline constexpr char kTrayTip[] = "Vorlane";
inline constexpr unsigned kTrayIconId = 1;

inline constexpr unsigned kWmUser = 0x0400;
inline constexpr unsigned WM_TRAYNOTIFY = kWmUser + 10;
inline constexpr unsigned WM_RELOADICON = kWmUser + 20;
inline constexpr unsigned WM_SHOWMENU = kWmUser + 30;

}  // namespace vorlane::launcher
