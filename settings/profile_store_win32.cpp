#include "profile_store_win32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "ini_document.h"
#include "win32/handles.h"

namespace vorlane::settings {
namespace {

// The file the profile functions open: they look for a bare file name (no
// folder, no drive) in the Windows folder, not in the current one.
std::string ProfileFilePath(const std::string& path) {
  if (path.find_first_of("\\/:") != std::string::npos) return path;
  char folder[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryA(folder, static_cast<UINT>(std::size(folder)));
  if (length == 0 || length >= std::size(folder)) return path;
  return std::string(folder, length) + "\\" + path;
}

// The file opened for reading as the profile functions open it; an empty
// handle and `missing` set when there is no such file, which they read as
// an empty one.
win32::UniqueFile OpenForReading(const std::string& path, bool& missing) {
  win32::UniqueFile file(CreateFileA(ProfileFilePath(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE |
                                         FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
  const DWORD error = file ? ERROR_SUCCESS : GetLastError();
  missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  return file;
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 4] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(std::size(full)),
                                        full, nullptr);
  if (length == 0 || length >= std::size(full)) return path;
  return std::string(full, length);
}

std::string LongPath(const std::string& path) {
  const DWORD needed = GetLongPathNameA(path.c_str(), nullptr, 0);
  if (needed == 0) return {};
  std::string longPath(needed, '\0');
  const DWORD length = GetLongPathNameA(path.c_str(), longPath.data(), needed);
  if (length == 0 || length >= needed) return {};
  longPath.resize(length);
  return longPath;
}

}  // namespace

std::string SettingsFileIdentity(const std::string& path) {
  const std::string full = FullPath(ProfileFilePath(path));
  std::string longPath = LongPath(full);
  if (!longPath.empty()) return longPath;
  const std::size_t slash = full.find_last_of('\\');
  if (slash == std::string::npos || slash == 0) return full;
  std::string folder = LongPath(full.substr(0, slash));
  if (folder.empty()) return full;
  return folder + full.substr(slash);
}

LockOutcome ProfileStore::Lock(LockPurpose purpose) {
  if (locking_ == FileLocking::Off) return LockOutcome::Unlocked;
  if (depth_ > 0) {
    ++depth_;
    return LockOutcome::Taken;
  }
  if (!mutex_) {
    const std::string name = SettingsLockName(SettingsFileIdentity(path_));
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) return LockOutcome::Unlocked;
    mutex_.reset(mutex, CloseHandle);
  }
  const auto wait = purpose == LockPurpose::Read ? kReadLockWait : kWriteLockWait;
  LockOutcome outcome = LockOutcome::Unlocked;
  switch (WaitForSingleObject(mutex_.get(), static_cast<DWORD>(wait.count()))) {
    case WAIT_OBJECT_0:
      outcome = LockOutcome::Taken;
      break;
    case WAIT_ABANDONED:
      outcome = LockOutcome::TakenOver;
      break;
    case WAIT_TIMEOUT:
      outcome = LockOutcome::TimedOut;
      break;
    default:
      break;
  }
  if (Holds(outcome)) depth_ = 1;
  if (purpose == LockPurpose::Write) refused_ = outcome == LockOutcome::TimedOut;
  return outcome;
}

void ProfileStore::Unlock() {
  if (depth_ > 0 && --depth_ == 0) ReleaseMutex(mutex_.get());
}

std::string ProfileStore::ReadString(std::string_view section,
                                     std::string_view key,
                                     std::string_view fallback,
                                     std::size_t limit) {
  const std::string sectionName(section), keyName(key), fallbackText(fallback);
  // Most values are short: a key read whole (MenuOrder) costs a large
  // buffer only when its value is large.
  std::vector<char> buffer(std::min(limit, kFirstValueBuffer) + 1, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD copied = GetPrivateProfileStringA(
        sectionName.c_str(), keyName.c_str(), fallbackText.c_str(),
        buffer.data(), size, path_.c_str());
    // A value that did not fit comes back cut, with size - 1. Wine 8 gives
    // size - 2 for a quoted value whose text exactly fills the buffer, having
    // lost its last character: that answer is not trusted either. The last
    // buffer is the key's own, so that a value is cut where it always was.
    if (copied + 2 < size || buffer.size() > limit) {
      return std::string(buffer.data(), std::min<std::size_t>(copied, limit));
    }
    buffer.assign(std::min(limit, buffer.size() * 2) + 1, '\0');
  }
}

int ProfileStore::ReadInt(std::string_view section, std::string_view key,
                          int fallback) {
  return static_cast<int>(GetPrivateProfileIntA(std::string(section).c_str(),
                                                std::string(key).c_str(),
                                                fallback, path_.c_str()));
}

bool ProfileStore::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
  // The platform empties the file before it writes it anew: a reader that
  // holds the lock must not see that.
  const LockHold hold(*this, LockPurpose::Write);
  if (hold.TimedOut()) return false;
  return WritePrivateProfileStringA(std::string(section).c_str(),
                                    std::string(key).c_str(),
                                    StoredValue(value).c_str(),
                                    path_.c_str()) != FALSE;
}

bool ProfileStore::DeleteKey(std::string_view section, std::string_view key) {
  const LockHold hold(*this, LockPurpose::Write);
  if (hold.TimedOut()) return false;
  return WritePrivateProfileStringA(std::string(section).c_str(),
                                    std::string(key).c_str(), nullptr,
                                    path_.c_str()) != FALSE;
}

bool ProfileStore::WriteSection(std::string_view section,
                                std::string_view data) {
  // The platform reads the lines up to the empty one that ends them.
  std::string lines(data);
  lines.append(2, '\0');
  const LockHold hold(*this, LockPurpose::Write);
  if (hold.TimedOut()) return false;
  return WritePrivateProfileSectionA(std::string(section).c_str(),
                                     lines.c_str(), path_.c_str()) != FALSE;
}

SectionRead ProfileStore::ReadSection(std::string_view section) {
  const std::string name(section);
  std::vector<char> buffer(kFirstSectionBuffer, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD copied = GetPrivateProfileSectionA(name.c_str(), buffer.data(),
                                                   size, path_.c_str());
    // A section that did not fit comes back cut, with size - 2. A section
    // that just fits can report the same, so that answer is never trusted.
    if (copied + 2 < size) {
      // A file held open without sharing reads as an empty section too:
      // an edit made on that would write over what the file holds.
      bool missing = false;
      if (copied == 0 && !OpenForReading(path_, missing) && !missing) {
        return SectionRead{SectionRead::Outcome::Unreadable, {}};
      }
      // The NUL after the last string ends the list and belongs to the data.
      return SectionRead{SectionRead::Outcome::Whole,
                         std::string(buffer.data(), copied + 1)};
    }
    if (buffer.size() >= kLastSectionBuffer) {
      return SectionRead{SectionRead::Outcome::TooLarge, {}};
    }
    buffer.assign(buffer.size() * 2, '\0');
  }
}

std::optional<std::set<std::string>> ProfileStore::SectionsWithHiddenLines() {
  bool missing = false;
  win32::UniqueFile file = OpenForReading(path_, missing);
  if (!file) {
    if (missing) return std::set<std::string>();
    return std::nullopt;
  }
  std::string text;
  std::vector<char> chunk(65536);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read,
                  nullptr)) {
      return std::nullopt;
    }
    if (read == 0) break;
    text.append(chunk.data(), read);
  }
  return IniDocument::Parse(text).SectionsWithHiddenLines();
}

}  // namespace vorlane::settings
