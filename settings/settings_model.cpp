#include "settings_model.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "ini_document.h"

namespace vorlane::settings {

std::string NumberedName(std::string_view stem, int number) {
  return std::string(stem) + std::to_string(number);
}

std::string ProgramSection(int menuNumber) {
  return NumberedName(kProgramSectionStem, menuNumber);
}

bool WriteInt(SettingsStore& store, std::string_view section,
              std::string_view key, int value) {
  return store.WriteString(section, key, std::to_string(value));
}

int ParseDecimal(std::string_view text) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && text[pos] == '-') {
    negative = true;
    ++pos;
  }
  long long value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = value * 10 + (text[pos] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) {
      value = static_cast<long long>(INT_MAX) + 1;
    }
  }
  if (negative) {
    value = -value;
  }
  if (value > INT_MAX) {
    return INT_MAX;
  }
  return static_cast<int>(value);
}

std::vector<int> MenuOrderTokens(std::string_view menuOrder) {
  std::vector<int> tokens;
  std::size_t start = 0;
  while (start <= menuOrder.size()) {
    std::size_t end = menuOrder.find('*', start);
    if (end == std::string_view::npos) {
      end = menuOrder.size();
    }
    if (end > start) {
      tokens.push_back(ParseDecimal(menuOrder.substr(start, end - start)));
    }
    start = end + 1;
  }
  return tokens;
}

std::optional<int> MenuOrderNumber(std::string_view menuOrder, int n) {
  const std::vector<int> tokens = MenuOrderTokens(menuOrder);
  const std::size_t index = n <= 1 ? 0 : static_cast<std::size_t>(n) - 1;
  if (index >= tokens.size()) {
    return std::nullopt;
  }
  return tokens[index];
}

std::optional<int> MenuOrderNumber(SettingsStore& store, int n) {
  return MenuOrderNumber(Read(store, kSettingsSection, kMenuOrder), n);
}

bool CountInRange(int count) { return count >= 0 && count <= kMostCount; }

bool CountCanGrow(int count) { return count >= 0 && count < kMostCount; }

int ReadCount(SettingsStore& store, const IntKey& key) {
  const int count = Read(store, kSettingsSection, key);
  return CountInRange(count) ? count : 0;
}

int ReadCount(SettingsStore& store, const IntKey& key, int number) {
  const int count = Read(store, kSettingsSection, key, number);
  return CountInRange(count) ? count : 0;
}

