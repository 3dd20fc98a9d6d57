// The launcher's window as the other programs reach it: the configurator
// finds it by its class name and tells it to reload its tray icon; and the
// Run value that starts it with Windows, which the configurator and the
// installer write and the launcher's first start looks for. These never
// change, since programs of other versions rely on them.
#pragma once

namespace vorlane::settings {

inline constexpr char kLauncherWindowClass[] = "Vorlane";
inline constexpr unsigned WM_RELOADICON = 0x0400 + 20;  // WM_USER + 20

// Under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE.
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValue[] = "Vorlane";

}  // namespace vorlane::settings
