// Icons of the menu entries. The shell needs milliseconds per icon, and a
// file on a share that does not answer holds up whoever reads it for the
// network's time-out, so the menu never waits for either: an entry shows its
// cached icon at once, or none while its icon is looked up, and the files
// are read on workers from the moment the menu loop first falls idle. Each
// answer comes back in a message and repaints the entries it is for. An
// entry whose place does not answer shows its cached icon, or else the
// generic one for its kind.
#include <windows.h>
#include <shellapi.h>
#include <objbase.h>

#include <chrono>
#include <unordered_set>

#include "launcher/launcher_state.h"
#include "resources/resource_ids.h"
#include "win32/shell_icon.h"

namespace vorlane::launcher {
namespace {

using Outcome = EntryIconLoader::Outcome;

constexpr UINT_PTR kIconTimerId = 1;
// How often the open menu looks for places that stopped answering.
constexpr UINT kNoAnswerCheckInterval = 100;
// Far longer than a local file takes, also the first one the shell looks
// at, and short enough to be hardly noticed.
constexpr auto kNoAnswerAfter = std::chrono::milliseconds(500);
constexpr auto kRememberSilence = std::chrono::seconds(30);
constexpr auto kWorkerLinger = std::chrono::seconds(30);
constexpr std::size_t kMostWorkers = 4;

// Errors with which a share that cannot be reached answers, after its
// time-out; any other failure is an answer about the file itself.
bool IsNetworkFailure(DWORD error) {
  switch (error) {
    case ERROR_REM_NOT_LIST:
    case ERROR_BAD_NETPATH:
    case ERROR_NETWORK_BUSY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETNAME_DELETED:
    case ERROR_BAD_DEV_TYPE:  // Wine's answer for every share
    case ERROR_BAD_NET_NAME:
    case ERROR_SEM_TIMEOUT:
    case ERROR_CONNECTION_UNAVAIL:
    case ERROR_NO_NET_OR_BAD_PATH:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_HOST_UNREACHABLE:
    case ERROR_NOT_CONNECTED:
      return true;
    default:
      return false;
  }
}

// The last-write time, 0 for a file that is not there; nothing when the
// network did not answer.
std::optional<std::uint64_t> LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.empty()) {
    return 0;
  }
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    if (IsNetworkFailure(GetLastError())) {
      return std::nullopt;
    }
    return 0;
  }
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

