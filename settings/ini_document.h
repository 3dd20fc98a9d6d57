// An INI text held in memory and read and written by the rules of the
// platform's private-profile functions: names match without regard to case,
// white space around names and values is dropped, the first of two equal
// keys wins, a line without "=" holds no value. Native tests and fuzzing use
// it in place of the real file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings_store.h"

namespace vorlane::settings {

struct IniEntry {
  std::string key;
  std::string value;
};

struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;
};

class IniDocument final : public SettingsStore {
 public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view text);

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t limit) override;
  int ReadInt(std::string_view section, std::string_view key,
              int fallback) override;
  void WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override;

  const std::vector<IniSection>& Sections() const { return sections_; }
  std::string Text() const;

 private:
  const IniEntry* Find(std::string_view section, std::string_view key) const;

  std::vector<IniSection> sections_;
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace vorlane::settings
