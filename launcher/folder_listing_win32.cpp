#include "launcher/folder_listing_win32.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <utility>

#include "launcher/worker_sync.h"
#include "win32/handles.h"

namespace vorlane::launcher {
namespace {

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' &&
         (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

FolderListing Failed(FolderListing::Outcome outcome) {
  FolderListing listing;
  listing.outcome = outcome;
  return listing;
}

std::atomic<FolderLister> g_lister{nullptr};
std::atomic<std::size_t> g_running{0};

// What a listing and the caller waiting for it share. The caller may give up
// and return first; the worker's reference keeps this alive until it is done.
struct PendingListing {
  sync::Mutex mutex;
  sync::ConditionVariable finished;
  bool done = false;
  bool abandoned = false;
  FolderListing listing;
};

void RunListing(const std::shared_ptr<PendingListing>& pending,
                FolderLister lister, const std::wstring& folder) {
  FolderListing listing;
  try {
    listing = lister(folder);
  } catch (...) {
    // Out of memory in a vast folder: the caller learns nothing usable.
    listing = Failed(FolderListing::Outcome::NotAnswering);
  }
  {
    sync::Lock lock(pending->mutex);
    pending->done = true;
    // Nobody reads a listing given up on: it is freed here, not kept
    // until the shared state goes.
    if (!pending->abandoned) pending->listing = std::move(listing);
  }
  pending->finished.notify_all();
}

}  // namespace

FolderListing ListFolder(const std::wstring& folder) {
  if (folder.empty()) return Failed(FolderListing::Outcome::NotFound);
  std::wstring pattern = folder;
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';

  WIN32_FIND_DATAW found;
  const win32::UniqueFind search(FindFirstFileExW(
      pattern.c_str(), FindExInfoStandard, &found, FindExSearchNameMatch, nullptr,
      FIND_FIRST_EX_LARGE_FETCH));
  if (!search) {
    // The root of an empty drive has not even "." to give.
    if (GetLastError() == ERROR_FILE_NOT_FOUND && IsFolder(folder)) return {};
    return Failed(FolderListing::Outcome::NotFound);
  }
  FolderListing listing;
  do {
    if (IsDotEntry(found.cFileName)) continue;
    FolderItem item;
    item.name = found.cFileName;
    item.shortName = found.cAlternateFileName;
    item.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item.hidden = (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    item.system = (found.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
    listing.items.push_back(std::move(item));
  } while (FindNextFileW(search.get(), &found));
  return listing;
}

FolderListing ListFolderWithin(const std::wstring& folder,
                               std::chrono::milliseconds bound) {
  FolderLister lister = g_lister.load();
  if (lister == nullptr) lister = ListFolder;
  auto pending = std::make_shared<PendingListing>();
  ++g_running;
  // The worker lets go of the shared state before it counts itself out, so
  // that none running means none holds memory either.
  const bool started =
      sync::StartDetached([pending, lister, folder]() mutable {
        RunListing(pending, lister, folder);
        pending.reset();
        --g_running;
      });
  if (!started) {
    --g_running;
    // Listing here instead could hold up the caller for as long as a share
    // takes, which is what the worker is for.
    return Failed(FolderListing::Outcome::NotAnswering);
  }

  FolderListing listing = Failed(FolderListing::Outcome::NotAnswering);
  sync::Lock lock(pending->mutex);
  if (pending->finished.wait_for(pending->mutex, bound,
                                 [&] { return pending->done; })) {
    listing = std::move(pending->listing);
  } else {
    pending->abandoned = true;
  }
  return listing;
}

void SetFolderLister(FolderLister lister) { g_lister.store(lister); }

std::size_t FolderListingsRunning() { return g_running.load(); }

}  // namespace vorlane::launcher
