#include "shellix_logic.h"

#include <algorithm>

#include "settings/menu_edits.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"

namespace vorlane::shellext {
namespace {

using settings::kSettingsSection;

// The extension reads menu names with an empty default: a missing name is
// an empty line, so that lines and menu numbers stay in step.
constexpr settings::TextKey kListedMenuName{"MenuName", "", 63};

template <typename Char>
void CopyCut(std::string_view text, Char* buffer, std::size_t capacity) {
  if (buffer == nullptr || capacity == 0) {
    return;
  }
  const std::size_t copied = std::min(text.size(), capacity - 1);
  for (std::size_t i = 0; i < capacity; ++i) {
    buffer[i] = i < copied ? static_cast<Char>(text[i]) : Char{};
  }
}

}  // namespace

bool AddsCommand(unsigned flags) {
  constexpr unsigned kVerbsOnly = 0x2, kExplore = 0x4;
  const unsigned low = flags & 0xF;
  return low == 0 || (low & (kVerbsOnly | kExplore)) != 0;
}

namespace {

template <typename Char>
std::basic_string<Char> Description(std::basic_string_view<Char> path) {
  const std::size_t slash = path.rfind(Char('\\'));
  std::basic_string_view<Char> name =
      slash == std::basic_string_view<Char>::npos ? path : path.substr(slash + 1);
  const std::size_t period = name.find(Char('.'));
  if (period != std::basic_string_view<Char>::npos) {
    name = name.substr(0, period);
  }
  return std::basic_string<Char>(name);
}

}  // namespace

std::string DescriptionFromPath(std::string_view path) { return Description(path); }
std::wstring DescriptionFromPath(std::wstring_view path) { return Description(path); }

const char* CommandStringFor(unsigned commandOffset) {
  return commandOffset == 0 ? kHelpText : kRegistrationName;
}

Invocation InvocationOfCommand(unsigned commandOffset) {
  return commandOffset == 0 ? Invocation::Add : Invocation::NotOurs;
}

namespace {

char32_t Code(char c) { return static_cast<unsigned char>(c); }
char32_t Code(wchar_t c) { return static_cast<char32_t>(c); }
char32_t LowerAscii(char32_t c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

template <typename Char>
Invocation VerbInvocation(std::basic_string_view<Char> verb) {
  const std::string_view ours = kHelpText;
  if (verb.size() != ours.size()) return Invocation::NotOurs;
  for (std::size_t i = 0; i < verb.size(); ++i) {
    if (LowerAscii(Code(verb[i])) != LowerAscii(Code(ours[i]))) return Invocation::NotOurs;
  }
  return Invocation::Add;
}

}  // namespace

Invocation InvocationOfVerb(std::string_view verb) { return VerbInvocation(verb); }
Invocation InvocationOfVerb(std::wstring_view verb) { return VerbInvocation(verb); }

void CopyToBuffer(std::string_view text, char* buffer, std::size_t capacity) {
  CopyCut(text, buffer, capacity);
}

void CopyToBuffer(std::string_view text, wchar_t* buffer, std::size_t capacity) {
  CopyCut(text, buffer, capacity);
}

std::vector<std::string> MenuNames(settings::SettingsStore& store) {
  std::vector<std::string> names;
  const int count = settings::ReadCount(store, settings::kMenuCount);
  for (int i = 1; i <= count; ++i) {
    names.push_back(settings::Read(store, kSettingsSection, kListedMenuName, i));
  }
  return names;
}

AddResult AddToMenu(settings::SettingsStore& store, int menuNumber,
                    std::string_view path, std::string_view description,
                    bool expand) {
  if (path.empty() || description.empty()) {
    return AddResult::NothingToAdd;
  }
  if (menuNumber < 1) {
    return AddResult::NoSuchMenu;
  }
  const int count =
      settings::Read(store, kSettingsSection, settings::kCount, menuNumber);
  if (!settings::CountCanGrow(count)) {
    return AddResult::DamagedCount;
  }
  const int entry = count + 1;
  settings::WriteInt(store, kSettingsSection,
                     settings::NumberedName(settings::kCount.name, menuNumber),
                     entry);
  const std::string section = settings::NumberedName(
      settings::kProgramSectionStemLaunch, menuNumber);
  // All the keys: the slot may still hold those of an item the
  // configurator removed.
  store.WriteString(section, settings::NumberedName(settings::kProgram.name, entry),
                    path);
  store.WriteString(section, settings::NumberedName(settings::kDes.name, entry),
                    description);
  store.WriteString(section, settings::NumberedName(settings::kPar.name, entry), "");
  settings::WriteInt(store, section,
                     settings::NumberedName(settings::kOpenMode.name, entry), 0);
  store.WriteString(section, settings::NumberedName(settings::kItemIcon.name, entry),
                    "");
  // Only an expanded folder has the key, so that files of users who never
  // expand one stay as they were.
  const std::string expandKey = settings::NumberedName(settings::kExpand.name, entry);
  if (expand) {
    settings::WriteInt(store, section, expandKey, 1);
  } else {
    store.DeleteKey(section, expandKey);
  }
  return AddResult::Added;
}

AddResult AddFileToMenu(settings::SettingsStore& file, int menuNumber,
                        std::string_view path, std::string_view description,
                        bool expand) {
  settings::SettingsEdit edit(file);
  const AddResult result = AddToMenu(edit, menuNumber, path, description, expand);
  if (result != AddResult::Added) return result;
  if (edit.LockTimedOut()) return AddResult::Busy;
  return edit.Commit() ? AddResult::Added : AddResult::NotStored;
}

AddResult AddMenuToFile(settings::SettingsStore& file) {
  settings::SettingsEdit edit(file);
  if (!settings::AddMenu(edit)) return AddResult::DamagedCount;
  if (edit.LockTimedOut()) return AddResult::Busy;
  return edit.Commit() ? AddResult::Added : AddResult::NotStored;
}

const char* FailureText(AddResult result) {
  switch (result) {
    case AddResult::Added:
      return nullptr;
    case AddResult::NothingToAdd:
      return "Failed to add file";
    case AddResult::NoSuchMenu:
      // Without a menu the entry would land in a menu that nobody shows.
      return "There is no menu to add to. Press New first.";
    case AddResult::DamagedCount:
      return kDamagedCountText;
    case AddResult::Busy:
      return kBusyText;
    case AddResult::NotStored:
      return kNotStoredText;
  }
  return nullptr;
}

}  // namespace vorlane::shellext
