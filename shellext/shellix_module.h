// Module-wide state of the extension: its own instance (all resources come
// from it, never from the host), the count of live objects that decides
// unloading, and the settings file beside the library.
#pragma once

#include <windows.h>

#include <string>

namespace vorlane::shellext {

// {8D775404-DD7B-11D3-BC49-906B51C10000}
inline constexpr CLSID CLSID_VorlaneShellix = {
    0x8D775404, 0xDD7B, 0x11D3, {0xBC, 0x49, 0x90, 0x6B, 0x51, 0xC1, 0x00, 0x00}};

inline constexpr int IDB_ADD_ARROW = 129;
inline constexpr int IDD_ADD_TO_MENU = 140;
inline constexpr int IDC_MENU_LIST = 1000;
inline constexpr int IDC_NEW_MENU = 1001;
inline constexpr int IDC_EXPAND_FOLDER = 1002;

// Every factory and handler adds one while it lives. Explorer makes them on
// many threads (each of its windows and every file dialog is an apartment
// of its own), so the count changes only through interlocked operations.
extern LONG g_objectCount;

HINSTANCE ModuleInstance();
const std::string& SettingsPath();

}  // namespace vorlane::shellext
