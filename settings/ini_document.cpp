#include "ini_document.h"

#include <algorithm>

#include "settings_model.h"

namespace vorlane::settings {
namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Readers drop one pair of matching quotes around a value.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument doc;
  IniSection* current = nullptr;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;

    if (!line.empty() && line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name =
          Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                              : close - 1));
      doc.sections_.push_back(IniSection{std::string(name), {}});
      current = &doc.sections_.back();
      continue;
    }
    const std::size_t equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos) {
      continue;
    }
    current->entries.push_back(IniEntry{std::string(Trim(line.substr(0, equals))),
                                        std::string(Trim(line.substr(equals + 1)))});
  }
  return doc;
}

const IniEntry* IniDocument::Find(std::string_view section,
                                  std::string_view key) const {
  // Only the first section of a name counts: a later one of the same name is
  // never searched, as the platform does.
  for (const IniSection& s : sections_) {
    if (!EqualsIgnoringCase(s.name, section)) continue;
    for (const IniEntry& e : s.entries) {
      if (EqualsIgnoringCase(e.key, key)) return &e;
    }
    return nullptr;
  }
  return nullptr;
}

std::string IniDocument::ReadString(std::string_view section,
                                    std::string_view key,
                                    std::string_view fallback,
                                    std::size_t limit) {
  const IniEntry* entry = Find(section, key);
  const std::string_view value = entry ? Unquote(entry->value) : fallback;
  return std::string(value.substr(0, std::min(limit, value.size())));
}

int IniDocument::ReadInt(std::string_view section, std::string_view key,
                         int fallback) {
  const IniEntry* entry = Find(section, key);
  if (entry == nullptr) return fallback;
  const std::string_view value = Unquote(entry->value);
  return value.empty() ? fallback : ParseDecimal(value);
}

void IniDocument::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  auto s = std::find_if(sections_.begin(), sections_.end(),
                        [&](const IniSection& candidate) {
                          return EqualsIgnoringCase(candidate.name, section);
                        });
  if (s == sections_.end()) {
    sections_.push_back(IniSection{std::string(section), {}});
    s = sections_.end() - 1;
  }
  for (IniEntry& e : s->entries) {
    if (EqualsIgnoringCase(e.key, key)) {
      e.value = std::string(value);
      return;
    }
  }
  s->entries.push_back(IniEntry{std::string(key), std::string(value)});
}

std::string IniDocument::Text() const {
  std::string text;
  for (const IniSection& s : sections_) {
    text += "[" + s.name + "]\r\n";
    for (const IniEntry& e : s.entries) {
      text += e.key + "=" + e.value + "\r\n";
    }
  }
  return text;
}

}  // namespace vorlane::settings
