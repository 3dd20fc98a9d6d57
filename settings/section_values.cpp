#include "section_values.h"

#include <algorithm>

#include "ini_document.h"
#include "settings_model.h"

namespace vorlane::settings {
namespace {

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace

SectionValues::SectionValues(std::string_view data) {
  std::size_t start = 0;
  while (start < data.size()) {
    std::size_t end = data.find('\0', start);
    if (end == std::string_view::npos) end = data.size();
    if (end == start) break;
    const std::string_view line = data.substr(start, end - start);
    start = end + 1;

    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      first_.try_emplace(LowerAscii(line), std::nullopt);
    } else {
      first_.try_emplace(LowerAscii(line.substr(0, equals)),
                         std::string(line.substr(equals + 1)));
    }
  }
}

const std::optional<std::string>* SectionValues::Find(
    std::string_view key) const {
  const auto found = first_.find(LowerAscii(key));
  return found == first_.end() ? nullptr : &found->second;
}

std::string SectionValues::ReadString(std::string_view key,
                                      std::string_view fallback,
                                      std::size_t limit) const {
  const std::optional<std::string>* value = Find(key);
  const std::string_view text =
      value && *value ? Unquoted(**value) : fallback;
  return std::string(text.substr(0, std::min(limit, text.size())));
}

int SectionValues::ReadInt(std::string_view key, int fallback) const {
  const std::optional<std::string>* value = Find(key);
  if (value == nullptr || !*value) return fallback;
  const std::string_view text = Unquoted(**value);
  return text.empty() ? fallback : ParseDecimal(text);
}

std::string Read(const SectionValues& values, const TextKey& key, int number) {
  return values.ReadString(NumberedName(key.name, number), key.fallback,
                           key.limit);
}

int Read(const SectionValues& values, const IntKey& key, int number) {
  return values.ReadInt(NumberedName(key.name, number), key.fallback);
}

}  // namespace vorlane::settings
