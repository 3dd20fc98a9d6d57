#include "ini_document.h"

#include <algorithm>

#include "settings_model.h"

namespace vorlane::settings {
namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// 0x1a (the old end-of-file mark) is trimmed by the platform too.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' ||
         c == '\x1a';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The platform keeps names and values as C strings: a NUL in the file ends
// them there.
std::string UpToNul(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

bool IsComment(const IniEntry& entry) {
  return !entry.key.empty() && entry.key.front() == ';';
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

std::vector<IniEntry> SectionLines(std::string_view data) {
  std::vector<IniEntry> lines;
  std::size_t start = 0;
  while (start < data.size() && data[start] != '\0') {
    std::size_t end = data.find('\0', start);
    if (end == std::string_view::npos) end = data.size();
    const std::string_view line = data.substr(start, end - start);
    start = end + 1;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      lines.push_back(IniEntry{std::string(Trim(line)), "", false});
    } else {
      lines.push_back(IniEntry{std::string(Trim(line.substr(0, equals))),
                               std::string(Trim(line.substr(equals + 1)))});
    }
  }
  return lines;
}

std::string StoredValue(std::string_view value) {
  value = value.substr(0, value.find('\0'));
  const bool wrapped = value.size() >= 2 &&
                       (value.front() == '"' || value.front() == '\'') &&
                       value.back() == value.front();
  const bool padded =
      !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
  if (!wrapped && !padded) return std::string(value);
  return "\"" + std::string(value) + "\"";
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument doc;
  IniSection* current = nullptr;
  // Whether the last line kept in the current section had an empty name.
  bool previousNameEmpty = false;
  std::size_t start = 0;
  while (start < text.size()) {
    // A lone CR ends a line as well as LF does.
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) {
      continue;
    }

    // The last "]" closes the name; a line without one is no section head
    // but a key line.
    const std::size_t close = line.rfind(']');
    if (line.front() == '[' && close != std::string_view::npos) {
      doc.sections_.push_back(
          IniSection{UpToNul(Trim(line.substr(1, close - 1))), {}});
      current = &doc.sections_.back();
      previousNameEmpty = false;
      continue;
    }
    if (current == nullptr) {
      continue;
    }
    IniEntry entry;
    std::string_view name = line;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      entry.hasValue = false;
    } else {
      name = Trim(line.substr(0, equals));
      entry.value = UpToNul(Trim(line.substr(equals + 1)));
    }
    // The platform drops a nameless line ("=value") when the line it kept
    // before in the section was nameless too; blank lines do not count.
    if (name.empty() && previousNameEmpty) {
      continue;
    }
    entry.key = UpToNul(name);
    previousNameEmpty = entry.key.empty();
    current->entries.push_back(std::move(entry));
  }
  return doc;
}

const IniSection* IniDocument::FindSection(std::string_view section) const {
  // Only the first section of a name counts: a later one of the same name is
  // never searched, as the platform does.
  for (const IniSection& s : sections_) {
    if (EqualsIgnoringCase(s.name, section)) return &s;
  }
  return nullptr;
}

const IniEntry* IniDocument::Find(std::string_view section,
                                  std::string_view key) const {
  const IniSection* s = FindSection(section);
  if (s == nullptr) return nullptr;
  for (const IniEntry& e : s->entries) {
    if (EqualsIgnoringCase(e.key, key)) return &e;
  }
  return nullptr;
}

std::string IniDocument::ReadString(std::string_view section,
                                    std::string_view key,
                                    std::string_view fallback,
                                    std::size_t limit) {
  const IniEntry* entry = Find(section, key);
  const std::string_view value =
      entry && entry->hasValue ? Unquoted(entry->value) : fallback;
  return std::string(value.substr(0, std::min(limit, value.size())));
}

int IniDocument::ReadInt(std::string_view section, std::string_view key,
                         int fallback) {
  const IniEntry* entry = Find(section, key);
  if (entry == nullptr || !entry->hasValue) return fallback;
  const std::string_view value = Unquoted(entry->value);
  return value.empty() ? fallback : ParseDecimal(value);
}

IniSection& IniDocument::SectionToWrite(std::string_view section) {
  const std::string sectionName = UpToNul(section);
  auto s = std::find_if(sections_.begin(), sections_.end(),
                        [&](const IniSection& candidate) {
                          return EqualsIgnoringCase(candidate.name, sectionName);
                        });
  if (s != sections_.end()) return *s;
  sections_.push_back(IniSection{sectionName, {}});
  return sections_.back();
}

bool IniDocument::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  IniSection& s = SectionToWrite(section);
  const std::string keyName = UpToNul(key);
  for (IniEntry& e : s.entries) {
    if (EqualsIgnoringCase(e.key, keyName)) {
      e.value = StoredValue(value);
      e.hasValue = true;
      return true;
    }
  }
  s.entries.push_back(IniEntry{keyName, StoredValue(value)});
  return true;
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  const std::string keyName = UpToNul(key);
  for (IniSection& s : sections_) {
    if (!EqualsIgnoringCase(s.name, section)) continue;
    for (auto e = s.entries.begin(); e != s.entries.end(); ++e) {
      if (EqualsIgnoringCase(e->key, keyName)) {
        s.entries.erase(e);
        return true;
      }
    }
    return true;
  }
  return true;
}

bool IniDocument::WriteSection(std::string_view section, std::string_view data) {
  SectionToWrite(section).entries = SectionLines(data);
  return true;
}

SectionRead IniDocument::ReadSection(std::string_view section) {
  std::string data;
  if (const IniSection* s = FindSection(section)) {
    for (const IniEntry& e : s->entries) {
      if (IsComment(e) || (e.key.empty() && !e.hasValue)) continue;
      data += e.key;
      if (e.hasValue) {
        data += '=';
        data += e.value;
      }
      data += '\0';
    }
  }
  data += '\0';
  return SectionRead{SectionRead::Outcome::Whole, std::move(data)};
}

std::optional<std::set<std::string>> IniDocument::SectionsWithHiddenLines() {
  std::set<std::string> hidden;
  std::set<std::string> seen;
  for (const IniSection& s : sections_) {
    std::string name = s.name;
    for (char& c : name) c = LowerAscii(c);
    const bool repeated = !seen.insert(name).second;
    const bool odd = std::any_of(
        s.entries.begin(), s.entries.end(), [](const IniEntry& e) {
          return IsComment(e) || !e.hasValue || e.key.empty();
        });
    if (repeated || odd) hidden.insert(name);
  }
  return hidden;
}

std::string IniDocument::Text() const {
  std::string text;
  for (const IniSection& s : sections_) {
    text += "[" + s.name + "]\r\n";
    for (const IniEntry& e : s.entries) {
      text += e.key;
      if (e.hasValue) text += "=" + e.value;
      text += "\r\n";
    }
  }
  return text;
}

}  // namespace vorlane::settings
