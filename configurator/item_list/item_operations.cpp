#include "item_operations.h"

#include <algorithm>

#include "settings/settings_model.h"

namespace vorlane::configurator {
namespace {

using settings::kSettingsSection;
using settings::NumberedName;

constexpr std::size_t kWholeValue = 65535;

std::string CountKey(int menu) {
  return NumberedName(settings::kCount.name, menu);
}

// Item sections are named both ways; the platform matches them without
// regard to case, and a section made here first keeps the spelling of the
// edit that made it.
std::string LaunchSection(int menu) {
  return NumberedName(settings::kProgramSectionStemLaunch, menu);
}

// The menu's count when it is one an edit may walk; nothing when the
// number is no menu or the count is damage.
std::optional<int> StoredCount(settings::SettingsStore& store, int menu) {
  if (menu < 1) return std::nullopt;
  const int count = settings::Read(store, kSettingsSection, settings::kCount, menu);
  if (!settings::CountInRange(count)) return std::nullopt;
  return count;
}

std::optional<int> NextNumber(settings::SettingsStore& store, int menu) {
  const std::optional<int> count = StoredCount(store, menu);
  if (!count || !settings::CountCanGrow(*count)) return std::nullopt;
  settings::WriteInt(store, kSettingsSection, CountKey(menu), *count + 1);
  return *count + 1;
}

void WriteText(settings::SettingsStore& store, std::string_view section,
               const char* stem, int number, std::string_view value) {
  store.WriteString(section, NumberedName(stem, number), value);
}

// Older files never hold the key, and a user who never expands a folder
// keeps the file as it was: only an expanded item writes one.
void WriteExpand(settings::SettingsStore& store, std::string_view section,
                 int number, bool expand) {
  const std::string key = NumberedName(settings::kExpand.name, number);
  if (expand) {
    settings::WriteInt(store, section, key, 1);
  } else {
    store.DeleteKey(section, key);
  }
}

}  // namespace

ItemFields ReadItem(settings::SettingsStore& store, std::string_view section,
                    int number) {
  auto whole = [&](const char* stem) {
    return store.ReadString(section, NumberedName(stem, number), "", kWholeValue);
  };
  ItemFields item;
  item.program = whole(settings::kProgram.name);
  item.description = whole(settings::kDes.name);
  item.parameters = whole(settings::kPar.name);
  item.openMode = settings::Read(store, section, settings::kOpenMode, number);
  item.icon = whole(settings::kItemIcon.name);
  item.expand = settings::Read(store, section, settings::kExpand, number) == 1;
  return item;
}

void WriteItem(settings::SettingsStore& store, std::string_view section,
               int number, const ItemFields& item) {
  WriteText(store, section, settings::kProgram.name, number, item.program);
  WriteText(store, section, settings::kDes.name, number, item.description);
  WriteText(store, section, settings::kPar.name, number, item.parameters);
  settings::WriteInt(store, section, NumberedName(settings::kOpenMode.name, number),
                     item.openMode);
  WriteText(store, section, settings::kItemIcon.name, number, item.icon);
  WriteExpand(store, section, number, item.expand);
}

std::optional<int> AddItem(settings::SettingsStore& store, int menu,
                           const ItemFields& item) {
  const std::optional<int> number = NextNumber(store, menu);
  if (!number) return std::nullopt;
  // All the keys: the slot may still hold a removed item's.
  WriteItem(store, settings::ProgramSection(menu), *number, item);
  return number;
}

std::vector<ItemFields> AddFileItems(settings::SettingsStore& store, int menu,
                                     const std::vector<ItemFields>& files,
                                     std::string parameters, int openMode,
                                     const std::vector<std::string>& batch) {
  std::vector<ItemFields> added;
  if (!files.empty() && !batch.empty() && !FitsLocation(JoinBatch(batch))) return added;
  for (const ItemFields& file : files) {
    ItemFields item{file.program, file.description, parameters, "", openMode,
                    file.expand};
    if (added.empty() && !batch.empty()) item.program = JoinBatch(batch);
    if (!AddItem(store, menu, item)) break;
    parameters.clear();
    added.push_back(std::move(item));
  }
  return added;
}

std::optional<int> AddSeparator(settings::SettingsStore& store, int menu) {
  const std::optional<int> number = NextNumber(store, menu);
  if (!number) return std::nullopt;
  WriteItem(store, settings::ProgramSection(menu), *number, ItemFields{});
  return number;
}

void ChangeItem(settings::SettingsStore& store, int menu, int number,
                const ItemFields& item) {
  const std::optional<int> count = StoredCount(store, menu);
  if (!count || number < 1 || number > *count) return;
  const std::string section = settings::ProgramSection(menu);
  WriteText(store, section, settings::kProgram.name, number, item.program);
  WriteText(store, section, settings::kDes.name, number, item.description);
  WriteText(store, section, settings::kPar.name, number, item.parameters);
  settings::WriteInt(store, section, NumberedName(settings::kOpenMode.name, number),
                     item.openMode);
  WriteExpand(store, section, number, item.expand);
}

int RemoveNumbered(int count, const std::optional<std::vector<int>>& held,
                   std::vector<int> numbers,
                   const std::function<void(int from)>& moveDown) {
  std::sort(numbers.begin(), numbers.end(), std::greater<>());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  // A walk writes only at and above the number it removes, and numbers come
  // from the highest down: below the current one the file is as it was read.
  const auto highestHeldUpTo = [&](int limit) {
    if (!held) return limit;
    const auto above = std::upper_bound(held->begin(), held->end(), limit);
    return above == held->begin() ? 0 : *std::prev(above);
  };
  int highest = highestHeldUpTo(count);
  for (int removed : numbers) {
    if (removed < 1 || removed > count) continue;
    const int end = std::min(count, highest + 1);
    for (int from = removed + 1; from <= end; ++from) moveDown(from);
    --count;
    if (removed < end) {
      highest = end - 1;  // every slot from `removed` up to here was written
    } else if (removed == highest) {
      highest = highestHeldUpTo(removed - 1);
    }
  }
  return count;
}

void RemoveItems(settings::SettingsStore& store, int menu,
                 std::vector<int> numbers) {
  const std::optional<int> count = StoredCount(store, menu);
  if (!count) return;
  const std::string section = settings::ProgramSection(menu);
  const int left = RemoveNumbered(
      *count,
      settings::KeyNumbers(store, section, kItemKeyStems, *count),
      std::move(numbers), [&](int from) {
        WriteItem(store, section, from - 1, ReadItem(store, section, from));
      });
  // The last slot keeps its keys: it lies beyond the count now.
  if (left != *count) settings::WriteInt(store, kSettingsSection, CountKey(menu), left);
}

bool SwapWithNext(settings::SettingsStore& store, int menu, int number) {
  const std::optional<int> count = StoredCount(store, menu);
  if (!count || number < 1 || number + 1 > *count) return false;
  const std::string section = settings::ProgramSection(menu);
  const ItemFields first = ReadItem(store, section, number);
  const ItemFields second = ReadItem(store, section, number + 1);
  WriteItem(store, section, number, second);
  WriteItem(store, section, number + 1, first);
  return true;
}

std::optional<int> CopyItemToMenu(settings::SettingsStore& store, int source,
                                  int target, int number) {
  const std::optional<int> count = StoredCount(store, target);
  if (!count || !settings::CountCanGrow(*count)) return std::nullopt;
  const ItemFields item = ReadItem(store, LaunchSection(source), number);
  settings::WriteInt(store, kSettingsSection, CountKey(target), *count + 1);
  WriteItem(store, LaunchSection(target), *count + 1, item);
  return *count + 1;
}

bool SetItemIcon(settings::SettingsStore& store, int menu, int number,
                 std::string_view iconSpec) {
  const std::string section = LaunchSection(menu);
  if (!iconSpec.empty() &&
      ReadItem(store, section, number).program.empty()) {
    return false;
  }
  WriteText(store, section, settings::kItemIcon.name, number, iconSpec);
  return true;
}

std::string JoinBatch(const std::vector<std::string>& entries) {
  if (entries.size() == 1) return entries.front();
  std::string joined;
  for (const std::string& entry : entries) joined += entry + "?";
  return joined;
}

bool FitsLocation(std::string_view location) {
  return location.size() <= settings::kProgramToLaunch.limit;
}

namespace {
std::string_view FileName(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
}  // namespace

std::string DroppedDescription(std::string_view path) {
  const std::string_view name = FileName(path);
  const std::size_t period = name.find('.');
  if (period == 0 || period == std::string_view::npos) return std::string(name);
  return std::string(name.substr(0, period));
}

std::string BrowsedDescription(std::string_view path) {
  const std::string_view name = FileName(path);
  const std::size_t period = name.rfind('.');
  if (period == 0 || period == std::string_view::npos) return std::string(name);
  return std::string(name.substr(0, period));
}

std::string FolderDescription(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  const std::string_view name =
      slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (!name.empty()) return std::string(name);
  const std::size_t first = path.find('\\');
  return std::string(path.substr(0, first + 1));
}

}  // namespace vorlane::configurator
