// SettingsStore over the platform's private-profile functions: every read or
// write goes to the file by its path, with no cache, so that changes by the
// other programs show at the next read. A path without a folder names a
// file in the Windows folder, as it does for the platform.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "settings_store.h"

namespace vorlane::settings {

// Characters of the first buffer a section is read into; it doubles until
// the section fits, but not beyond the last size.
inline constexpr std::size_t kFirstSectionBuffer = 4096;
inline constexpr std::size_t kLastSectionBuffer = std::size_t{1} << 24;
// Characters a single value is first read with; the buffer doubles the same
// way, up to the key's read limit.
inline constexpr std::size_t kFirstValueBuffer = 255;

// The file's path as its lock is named from: full, and in its long form,
// so that one file gives one name however its path was written (an 8.3
// short name, a relative path). For a file not there yet, the long form of
// its folder and then its name.
std::string SettingsFileIdentity(const std::string& path);

// Whether a store takes the file's lock. Off only where a test shows what
// the programs would do without it.
enum class FileLocking { On, Off };

class ProfileStore final : public SettingsStore {
 public:
  explicit ProfileStore(std::string path, FileLocking locking = FileLocking::On)
      : path_(std::move(path)), locking_(locking) {}
  ProfileStore(const ProfileStore&) = delete;
  ProfileStore& operator=(const ProfileStore&) = delete;
  ProfileStore(ProfileStore&&) = default;
  ProfileStore& operator=(ProfileStore&&) = default;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t limit) override;
  int ReadInt(std::string_view section, std::string_view key,
              int fallback) override;
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override;
  SectionRead ReadSection(std::string_view section) override;
  bool WriteSection(std::string_view section, std::string_view data) override;
  std::optional<std::set<std::string>> SectionsWithHiddenLines() override;
  bool DeleteKey(std::string_view section, std::string_view key) override;
  // The settings lock of the file's full path; a write outside a held lock
  // takes it for itself.
  LockOutcome Lock(LockPurpose purpose) override;
  void Unlock() override;

  const std::string& Path() const { return path_; }
  // Whether the lock was last asked for a write and another program kept
  // it for the whole wait: what failed then was no fault of the file.
  bool LastWriteWasRefused() const { return refused_; }

 private:
  std::string path_;
  FileLocking locking_;
  std::shared_ptr<void> mutex_;  // made at the first Lock
  int depth_ = 0;                // Locks held by this store
  bool refused_ = false;
};

}  // namespace vorlane::settings
