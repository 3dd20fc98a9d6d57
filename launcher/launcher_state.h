// The launcher's one process-wide state record and the functions that work
// on it, one per message or command.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "launcher/icon_cache.h"
#include "launcher/menu_model.h"
#include "win32/handles.h"

namespace vorlane::launcher {

// An icon shared by the cache and the entries that show it.
using SharedIcon = std::shared_ptr<win32::UniqueIcon>;

// The record behind every owner-drawn popup item; the item's dwItemData
// points at it.
struct MenuEntry {
  SharedIcon icon;  // null while it is loading, or when there is none
  char text[64] = {};
  MenuEntryKind kind = MenuEntryKind::Item;
  std::int16_t menuRef = 0;
  std::int32_t itemNo = 0;
  std::int32_t commandId = 0;
  // Where the item stands, to repaint it when its icon arrives.
  HMENU menu = nullptr;
  int position = 0;

  HICON Icon() const { return icon ? icon->get() : nullptr; }
};

// An icon still to be loaded, or a cached one shown already whose files are
// still to be checked, for an entry of the open menu.
struct PendingIcon {
  std::size_t entryIndex = 0;       // in the entry list
  const MenuEntry* entry = nullptr;  // the entry it was meant for
  IconRequest request;
  std::string key;
  bool shownFromCache = false;
};

// Enough for every icon of several large menus.
inline constexpr std::size_t kIconCacheCapacity = 2000;

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

  // Alive only while a menu is shown. menuFont is either ownedFont or the
  // stock GUI font, which is never deleted.
  HFONT menuFont = nullptr;
  win32::UniqueFont ownedFont;
  std::vector<std::unique_ptr<MenuEntry>> entries;
  std::vector<win32::UniqueMenu> menus;
  std::size_t rootEntryCount = 0;
  std::deque<PendingIcon> pendingIcons;
  // Made at the first measuring or painting of a showing, kept until it ends.
  win32::UniqueMemoryDc measuringDc;
  win32::UniqueIcon submenuMark;
  win32::UniqueIcon bannerMark;

  // Lives as long as the process; emptied when the launcher ends.
  IconCache<win32::UniqueIcon> iconCache{kIconCacheCapacity};
};

LauncherState& State();

// Start-up (launcher_app_win32.cpp).
bool IsReadableFile(const std::string& path);
bool IsMissingFile(const std::string& path);
bool RegisterMainClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);
int RunLauncher(HINSTANCE instance);

// Window procedure and tray icon (tray_window_win32.cpp).
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam,
                             LPARAM lParam);
std::uint64_t GetShellVersion(const char* libraryName);
void PrepareTrayData();
void UpdateTrayIcon();
HICON LoadResourceIcon(int id);
// An icon from an icon specification's file and number, or null.
HICON ExtractIconFromFile(const std::string& file, int index);

// The popup menu (popup_menu_win32.cpp). ShowTrayMenu is called with
// menuOpen set and clears it.
void ShowTrayMenu();
void OnInitMenuPopup(HMENU menu, int position);
void FillProgramMenu(int position);
void FillEmailMenu();
HICON LoadEntryIcon(const std::string& location);

// Icons of the open menu (entry_icons_win32.cpp): taken from the cache at
// once, or loaded a few at a time, from the moment the menu loop first falls
// idle, while the menu stays responsive.
void AssignEntryIcon(std::size_t entryIndex, const IconRequest& request);
void StartIconLoading();
void OnIconTimer(UINT_PTR timerId);
void ForgetPendingIcons(std::size_t firstEntry);
void ReleaseIconCache();
HICON LoadIconFor(const IconRequest& request);

// Painting (menu_paint_win32.cpp): false when the request is declined.
bool MeasureMenuEntry(MEASUREITEMSTRUCT& measure);
bool DrawMenuEntry(const DRAWITEMSTRUCT& draw);

// Commands (command_dispatch_win32.cpp).
void DispatchCommand(int commandId);

}  // namespace vorlane::launcher
