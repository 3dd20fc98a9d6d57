// One section read in one call and answered key by key. The data is what
// SettingsStore::ReadSection gives; the answers are those that single-key
// reads of the same section would give: names match without regard to case,
// the first line of a name wins (a line without "=" reads as absent), one
// pair of matching quotes is removed, values are cut at the reader's limit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "settings_names.h"

namespace vorlane::settings {

class SectionValues {
 public:
  // Any bytes are taken: the strings end at the first empty one or at the
  // end of the data, whichever comes first.
  explicit SectionValues(std::string_view data);

  std::string ReadString(std::string_view key, std::string_view fallback,
                         std::size_t limit) const;
  // Decimal, as ParseDecimal reads it; `fallback` when absent or empty.
  int ReadInt(std::string_view key, int fallback) const;

 private:
  // The value of the first line of each name, by its name in lower case;
  // empty for a line without "=".
  const std::optional<std::string>* Find(std::string_view key) const;

  std::unordered_map<std::string, std::optional<std::string>> first_;
};

std::string Read(const SectionValues& values, const TextKey& key, int number);
int Read(const SectionValues& values, const IntKey& key, int number);

}  // namespace vorlane::settings
