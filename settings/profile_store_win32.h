// SettingsStore over the platform's private-profile functions: every read or
// write goes to the file by its path, with no cache, so that changes by the
// other programs show at the next read. A path without a folder names a
// file in the Windows folder, as it does for the platform.
#pragma once

#include <cstddef>
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

class ProfileStore final : public SettingsStore {
 public:
  explicit ProfileStore(std::string path) : path_(std::move(path)) {}

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t limit) override;
  int ReadInt(std::string_view section, std::string_view key,
              int fallback) override;
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override;
  SectionRead ReadSection(std::string_view section) override;
  bool WriteSection(std::string_view section, std::string_view data) override;
  std::optional<std::set<std::string>> SectionsWithHiddenLines() override;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace vorlane::settings
