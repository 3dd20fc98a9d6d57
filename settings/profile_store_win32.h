// SettingsStore over the platform's private-profile functions: every read or
// write is one call that names the file by its full path, with no cache, so
// that changes by the other programs show at the next read.
#pragma once

#include <string>

#include "settings_store.h"

namespace vorlane::settings {

class ProfileStore final : public SettingsStore {
 public:
  explicit ProfileStore(std::string path) : path_(std::move(path)) {}

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t limit) override;
  int ReadInt(std::string_view section, std::string_view key,
              int fallback) override;
  void WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace vorlane::settings
