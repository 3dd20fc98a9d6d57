#include <windows.h>

#include <algorithm>

#include "launcher/launcher_state.h"
#include "launcher/menu_keys.h"
#include "resources/resource_ids.h"
#include "settings/profile_store_win32.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"
#include "win32/display_dpi.h"

namespace vorlane::launcher {
namespace {

using settings::kSettingsSection;

// The stock font is made at the system's dpi; on a monitor of another dpi
// the same font at that monitor's.
void UseStockFont(int dpi) {
  LauncherState& state = State();
  const auto stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  state.menuFont = stock;
  const int systemDpi = win32::SystemDpi();
  LOGFONTA font{};
  if (dpi == systemDpi || GetObjectA(stock, sizeof(font), &font) == 0) {
    return;
  }
  font.lfHeight = MulDiv(font.lfHeight, dpi, systemDpi);
  state.ownedFont.reset(CreateFontIndirectA(&font));
  if (state.ownedFont) {
    state.menuFont = state.ownedFont.get();
  }
}

// FontSize is the height at 96 dpi, as it always was.
void CreateMenuFont(settings::SettingsStore& store, int dpi) {
  LauncherState& state = State();
  const std::string face =
      settings::Read(store, kSettingsSection, settings::kFontFace);
  UseStockFont(dpi);
  if (face.empty()) {
    return;
  }
  state.ownedFont.reset(CreateFontA(
      win32::ScaleToDpi(
          settings::Read(store, kSettingsSection, settings::kFontSize), dpi),
      0, 0, 0,
      settings::Read(store, kSettingsSection, settings::kFontWeight),
      settings::Read(store, kSettingsSection, settings::kFontItalic),
      settings::Read(store, kSettingsSection, settings::kFontUnderline),
      settings::Read(store, kSettingsSection, settings::kFontStrikeOut),
      ANSI_CHARSET, OUT_TT_PRECIS, 0, 0, 0, face.c_str()));
  // A font that cannot be made (the process's GDI quota reached) leaves the
  // standard one: without a font no entry would be measured or painted.
  if (state.ownedFont) {
    state.menuFont = state.ownedFont.get();
  }
}

std::wstring WidenedPath(const std::string& path) {
  const int length = MultiByteToWideChar(CP_ACP, 0, path.data(),
                                         static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()),
                        wide.data(), length);
  }
  return wide;
}

void AppendEntry(const PlannedEntry& planned) {
  LauncherState& state = State();
  if (planned.slot < 0 ||
      static_cast<std::size_t>(planned.slot) >= state.menus.size()) {
    return;
  }
  auto entry = std::make_unique<MenuEntry>();
  entry->kind = planned.kind;
  lstrcpynA(entry->text, planned.text.c_str(),
            static_cast<int>(std::size(entry->text)));
  entry->menuRef = planned.menuRef;
  entry->itemNo = planned.itemNo;
  entry->commandId = planned.commandId;

  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID;
  info.fType = MFT_OWNERDRAW;
  // Painted by the launcher, read by screen readers from the platform.
  std::string platformText = PlatformText(planned.kind, entry->text);
  if (!platformText.empty()) {
    info.fMask |= MIIM_STRING;
    info.dwTypeData = platformText.data();
  }
  info.dwItemData = reinterpret_cast<ULONG_PTR>(entry.get());
  info.wID = static_cast<UINT>(planned.commandId);
  if (planned.kind == MenuEntryKind::Separator) {
    info.fType |= MFT_SEPARATOR;
  }
  HMENU menu = state.menus[planned.slot].get();
  if (planned.kind == MenuEntryKind::Submenu) {
    info.fMask |= MIIM_SUBMENU;
    info.wID = 0;
    if (planned.submenuSlot >= 0 &&
        static_cast<std::size_t>(planned.submenuSlot) < state.menus.size()) {
      info.hSubMenu = state.menus[planned.submenuSlot].get();
    }
    if (!planned.folder.empty()) {
      // Destroyed with the item that holds it.
      info.hSubMenu = CreatePopupMenu();
      entry->path = WidenedPath(planned.folder);
      entry->ansiPath = planned.folder;
      if (info.hSubMenu != nullptr) {
        state.folderMenus.push_back({info.hSubMenu, state.entries.size()});
      }
    }
  }
  entry->menu = menu;
  entry->position = GetMenuItemCount(menu);
  state.entries.push_back(std::move(entry));
  InsertMenuItemA(menu, GetMenuItemCount(menu) + 1, TRUE, &info);
  IconRequest icon = planned.icon;
  icon.size = state.geometry.iconSize;
  AssignEntryIcon(state.entries.size() - 1, icon);
}

void AppendEntries(const std::vector<PlannedEntry>& planned) {
  for (const PlannedEntry& entry : planned) {
    AppendEntry(entry);
  }
}

// Everything one showing of the menu made goes, also when building it
// failed half-way.
void TearDownMenu() {
  LauncherState& state = State();
  state.folderMenus.clear();
  state.menuFont = nullptr;
  state.ownedFont.reset();
  ForgetPendingIcons(0);
  state.entries.clear();
  state.entries.shrink_to_fit();
  state.menus.clear();
  // Only once no menu paints with it any more.
  state.menuBackground.reset();
  state.roundedMenus.clear();
  state.measuringDc.reset();
  state.submenuMark.reset();
  state.bannerMark.reset();
  state.rootEntryCount = 0;
  state.menuOpen = false;
}

