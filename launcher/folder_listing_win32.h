// A folder's entries read from the file system, and the same within a bound
// for the menu's thread: a folder on a share that does not answer holds up
// whoever lists it for the network's time-out, which the menu must not wait
// for.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "launcher/folder_menu.h"

namespace vorlane::launcher {

// Every entry but "." and ".."; NotFound when the folder is missing, is no
// folder or cannot be listed. Takes as long as the file system does.
FolderListing ListFolder(const std::wstring& folder);

// Lists on a worker and waits at most `bound` for it: NotAnswering when the
// listing did not finish by then. The worker is not waited for; when it
// returns later its listing is dropped.
FolderListing ListFolderWithin(const std::wstring& folder,
                               std::chrono::milliseconds bound);

// What the workers list with: ListFolder unless a test puts a listing of its
// own in its place (nullptr puts ListFolder back). Listings already started
// keep the one they began with.
using FolderLister = FolderListing (*)(const std::wstring& folder);
void SetFolderLister(FolderLister lister);

// Workers of ListFolderWithin that have not ended yet, those whose listing
// was given up on included.
std::size_t FolderListingsRunning();

}  // namespace vorlane::launcher
