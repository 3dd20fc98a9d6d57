// Icons of the menu entries. The shell needs milliseconds per icon, so the
// menu never waits for them: an entry whose icon is not cached yet is shown
// without it, and the icons are loaded on a timer inside the menu loop, a
// few milliseconds at a time, each entry repainted as its icon arrives.
#include <windows.h>
#include <shellapi.h>

#include <chrono>

#include "launcher/launcher_state.h"
#include "resources/resource_ids.h"
#include "win32/shell_icon.h"

namespace vorlane::launcher {
namespace {

constexpr UINT_PTR kIconTimerId = 1;
// Short enough that keys and the mouse are served between two slices.
constexpr auto kSliceBudget = std::chrono::milliseconds(8);
constexpr UINT kSliceInterval = 10;

std::uint64_t LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.empty() ||
      !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    return 0;
  }
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

// What makes a cached icon stale: the files it was taken from changed.
std::uint64_t IconStamp(const IconRequest& request) {
  switch (request.source) {
    case IconSource::ShellFile:
      return LastWriteTime(request.location);
    case IconSource::Custom:
      return LastWriteTime(request.file) * 31 + LastWriteTime(request.location);
    default:
      return 0;
  }
}

// Owned before the shared record is made, so that an allocation that fails
// does not leak the icon.
SharedIcon Share(HICON icon) {
  win32::UniqueIcon owned(icon);
  if (!owned) {
    return nullptr;
  }
  return std::make_shared<win32::UniqueIcon>(std::move(owned));
}

struct PopupSearch {
  HMENU menu;
  HWND found;
};

BOOL CALLBACK FindPopupOfMenu(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<PopupSearch*>(lParam);
  char name[16] = {};
  GetClassNameA(hwnd, name, static_cast<int>(std::size(name)));
  if (lstrcmpA(name, "#32768") == 0 && IsWindowVisible(hwnd) &&
      reinterpret_cast<HMENU>(SendMessageA(hwnd, MN_GETHMENU, 0, 0)) ==
          search->menu) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

void RepaintEntry(const MenuEntry& entry) {
  PopupSearch search{entry.menu, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindPopupOfMenu,
                    reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) {
    return;
  }
  RECT item{};
  if (!GetMenuItemRect(search.found, entry.menu,
                       static_cast<UINT>(entry.position), &item)) {
    return;
  }
  MapWindowPoints(nullptr, search.found, reinterpret_cast<POINT*>(&item), 2);
  InvalidateRect(search.found, &item, FALSE);
}

// The icon the pending entry shows now; null when the entry is gone.
SharedIcon ShownBy(const PendingIcon& pending) {
  const LauncherState& state = State();
  if (pending.entryIndex < state.entries.size() &&
      state.entries[pending.entryIndex].get() == pending.entry) {
    return pending.entry->icon;
  }
  return nullptr;
}

}  // namespace

HICON LoadEntryIcon(const std::string& location) {
  if (location.empty()) {
    return nullptr;
  }
  const IconRequest request = DefaultIconFor(location);
  if (request.source == IconSource::ShellFile) {
    return win32::ShellSmallIcon(location.c_str(), 0, 0);
  }
  return LoadIconFor(request);
}

HICON LoadIconFor(const IconRequest& request) {
  switch (request.source) {
    case IconSource::None:
      return nullptr;
    case IconSource::Run:
      return LoadResourceIcon(IDI_RUN);
    case IconSource::Email:
      return LoadResourceIcon(IDI_EMAIL);
    case IconSource::Batch:
      return LoadResourceIcon(IDI_BATCH);
    case IconSource::WebShortcut:
      return win32::ShellSmallIcon("*.url", 0, SHGFI_USEFILEATTRIBUTES);
    case IconSource::ShellFile:
      return LoadEntryIcon(request.location);
    case IconSource::Custom:
      if (HICON icon = ExtractIconFromFile(request.file, request.index)) {
        return icon;
      }
      return LoadEntryIcon(request.location);
  }
  return nullptr;
}

void AssignEntryIcon(std::size_t entryIndex, const IconRequest& request) {
  LauncherState& state = State();
  if (request.source == IconSource::None || entryIndex >= state.entries.size()) {
    return;
  }
  MenuEntry& entry = *state.entries[entryIndex];
  if (IsResourceIcon(request.source)) {
    entry.icon = Share(LoadIconFor(request));
    return;
  }
  // Nothing here touches the files: a target on a share that does not
  // answer would hold up every opening. A cached icon shows at once, and
  // whether its files changed is looked at with the loading, once the menu
  // is painted.
  PendingIcon pending{entryIndex, &entry, request, IconCacheKey(request), false};
  if (const auto cached = state.iconCache.Peek(pending.key)) {
    entry.icon = *cached;
    pending.shownFromCache = true;
  }
  state.pendingIcons.push_back(std::move(pending));
}

void StartIconLoading() {
  // Called when the menu loop falls idle: the popups are painted by then, so
  // loading never delays the entries themselves.
  LauncherState& state = State();
  if (state.pendingIcons.empty()) {
    return;
  }
  OnIconTimer(kIconTimerId);
  if (!state.pendingIcons.empty()) {
    SetTimer(state.hwnd, kIconTimerId, kSliceInterval, nullptr);
  }
}

void OnIconTimer(UINT_PTR timerId) {
  if (timerId != kIconTimerId) {
    return;
  }
  LauncherState& state = State();
  const auto deadline = std::chrono::steady_clock::now() + kSliceBudget;
  while (!state.pendingIcons.empty() &&
         std::chrono::steady_clock::now() < deadline) {
    PendingIcon pending = std::move(state.pendingIcons.front());
    state.pendingIcons.pop_front();
    const std::uint64_t stamp = IconStamp(pending.request);
    // The same icon may have been loaded for an earlier entry of this menu,
    // which replaced the one this entry was shown with: what the entry
    // shows decides, not what the cache holds now.
    const std::optional<SharedIcon> cached =
        state.iconCache.Find(pending.key, stamp);
    if (cached && pending.shownFromCache && ShownBy(pending) == *cached) {
      continue;
    }
    SharedIcon icon;
    if (cached) {
      icon = *cached;
    } else {
      icon = Share(LoadIconFor(pending.request));
      state.iconCache.Store(pending.key, stamp, icon);
    }
    // The entry list may have changed since; only the entry the icon was
    // meant for takes it.
    if (pending.entryIndex < state.entries.size() &&
        state.entries[pending.entryIndex].get() == pending.entry) {
      MenuEntry& entry = *state.entries[pending.entryIndex];
      const bool changed = entry.icon != icon;
      entry.icon = std::move(icon);
      if (changed) {
        RepaintEntry(entry);
      }
    }
  }
  if (state.pendingIcons.empty()) {
    KillTimer(state.hwnd, kIconTimerId);
  }
}

void ForgetPendingIcons(std::size_t firstEntry) {
  LauncherState& state = State();
  std::erase_if(state.pendingIcons, [firstEntry](const PendingIcon& pending) {
    return pending.entryIndex >= firstEntry;
  });
  if (state.pendingIcons.empty()) {
    KillTimer(state.hwnd, kIconTimerId);
  }
}

void ReleaseIconCache() {
  State().pendingIcons.clear();
  State().iconCache.Clear();
}

}  // namespace vorlane::launcher