struct MenuTearDown {
  ~MenuTearDown() { TearDownMenu(); }
};

// Case as the ANSI code page has it, so that a typed "ä" reaches "Äpfel".
char CodePageUpper(char c) {
  char text[2] = {c, '\0'};
  CharUpperBuffA(text, 1);
  return text[0];
}

}  // namespace

void DropEntriesFrom(std::size_t first) {
  ForgetPendingIcons(first);
  std::vector<std::unique_ptr<MenuEntry>>& entries = State().entries;
  if (entries.size() > first) {
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(first),
                  entries.end());
  }
}

void ShowTrayMenu() {
  LauncherState& state = State();
  MenuTearDown tearDown;
  try {
    settings::ProfileStore store(state.iniPath);
    // What one opening reads is one picture of the file, never one half
    // changed by another program: one edit that only reads takes the lock at
    // its first read and reads each section once; the lock is let go before
    // the menu shows.
    settings::SettingsEdit file(store, settings::LockPurpose::Read);
    // The menu opens where the pointer is, and takes that monitor's sizes.
    POINT cursor{};
    GetCursorPos(&cursor);
    const int dpi = win32::DpiAtPoint(cursor);
    state.geometry = MenuGeometryAt(dpi);
    CreateMenuFont(file, dpi);
    ChooseMenuColours(settings::Read(file, kSettingsSection, settings::kTheme));
    const MainMenuPlan plan = PlanMainMenu(file);
    file.Release();
    for (int slot = 0; slot < plan.slotCount; ++slot) {
      state.menus.emplace_back(CreatePopupMenu());
    }
    PaintMenuBackgrounds();
    AppendEntries(plan.entries);
    state.rootEntryCount = state.entries.size();

    // A popup of a window that is not in the foreground does not close when
    // the user clicks elsewhere.
    SetForegroundWindow(state.hwnd);
    const int chosen = static_cast<int>(
        TrackPopupMenu(state.menus[kMainSlot].get(), TPM_RETURNCMD, cursor.x,
                       cursor.y, 0, state.hwnd, nullptr));
    // Lets the menu close properly before anything else is shown.
    PostMessageA(state.hwnd, WM_NULL, 0, 0);
    // The menu is gone: no icon is loaded for it any more, also while a box
    // of the command below runs its own message loop.
    ForgetPendingIcons(0);
    DispatchCommand(chosen);
  } catch (...) {
    // Out of memory while building: the menu is simply not shown.
  }
}

void OnInitMenuPopup(HMENU menu, int position) {
  LauncherState& state = State();
  if (const auto folder = std::find_if(
          state.folderMenus.begin(), state.folderMenus.end(),
          [&](const LauncherState::FolderMenu& known) { return known.popup == menu; });
      folder != state.folderMenus.end()) {
    OnInitFolderPopup(menu, folder->owner);
    return;
  }
  if (position == 0 || position == 1 || state.menus.empty()) {
    return;
  }
  // The items go before the entries they point at, and the folder popups
  // with the items that hold them: every entry from the main popup's last
  // on was made for another submenu.
  while (GetMenuItemCount(menu) > 0) {
    DeleteMenu(menu, 0, MF_BYPOSITION);
  }
  std::erase_if(state.folderMenus, [&](const LauncherState::FolderMenu& folder) {
    return folder.owner >= state.rootEntryCount;
  });
  DropEntriesFrom(state.rootEntryCount);
  try {
    settings::ProfileStore store(State().iniPath);
    // One picture of the file, read as for the main popup; the icons are
    // looked up after the lock is let go.
    settings::SettingsEdit file(store, settings::LockPurpose::Read);
    const std::size_t before = State().entries.size();
    const std::vector<PlannedEntry> entries =
        IsEmailPosition(file, position) ? PlanEmailMenu(file, before)
                                        : PlanProgramMenu(file, position, before);
    file.Release();
    AppendEntries(entries);
  } catch (...) {
    // Out of memory: the submenu stays as far as it got; nothing may unwind
    // through the platform's menu loop.
  }
}

LRESULT OnMenuChar(char typed, HMENU menu) {
  const int count = GetMenuItemCount(menu);
  std::vector<char> letters;
  int selected = -1;
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_STATE;
    char letter = 0;
    if (GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) {
      const auto* entry = reinterpret_cast<const MenuEntry*>(info.dwItemData);
      if (entry != nullptr && (entry->kind == MenuEntryKind::Item ||
                               entry->kind == MenuEntryKind::Submenu)) {
        letter = EntryLetter(entry->text);
      }
      if ((info.fState & MFS_HILITE) != 0) {
        selected = position;
      }
    }
    letters.push_back(letter);
  }
  const MenuCharAnswer answer =
      AnswerMenuChar(letters, selected, typed, CodePageUpper);
  switch (answer.action) {
    case MenuCharAnswer::Action::Choose:
      return MAKELRESULT(answer.position, MNC_EXECUTE);
    case MenuCharAnswer::Action::Select:
      // Wine's menus take no MNC_SELECT and beep instead; selecting the
      // entry first moves the selection there too, and on Windows the
      // answer selects the same entry.
      HiliteMenuItem(State().hwnd, menu, static_cast<UINT>(answer.position),
                     MF_BYPOSITION | MF_HILITE);
      return MAKELRESULT(answer.position, MNC_SELECT);
    case MenuCharAnswer::Action::Ignore:
      break;
  }
  return MAKELRESULT(0, MNC_IGNORE);
}

}  // namespace vorlane::launcher
