// The launcher's one process-wide state record and the functions that work
// on it, one per message or command.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "launcher/icon_cache.h"
#include "launcher/icon_loader.h"
#include "launcher/menu_model.h"
#include "launcher/menu_paint_plan.h"
#include "launcher/tray_logic.h"
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
  // Entries of a folder's submenu: the name shown, which may lie outside
  // the ANSI code page (`text` then holds its ANSI form, for the typed
  // letters), and what they open or list in full; `directory` is the folder
  // a file starts in. The submenu entry of an item whose folder shows as a
  // submenu lists `path` too.
  std::wstring wideText;
  std::wstring path;
  std::wstring directory;
  // `path` as the ANSI functions (the icon look-up) reach it: through 8.3
  // names where a name lies outside the code page; empty where none does.
  std::string ansiPath;

  HICON Icon() const { return icon ? icon->get() : nullptr; }
};

// Icon look-ups run on workers, whose answers come back in this message.
inline constexpr UINT WM_ENTRYICONS = WM_APP + 1;
// Posted at the start to say what does not work: the hotkey, or a settings
// file that cannot be written.
inline constexpr UINT WM_SAYSTARTPROBLEMS = WM_APP + 2;

using EntryIconLoader = IconLoader<win32::UniqueIcon>;
// Reads the stamp of the request's files and, unless it is the known one,
// loads the icon; runs on a worker. Tests put a look-up of their own in
// its place.
using IconLookUp = EntryIconLoader::Answer (*)(const EntryIconLoader::Job& job,
                                               HINSTANCE instance);
EntryIconLoader::Answer LookUpIcon(const EntryIconLoader::Job& job,
                                   HINSTANCE instance);

// An entry of the open menu waiting for an icon.
struct IconWaiter {
  std::size_t entryIndex = 0;        // in the entry list
  const MenuEntry* entry = nullptr;  // the entry it was meant for
};

// One icon to be looked up for the open menu, for all the entries that
// show it: still to be loaded, or cached and shown already but with files
// still to be checked.
struct PendingIcon {
  IconRequest request;
  std::string key;
  std::string place;
  // What the cache held when the first entry was shown.
  std::optional<SharedIcon> shown;
  std::optional<std::uint64_t> shownStamp;
  std::uint64_t lookUpId = 0;  // 0 until handed to the loader
  std::vector<IconWaiter> waiters;
};

// Enough for every icon of several large menus.
inline constexpr std::size_t kIconCacheCapacity = 2000;

// The app mode, high contrast and the system's colours
// (menu_look_win32.cpp).
SystemLook ReadSystemLook();

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
  TrayGestures trayGestures;
  bool hotkeyRegistered = false;
  std::vector<std::string> startProblems;  // to be said, once each

  // Alive only while a menu is shown. menuFont is either ownedFont or the
  // stock GUI font, which is never deleted.
  HFONT menuFont = nullptr;
  win32::UniqueFont ownedFont;
  // The sizes at the dpi of the monitor the menu opens on.
  MenuGeometry geometry;
  // The colours of this showing, and the brush behind its entries where the
  // look is not the light one.
  MenuLook look = MenuLook::Light;
  MenuPalette palette;
  win32::UniqueBrush menuBackground;
  // Popup windows of this showing already asked for rounded corners.
  std::vector<HWND> roundedMenus;
  std::vector<std::unique_ptr<MenuEntry>> entries;
  std::vector<win32::UniqueMenu> menus;
  std::size_t rootEntryCount = 0;
  // The popups of folders, each destroyed with the menu its entry stands
  // in, and the entry that opens it.
  // A handful at a time: a list is smaller than a hash table.
  struct FolderMenu {
    HMENU popup = nullptr;
    std::size_t owner = 0;
  };
  std::vector<FolderMenu> folderMenus;
  // In the order the entries were added, the first shown first.
  std::list<PendingIcon> pendingIcons;
  std::unordered_map<std::string, std::list<PendingIcon>::iterator> pendingByKey;
  // Made at the first measuring or painting of a showing, kept until it ends.
  win32::UniqueMemoryDc measuringDc;
  win32::UniqueIcon submenuMark;
  win32::UniqueIcon bannerMark;

  // What the system says of colours, asked at each opening; tests answer
  // in its place.
  SystemLook (*systemLook)() = ReadSystemLook;

  // Lives as long as the process; emptied when the launcher ends.
  IconCache<win32::UniqueIcon> iconCache{kIconCacheCapacity};
  IconLookUp iconLookUp = LookUpIcon;
  // Made for the window and look-up above at the first look-up; shut down,
  // without waiting for its workers, when the launcher ends.
  std::unique_ptr<EntryIconLoader> iconLoader;
  HWND iconLoaderWindow = nullptr;
  // The timer that shows generic icons where a look-up does not answer.
  bool iconTimerRunning = false;
  IconLookUp iconLoaderLookUp = nullptr;
};

