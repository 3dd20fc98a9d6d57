// The launcher's window as the other programs reach it: the configurator
// finds it by its class name and tells it to reload its tray icon. These
// never change, since programs of other versions rely on them.
#pragma once

namespace vorlane::settings {

inline constexpr char kLauncherWindowClass[] = "Vorlane";
inline constexpr unsigned WM_RELOADICON = 0x0400 + 20;  // WM_USER + 20

}  // namespace vorlane::settings