// What makes a cached icon stale: the files it was taken from changed.
std::optional<std::uint64_t> IconStamp(const IconRequest& request) {
  switch (request.source) {
    case IconSource::ShellFile:
      return LastWriteTime(request.location);
    case IconSource::Custom: {
      const auto file = LastWriteTime(request.file);
      if (!file) return std::nullopt;
      const auto location = LastWriteTime(request.location);
      if (!location) return std::nullopt;
      return *file * 31 + *location;
    }
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

HICON LoadEntryIcon(const std::string& location, int size,
                    HINSTANCE instance) {
  if (location.empty()) {
    return nullptr;
  }
  IconRequest request = DefaultIconFor(location);
  request.size = size;
  if (request.source == IconSource::ShellFile) {
    return win32::ShellIconAtSize(location.c_str(), 0, 0, size);
  }
  return LoadIconFor(request, instance);
}

// The shell's icon for the kind of the location, found from its name alone
// without reading the location; kept in the cache with the others.
SharedIcon GenericIcon(const IconRequest& request) {
  const std::string kind = GenericIconKind(request);
  const std::string key =
      "*generic|" + kind + "|" + std::to_string(request.size);
  IconCache<win32::UniqueIcon>& cache = State().iconCache;
  if (const auto cached = cache.Find(key, 0)) {
    return *cached;
  }
  SharedIcon icon =
      kind.empty()
          ? Share(win32::ShellIconAtSize("folder", FILE_ATTRIBUTE_DIRECTORY,
                                         SHGFI_USEFILEATTRIBUTES, request.size))
          : Share(win32::ShellIconAtSize(("*" + kind).c_str(),
                                         FILE_ATTRIBUTE_NORMAL,
                                         SHGFI_USEFILEATTRIBUTES, request.size));
  cache.Store(key, 0, icon);
  return icon;
}

// The shell calls behind the icons expect COM on the calling thread.
bool EnterWorker() {
  return SUCCEEDED(CoInitializeEx(
      nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

void LeaveWorker() { CoUninitialize(); }

// The loader of the launcher's window. The workers get no access to the
// launcher's state: what they need is copied to them, as a worker may still
// run after the state has gone.
EntryIconLoader& Loader() {
  LauncherState& state = State();
  if (!state.iconLoader || state.iconLoaderWindow != state.hwnd ||
      state.iconLoaderLookUp != state.iconLookUp) {
    EntryIconLoader::Options options;
    options.lookUp = [lookUp = state.iconLookUp, instance = state.instance](
                         const EntryIconLoader::Job& job) {
      return lookUp(job, instance);
    };
    options.answersWaiting = [window = state.hwnd] {
      PostMessageA(window, WM_ENTRYICONS, 0, 0);
    };
    options.workerStarts = EnterWorker;
    options.workerEnds = LeaveWorker;
    options.noAnswerAfter = kNoAnswerAfter;
    options.rememberSilence = kRememberSilence;
    options.linger = kWorkerLinger;
    options.mostWorkers = kMostWorkers;
    state.iconLoader.reset();
    state.iconLoader = std::make_unique<EntryIconLoader>(std::move(options));
    state.iconLoaderWindow = state.hwnd;
    state.iconLoaderLookUp = state.iconLookUp;
  }
  return *state.iconLoader;
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

// The entry the waiter was meant for, when the entry list still holds it.
MenuEntry* EntryOf(const IconWaiter& waiter) {
  LauncherState& state = State();
  if (waiter.entryIndex < state.entries.size() &&
      state.entries[waiter.entryIndex].get() == waiter.entry) {
    return state.entries[waiter.entryIndex].get();
  }
  return nullptr;
}

// What the entry shows decides, not what the cache holds: another entry's
// look-up may have replaced the cached icon this entry was shown with.
void ShowIcon(const IconWaiter& waiter, const SharedIcon& icon) {
  MenuEntry* entry = EntryOf(waiter);
  if (entry != nullptr && entry->icon != icon) {
    entry->icon = icon;
    RepaintEntry(*entry);
  }
}

// Cached or generic, for entries that show nothing from the cache.
void ShowWithoutAnswer(const PendingIcon& pending,
                       const std::vector<IconWaiter>& waiters) {
  if (pending.shown) {
    return;
  }
  SharedIcon icon;
  if (const auto cached = State().iconCache.Peek(pending.key)) {
    icon = *cached;
  }
  for (const IconWaiter& waiter : waiters) {
    const MenuEntry* entry = EntryOf(waiter);
    if (entry == nullptr || entry->icon) {
      continue;
    }
    if (!icon) {
      icon = GenericIcon(pending.request);
    }
    ShowIcon(waiter, icon);
  }
}

// The cached icon for the key and stamp, the answer's own icon stored when
// there is none: two look-ups of one icon leave one handle in use.
SharedIcon CachedOrStored(const std::string& key, std::uint64_t stamp,
                          SharedIcon icon) {
  IconCache<win32::UniqueIcon>& cache = State().iconCache;
  if (const auto cached = cache.Find(key, stamp)) {
    return *cached;
  }
  cache.Store(key, stamp, icon);
  return icon;
}

// Answers also come for look-ups of a menu that has closed, or of entries
// gone since: their icons are cached for the next showing.
void ApplyAnswer(EntryIconLoader::Done& done) {
  LauncherState& state = State();
  std::optional<PendingIcon> pending;
  if (const auto found = state.pendingByKey.find(done.job.key);
      found != state.pendingByKey.end() &&
      found->second->lookUpId == done.job.id) {
    const auto listed = found->second;
    state.pendingByKey.erase(found);
    pending = std::move(*listed);
    state.pendingIcons.erase(listed);
  }
  const EntryIconLoader::Answer& answer = done.answer;
  SharedIcon icon;
  switch (answer.outcome) {
    case Outcome::Loaded:
      icon = CachedOrStored(done.job.key, answer.stamp, answer.icon);
      break;
    case Outcome::Unchanged:
      // The stamp is the one of the icon shown from the cache, which may
      // have been dropped from the cache meanwhile.
      if (const auto cached = state.iconCache.Find(done.job.key, answer.stamp)) {
        icon = *cached;
      } else if (pending && pending->shown) {
        icon = CachedOrStored(done.job.key, answer.stamp, *pending->shown);
      } else {
        return;
      }
      break;
    case Outcome::NoAnswer:
      if (pending) {
        ShowWithoutAnswer(*pending, pending->waiters);
      }
      return;
  }
  if (pending) {
    for (const IconWaiter& waiter : pending->waiters) {
      ShowIcon(waiter, icon);
    }
  }
}

void ApplyAnswers() {
  LauncherState& state = State();
  if (!state.iconLoader) {
    return;
  }
  std::vector<EntryIconLoader::Done> answers = state.iconLoader->TakeAnswers();
  for (EntryIconLoader::Done& done : answers) {
    ApplyAnswer(done);
  }
}

void SubmitLookUps() {
  LauncherState& state = State();
  for (PendingIcon& pending : state.pendingIcons) {
    if (pending.lookUpId == 0) {
      pending.lookUpId = Loader().Submit(
          {0, pending.key, pending.place, pending.request, pending.shownStamp});
    }
  }
}

// Entries of a place that has kept a look-up for too long get their cached
// or generic icon meanwhile.
void ShowWhereNoAnswer() {
  LauncherState& state = State();
  if (!state.iconLoader) {
    return;
  }
  for (const PendingIcon& pending : state.pendingIcons) {
    if (pending.lookUpId != 0 && !state.iconLoader->Answering(pending.place)) {
      ShowWithoutAnswer(pending, pending.waiters);
    }
  }
}

void StopTimerWhenDone() {
  LauncherState& state = State();
  if (state.pendingIcons.empty() && state.iconTimerRunning) {
    KillTimer(state.hwnd, kIconTimerId);
    state.iconTimerRunning = false;
  }
}

}  // namespace

HICON LoadIconFor(const IconRequest& request, HINSTANCE instance) {
  switch (request.source) {
    case IconSource::None:
      return nullptr;
    case IconSource::Run:
      return LoadResourceIcon(instance, IDI_RUN, request.size);
    case IconSource::Email:
      return LoadResourceIcon(instance, IDI_EMAIL, request.size);
    case IconSource::Batch:
      return LoadResourceIcon(instance, IDI_BATCH, request.size);
    case IconSource::WebShortcut:
      return win32::ShellIconAtSize("*.url", 0, SHGFI_USEFILEATTRIBUTES,
                                    request.size);
    case IconSource::ShellFile:
      return LoadEntryIcon(request.location, request.size, instance);
    case IconSource::Custom:
      // The file's own image of the menu's size where it has one, not its
      // large image drawn small.
      if (HICON icon =
              ExtractIconFromFile(request.file, request.index, request.size)) {
        return icon;
      }
      return LoadEntryIcon(request.location, request.size, instance);
  }
  return nullptr;
}

EntryIconLoader::Answer LookUpIcon(const EntryIconLoader::Job& job,
                                   HINSTANCE instance) {
  const std::optional<std::uint64_t> stamp = IconStamp(job.request);
  if (!stamp) {
    return {Outcome::NoAnswer, 0, nullptr};
  }
  if (job.knownStamp == stamp) {
    return {Outcome::Unchanged, *stamp, nullptr};
  }
  return {Outcome::Loaded, *stamp, Share(LoadIconFor(job.request, instance))};
}

void AssignEntryIcon(std::size_t entryIndex, const IconRequest& request) {
  LauncherState& state = State();
  if (request.source == IconSource::None || entryIndex >= state.entries.size()) {
    return;
  }
  MenuEntry& entry = *state.entries[entryIndex];
  if (IsResourceIcon(request.source)) {
    entry.icon = Share(LoadIconFor(request, state.instance));
    return;
  }
  // Nothing here touches the files: a target on a share that does not
  // answer would hold up every opening. A cached icon shows at once, and
  // whether its files changed is looked at with the loading, once the menu
  // is painted.
  const IconWaiter waiter{entryIndex, &entry};
  std::string key = IconCacheKey(request);
  const std::optional<SharedIcon> cached = state.iconCache.Peek(key);
  if (cached) {
    entry.icon = *cached;
  }
  if (const auto found = state.pendingByKey.find(key);
      found != state.pendingByKey.end()) {
    PendingIcon& pending = *found->second;
    pending.waiters.push_back(waiter);
    if (pending.lookUpId != 0 && !Loader().Answering(pending.place)) {
      ShowWithoutAnswer(pending, {waiter});
    }
    return;
  }
  PendingIcon pending;
  pending.request = request;
  pending.key = std::move(key);
  pending.place = IconPlace(request);
  if (cached) {
    pending.shown = *cached;
    pending.shownStamp = state.iconCache.StampOf(pending.key);
  }
  pending.waiters.push_back(waiter);
  // A place that did not answer lately is not asked again for a while.
  if (!Loader().Answering(pending.place)) {
    ShowWithoutAnswer(pending, pending.waiters);
    if (Loader().Silent(pending.place)) {
      return;
    }
  }
  state.pendingIcons.push_back(std::move(pending));
  state.pendingByKey[state.pendingIcons.back().key] =
      std::prev(state.pendingIcons.end());
}

void StartIconLoading() {
  // Called when the menu loop falls idle: the popups are painted by then, so
  // the answers never delay the entries themselves.
  LauncherState& state = State();
  if (state.pendingIcons.empty()) {
    return;
  }
  SubmitLookUps();
  // The menu falls idle again at every move of the pointer: a timer set
  // anew each time would never come while the pointer moves, and entries
  // whose look-up does not answer would stay blank.
  if (!state.iconTimerRunning) {
    state.iconTimerRunning =
        SetTimer(state.hwnd, kIconTimerId, kNoAnswerCheckInterval, nullptr) != 0;
  }
}

void OnEntryIcons() {
  ApplyAnswers();
  StopTimerWhenDone();
}

void OnIconTimer(UINT_PTR timerId) {
  if (timerId != kIconTimerId) {
    return;
  }
  // The answers' own message may have been lost (a full queue), and a
  // submenu opened since may not have let the menu loop fall idle.
  ApplyAnswers();
  SubmitLookUps();
  ShowWhereNoAnswer();
  StopTimerWhenDone();
}

void ForgetPendingIcons(std::size_t firstEntry) {
  LauncherState& state = State();
  std::unordered_set<std::uint64_t> cancelled;
  for (auto pending = state.pendingIcons.begin();
       pending != state.pendingIcons.end();) {
    std::erase_if(pending->waiters, [firstEntry](const IconWaiter& waiter) {
      return waiter.entryIndex >= firstEntry;
    });
    if (!pending->waiters.empty()) {
      ++pending;
      continue;
    }
    if (pending->lookUpId != 0) {
      cancelled.insert(pending->lookUpId);
    }
    state.pendingByKey.erase(pending->key);
    pending = state.pendingIcons.erase(pending);
  }
  if (!cancelled.empty() && state.iconLoader) {
    state.iconLoader->Cancel(cancelled);
  }
  StopTimerWhenDone();
}

void ReleaseIconCache() {
  LauncherState& state = State();
  state.pendingIcons.clear();
  state.pendingByKey.clear();
  state.iconLoader.reset();
  state.iconCache.Clear();
}

}  // namespace vorlane::launcher