LauncherState& State();

// Start-up (launcher_app_win32.cpp).
bool IsReadableFile(const std::string& path);
bool IsMissingFile(const std::string& path);
bool RegisterMainClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);
int RunLauncher(HINSTANCE instance);
// Says the start's problems once the message loop runs, so that the tray
// icon answers while their boxes are open.
void SayStartProblems();
void OnSayStartProblems();

// Window procedure and tray icon (tray_window_win32.cpp).
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam,
                             LPARAM lParam);
std::uint64_t GetShellVersion(const char* libraryName);
void PrepareTrayData();
void UpdateTrayIcon();
// At `size` pixels square: the resource's image of that size where it has
// one.
HICON LoadResourceIcon(int id, int size);
HICON LoadResourceIcon(HINSTANCE instance, int id, int size);
// An icon from an icon specification's file and number, from the file's
// image nearest to `size` pixels square; null when there is none.
HICON ExtractIconFromFile(const std::string& file, int index, int size);

// The hotkey (menu_hotkey_win32.cpp).
void RegisterMenuHotkey(bool sayProblems);
void ReleaseMenuHotkey();

// The popup menu (popup_menu_win32.cpp). ShowTrayMenu is called with
// menuOpen set and clears it.
void ShowTrayMenu();
void OnInitMenuPopup(HMENU menu, int position);
// Fills the popup of a folder from the folder as it is now
// (folder_popup_win32.cpp).
void OnInitFolderPopup(HMENU menu, std::size_t ownerIndex);
// Lets go of the entries from `first` on, and of the icons they wait for.
void DropEntriesFrom(std::size_t first);
// An entry of a folder's submenu that starts or opens its path; false for
// every other entry.
bool LaunchFolderEntry(int commandId);
// The answer to a letter typed in the open popup `menu`.
LRESULT OnMenuChar(char typed, HMENU menu);

// Icons of the open menu (entry_icons_win32.cpp): taken from the cache at
// once, or looked up on workers from the moment the menu loop first falls
// idle, while the menu stays responsive.
void AssignEntryIcon(std::size_t entryIndex, const IconRequest& request);
void StartIconLoading();
void OnEntryIcons();
void OnIconTimer(UINT_PTR timerId);
void ForgetPendingIcons(std::size_t firstEntry);
void ReleaseIconCache();
HICON LoadIconFor(const IconRequest& request, HINSTANCE instance);

// The menu's look (menu_look_win32.cpp): its colours for one showing from
// Theme and the system, the popups' backgrounds and corners, and the tray
// icon's answer to a change of the system's modes.
void ChooseMenuColours(int theme);
void PaintMenuBackgrounds();
void RoundOpenMenus();
void OnSettingChange(LPARAM lParam);

// Painting (menu_paint_win32.cpp): false when the request is declined.
bool MeasureMenuEntry(MEASUREITEMSTRUCT& measure);
bool DrawMenuEntry(const DRAWITEMSTRUCT& draw);

// Commands (command_dispatch_win32.cpp).
void DispatchCommand(int commandId);
// The "Vorlane Error" box for a start that failed with `error`.
void ShowLaunchFailure(unsigned long error);

}  // namespace vorlane::launcher
