#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "launcher/folder_listing_win32.h"
#include "launcher/folder_menu.h"
#include "launcher/command_plan.h"
#include "launcher/launcher_state.h"
#include "settings/stored_path_win32.h"

namespace vorlane::launcher {
namespace {

// Long enough for a local folder of thousands of files; a share that does
// not answer within it shows as not answering rather than freezing the menu.
constexpr std::chrono::milliseconds kListingBound{300};

// The text in the ANSI code page, exactly where it can be; else with the
// platform's stand-ins for what it cannot hold, enough for typed letters.
std::string AnsiText(const std::wstring& text) {
  if (std::optional<std::string> exact = settings::ExactSystemAnsi(text)) {
    return *exact;
  }
  const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  if (length <= 0) {
    return {};
  }
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(),
                      length, nullptr, nullptr);
  return ansi;
}

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) {
    return folder + name;
  }
  return folder + L"\\" + name;
}

std::wstring DoubledAmpersands(const std::wstring& text) {
  std::wstring doubled;
  for (const wchar_t c : text) {
    doubled += c;
    if (c == L'&') doubled += L'&';
  }
  return doubled;
}

// Where the ANSI functions reach a folder's entry: the folder's own such
// path and the entry's name, or its 8.3 name where the name has no ANSI
// form. Empty where neither does.
std::string AnsiPathOf(const std::string& folder, const FolderMenuEntry& planned) {
  if (folder.empty()) return {};
  std::string name = settings::ExactSystemAnsi(planned.name).value_or("");
  if (name.empty()) name = settings::ExactSystemAnsi(planned.shortName).value_or("");
  if (name.empty()) return {};
  const char last = folder.back();
  return folder + (last == '\\' || last == '/' ? "" : "\\") + name;
}

void AppendFolderEntry(HMENU menu, const std::wstring& folder, const std::string& ansiFolder,
                       const FolderMenuEntry& planned) {
  LauncherState& state = State();
  const std::size_t index = state.entries.size();
  auto entry = std::make_unique<MenuEntry>();
  entry->wideText = planned.shown;
  lstrcpynA(entry->text, AnsiText(planned.shown).c_str(),
            static_cast<int>(std::size(entry->text)));
  entry->directory = folder;

  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID | MIIM_STATE;
  info.fType = MFT_OWNERDRAW;
  const bool hasId = ENTRY_COMMAND_BASE + static_cast<long long>(index) <=
                     kLastEntryCommand;
  entry->commandId = hasId ? ENTRY_COMMAND_BASE + static_cast<int>(index) : CMD_NONE;
  IconRequest icon;
  switch (planned.kind) {
    case FolderMenuEntry::Kind::Separator:
      entry->kind = MenuEntryKind::Separator;
      info.fType |= MFT_SEPARATOR;
      break;
    case FolderMenuEntry::Kind::Note:
      entry->commandId = CMD_NONE;
      info.fState = MFS_DISABLED;
      break;
    case FolderMenuEntry::Kind::OpenFolder:
    case FolderMenuEntry::Kind::More:
      entry->path = folder;
      break;
    case FolderMenuEntry::Kind::File:
      entry->path = Joined(folder, planned.name);
      entry->ansiPath = AnsiPathOf(ansiFolder, planned);
      icon = DefaultIconFor(entry->ansiPath);
      break;
    case FolderMenuEntry::Kind::Subfolder:
      entry->kind = MenuEntryKind::Submenu;
      entry->path = Joined(folder, planned.name);
      entry->commandId = 0;
      info.fMask |= MIIM_SUBMENU;
      // Destroyed with this item.
      info.hSubMenu = CreatePopupMenu();
      if (info.hSubMenu != nullptr) {
        state.folderMenus.push_back({info.hSubMenu, index});
      }
      entry->ansiPath = AnsiPathOf(ansiFolder, planned);
      icon = DefaultIconFor(entry->ansiPath);
      break;
  }
  if (icon.location.empty()) {
    icon = {};
  }
  info.wID = static_cast<UINT>(entry->commandId);
  // Painted by the launcher, read by screen readers from the platform.
  std::wstring platformText = DoubledAmpersands(planned.shown);
  if (!platformText.empty()) {
    info.fMask |= MIIM_STRING;
    info.dwTypeData = platformText.data();
  }
  info.dwItemData = reinterpret_cast<ULONG_PTR>(entry.get());
  entry->menu = menu;
  entry->position = GetMenuItemCount(menu);
  state.entries.push_back(std::move(entry));
  InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
  icon.size = state.geometry.iconSize;
  AssignEntryIcon(index, icon);
}

}  // namespace

void OnInitFolderPopup(HMENU menu, std::size_t ownerIndex) {
  LauncherState& state = State();
  if (ownerIndex >= state.entries.size()) {
    return;
  }
  const std::wstring folder = state.entries[ownerIndex]->path;
  const std::string ansiFolder = state.entries[ownerIndex]->ansiPath;
  // Only the popups from the main one to this one are open, and each
  // listed its entries after those of the popup it stands in. So what
  // follows the entries of this popup's own popup was made for popups
  // closed since, its own last listing among them, and goes: a menu
  // browsed for long keeps within its command identifiers.
  const HMENU holder = state.entries[ownerIndex]->menu;
  std::size_t kept = ownerIndex + 1;
  while (kept < state.entries.size() && state.entries[kept]->menu == holder) {
    ++kept;
  }
  kept = std::max(kept, state.rootEntryCount);
  // Its items go first, with the popups of its subfolders.
  while (GetMenuItemCount(menu) > 0) {
    DeleteMenu(menu, 0, MF_BYPOSITION);
  }
  std::erase_if(state.folderMenus, [&](const LauncherState::FolderMenu& known) {
    return known.owner >= kept;
  });
  DropEntriesFrom(kept);
  try {
    const FolderListing listing = ListFolderWithin(folder, kListingBound);
    for (const FolderMenuEntry& entry : PlanFolderMenu(listing)) {
      AppendFolderEntry(menu, folder, ansiFolder, entry);
    }
  } catch (...) {
    // Out of memory: the submenu stays as far as it got; nothing may unwind
    // through the platform's menu loop.
  }
}

bool LaunchFolderEntry(int commandId) {
  LauncherState& state = State();
  const long long index = static_cast<long long>(commandId) - ENTRY_COMMAND_BASE;
  if (commandId < kFirstEntryCommand || commandId > kLastEntryCommand ||
      index < 0 || static_cast<std::size_t>(index) >= state.entries.size()) {
    return false;
  }
  const MenuEntry& entry = *state.entries[static_cast<std::size_t>(index)];
  if (entry.kind != MenuEntryKind::Item || entry.path.empty()) {
    return false;
  }
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // No error dialog of the shell's own: the launcher explains failures.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = entry.path.c_str();
  info.lpDirectory = entry.directory.empty() ? nullptr : entry.directory.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) {
    ShowLaunchFailure(GetLastError());
    return true;
  }
  // The launcher does not wait for the program it started.
  win32::UniqueKernelHandle process(info.hProcess);
  return true;
}

}  // namespace vorlane::launcher