namespace {

// The number n of a key "<stem><n>" (compared without regard to case).
std::optional<int> KeyNumber(std::string_view key, std::string_view stem) {
  if (key.size() <= stem.size() ||
      !EqualsIgnoringCase(key.substr(0, stem.size()), stem)) {
    return std::nullopt;
  }
  const std::string_view digits = key.substr(stem.size());
  if (digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(),
                   [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return ParseDecimal(digits);
}

}  // namespace

std::optional<std::vector<int>> KeyNumbers(
    SettingsStore& store, std::string_view section,
    std::initializer_list<std::string_view> stems, int limit) {
  const SectionRead read = store.ReadSection(section);
  if (!read.IsWhole()) return std::nullopt;
  const std::string& data = read.data;
  std::vector<int> numbers;
  std::size_t start = 0;
  while (start < data.size() && data[start] != '\0') {
    std::size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    std::string_view line(data.data() + start, end - start);
    start = end + 1;
    line = line.substr(0, line.find('='));
    for (std::string_view stem : stems) {
      if (const std::optional<int> n = KeyNumber(line, stem);
          n && *n >= 1 && *n <= limit) {
        numbers.push_back(*n);
      }
    }
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

int HighestKeyNumber(SettingsStore& store, std::string_view section,
                     std::initializer_list<std::string_view> stems, int limit) {
  const std::optional<std::vector<int>> numbers =
      KeyNumbers(store, section, stems, limit);
  if (!numbers) return limit;
  return numbers->empty() ? 0 : numbers->back();
}

std::vector<int> ShownMenus(std::string_view menuOrder, int menuCount) {
  const int highest = std::max(menuCount, 1);
  std::vector<int> shown;
  for (int menu : MenuOrderTokens(menuOrder)) {
    if (menu < 1 || menu > highest ||
        std::find(shown.begin(), shown.end(), menu) != shown.end()) {
      continue;
    }
    shown.push_back(menu);
  }
  return shown;
}

std::vector<int> ShownMenus(SettingsStore& store) {
  return ShownMenus(Read(store, kSettingsSection, kMenuOrder),
                    ReadCount(store, kMenuCount));
}

ThemeChoice ParseThemeChoice(int value) {
  switch (value) {
    case static_cast<int>(ThemeChoice::Light):
      return ThemeChoice::Light;
    case static_cast<int>(ThemeChoice::Dark):
      return ThemeChoice::Dark;
    default:
      return ThemeChoice::FollowSystem;
  }
}

IconSpec ParseIconSpec(std::string_view value) {
  IconSpec spec;
  const std::size_t comma = value.rfind(',');
  if (comma == std::string_view::npos) {
    spec.file = std::string(value);
    return spec;
  }
  spec.file = std::string(value.substr(0, comma));
  spec.index = ParseDecimal(value.substr(comma + 1));
  spec.hasIndex = true;
  return spec;
}

bool BeginsWithUrlScheme(std::string_view location) {
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  constexpr std::string_view kMailto = "mailto:";
  if (location.size() >= kMailto.size() &&
      EqualsIgnoringCase(location.substr(0, kMailto.size()), kMailto)) {
    return true;
  }
  std::size_t end = 0;
  while (end < location.size() &&
         (letter(location[end]) ||
          (end > 0 && ((location[end] >= '0' && location[end] <= '9') ||
                       location[end] == '+' || location[end] == '-' ||
                       location[end] == '.')))) {
    ++end;
  }
  return end >= 2 && location.substr(end, 3) == "://";
}

LocationKind ClassifyLocation(std::string_view location) {
  const auto holds = [location](std::string_view part) {
    return location.find(part) != std::string_view::npos;
  };
  if (holds(".htm") || holds("http:") || holds("www.") || BeginsWithUrlScheme(location)) {
    return LocationKind::WebAddress;
  }
  if (holds("?")) {
    return LocationKind::Batch;
  }
  return LocationKind::Path;
}

void WriteDefaultFile(SettingsStore& store, std::string_view windowsDirectory,
                      bool startsWithWindows) {
  const std::string programs = ProgramSection(1);
  store.WriteString(kSettingsSection, kMenuOrder.name, "1*");
  WriteInt(store, kSettingsSection, kMenuCount.name, 1);
  WriteInt(store, kSettingsSection, NumberedName(kCount.name, 1), 2);
  store.WriteString(kSettingsSection, NumberedName(kMenuName.name, 1),
                    "Standard Menu");
  store.WriteString(programs, NumberedName(kProgram.name, 1), "C:\\");
  store.WriteString(programs, NumberedName(kDes.name, 1), "Harddrive (C:\\)");
  store.WriteString(programs, NumberedName(kProgram.name, 2),
                    std::string(windowsDirectory) + "\\notepad.exe");
  store.WriteString(programs, NumberedName(kDes.name, 2), "Notepad");
  WriteInt(store, kSettingsSection, kOpenMenu.name, 1);
  WriteInt(store, kSettingsSection, kShowTooltips.name, 1);
  WriteInt(store, kSettingsSection, kShowFastStart.name, 1);
  WriteInt(store, kSettingsSection, kShowEmailItem.name, 1);
  WriteInt(store, kSettingsSection, kStartWithWindows.name,
           startsWithWindows ? 1 : 0);
}

}  // namespace vorlane::settings
