// What a folder's submenu holds, decided from a listing of the folder: the
// order Explorer shows (digits as numbers), what is left out, the names
// shown and the limit. The listing itself is made on a worker
// (folder_listing_win32.cpp); names are UTF-16, as folders hold them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorlane::launcher {

// One entry of a folder as the listing found it.
struct FolderItem {
  std::wstring name;  // the file or folder name, without a path
  bool folder = false;
  bool hidden = false;
  bool system = false;
  // The 8.3 name where the file system keeps one and it differs from
  // `name`; how the ANSI functions reach a name outside the code page.
  std::wstring shortName;
};

// What listing a folder gave.
struct FolderListing {
  enum class Outcome {
    Listed,        // `items` holds the folder's entries (maybe none)
    NotFound,      // the folder is gone, or the location is no folder
    NotAnswering,  // no answer within the bound (a share that hangs)
  } outcome = Outcome::Listed;
  std::vector<FolderItem> items;
};

// Entries beyond this many are not listed; a last entry opens the folder.
inline constexpr std::size_t kFolderMenuLimit = 1000;

// Order as Explorer sorts names: without regard to case, and runs of digits
// compared as numbers ("file2" before "file10"). Negative, 0 or positive.
int CompareFolderNames(std::wstring_view a, std::wstring_view b);

// The name an entry shows: shortcuts (".lnk", ".url", any case) without
// their extension; every other name whole.
std::wstring ShownName(const FolderItem& item);

struct FolderMenuEntry {
  enum class Kind {
    OpenFolder,  // "Open folder": opens the folder itself
    Separator,
    Subfolder,   // a submenu of the folder `name` within this one
    File,        // starts the file `name` within this folder
    More,        // "More... (opens the folder)"
    Note,        // a disabled line: "(empty)", "(not found)", "(not answering)"
  } kind = Kind::File;
  std::wstring name;   // Subfolder, File: the name in the folder
  std::wstring shown;  // what the entry shows
  std::wstring shortName;  // the name's 8.3 form, where there is one
};

// The submenu: "Open folder", a separator, the subfolders, then the files,
// each group in Explorer's order, hidden and system entries left out; at
// most kFolderMenuLimit of them, then "More... (opens the folder)". A
// folder with nothing to show gets "(empty)" after the separator. A folder
// not found shows only "(not found)", one that did not answer only
// "(not answering)": there is nothing to open.
std::vector<FolderMenuEntry> PlanFolderMenu(const FolderListing& listing);

}  // namespace vorlane::launcher
