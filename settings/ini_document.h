// An INI text held in memory and read and written by the rules of the
// platform's private-profile functions: names match without regard to case,
// white space around names and values is dropped, the first of two equal
// keys wins, a line without "=" names a key that has no value (it reads as
// absent, and hides a later line of the same name). Values are written in
// the form StoredValue gives, as ProfileStore writes them. Native tests and
// fuzzing use it in place of the real file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings_store.h"

namespace vorlane::settings {

struct IniEntry {
  std::string key;
  std::string value;
  bool hasValue = true;  // false for a line without "="
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
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override;
  bool DeleteKey(std::string_view section, std::string_view key) override;
  SectionRead ReadSection(std::string_view section) override;
  bool WriteSection(std::string_view section, std::string_view data) override;
  std::optional<std::set<std::string>> SectionsWithHiddenLines() override;

  const std::vector<IniSection>& Sections() const { return sections_; }
  std::string Text() const;

 private:
  const IniSection* FindSection(std::string_view section) const;
  const IniEntry* Find(std::string_view section, std::string_view key) const;
  IniSection& SectionToWrite(std::string_view section);

  std::vector<IniSection> sections_;
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// The lines of section data in the form ReadSection gives ("key=value" or
// a bare name, each ended by a NUL, up to an empty one), names and values
// trimmed as the platform does.
std::vector<IniEntry> SectionLines(std::string_view data);

// A value as a single-key read gives it: one pair of matching quotes around
// it removed.
std::string_view Unquoted(std::string_view value);

// The text to put in the file so that a single-key read gives `value` back
// exactly: the reader trims blanks around a value and strips one pair of
// matching quotes, so a value that begins or ends with a blank, or is
// wrapped in a pair of matching quotes, goes inside one more pair of double
// quotes; any other value is stored as it is. A value ends at its first NUL,
// as the platform keeps C strings. Unquoted undoes it.
std::string StoredValue(std::string_view value);

}  // namespace vorlane::settings
