#include "menu_operations.h"

#include <algorithm>
#include <optional>

#include "settings/ini_document.h"
#include "settings/menu_edits.h"
#include "configurator/item_list/item_operations.h"
#include "settings/settings_model.h"

namespace vorlane::configurator {
namespace {

using settings::kSettingsSection;
using settings::NumberedName;

// Values that an edit moves are read whole, so that a move never cuts one.
constexpr std::size_t kWholeValue = 65535;
constexpr settings::TextKey kListedName{"MenuName", "", 254};

std::string OrderText(const std::vector<int>& numbers) {
  std::string order;
  for (int n : numbers) order += std::to_string(n) + "*";
  return order;
}

std::vector<int> ListedNumbers(settings::SettingsStore& store) {
  return settings::ShownMenus(store);
}

void WriteOrder(settings::SettingsStore& store, const std::vector<int>& numbers) {
  store.WriteString(kSettingsSection, settings::kMenuOrder.name,
                    OrderText(numbers));
}

int HighestItem(settings::SettingsStore& store, int menu, int count) {
  if (!settings::CountInRange(count)) return 0;
  return settings::HighestKeyNumber(store, settings::ProgramSection(menu),
                                    kItemKeyStems, count);
}

void ClearItems(settings::SettingsStore& store, int menu, int items) {
  const std::string section = settings::ProgramSection(menu);
  for (int i = 1; i <= items; ++i) WriteItem(store, section, i, ItemFields{});
}

}  // namespace

std::vector<MenuLine> ReadMenuList(settings::SettingsStore& store) {
  std::vector<MenuLine> lines;
  for (int number : ListedNumbers(store)) {
    lines.push_back(
        MenuLine{number, settings::Read(store, kSettingsSection, kListedName, number)});
  }
  return lines;
}

int ItemsToShow(settings::SettingsStore& store, int menu) {
  return HighestItem(store, menu, settings::ReadCount(store, settings::kCount, menu));
}

int MenuNumberAt(settings::SettingsStore& store, int position) {
  const std::vector<int> numbers = ListedNumbers(store);
  if (position < 0 || position >= static_cast<int>(numbers.size())) return 0;
  return numbers[static_cast<std::size_t>(position)];
}

void RenameMenu(settings::SettingsStore& store, int position,
                std::string_view name) {
  const int menu = MenuNumberAt(store, position);
  if (menu < 1) return;
  store.WriteString(kSettingsSection, NumberedName(settings::kMenuName.name, menu),
                    name);
}

bool MoveMenuUp(settings::SettingsStore& store, int position) {
  std::vector<int> numbers = ListedNumbers(store);
  if (position < 2 || position >= static_cast<int>(numbers.size())) return false;
  const auto p = static_cast<std::size_t>(position);
  std::swap(numbers[p], numbers[p - 1]);
  WriteOrder(store, numbers);
  return true;
}

bool MoveMenuDown(settings::SettingsStore& store, int position) {
  std::vector<int> numbers = ListedNumbers(store);
  if (position < 1 || position + 1 >= static_cast<int>(numbers.size())) {
    return false;
  }
  const auto p = static_cast<std::size_t>(position);
  std::swap(numbers[p], numbers[p + 1]);
  WriteOrder(store, numbers);
  return true;
}

bool RemoveMenu(settings::SettingsStore& store, int position) {
  const std::vector<int> numbers = ListedNumbers(store);
  if (position < 1 || position >= static_cast<int>(numbers.size())) return false;
  const int removed = numbers[static_cast<std::size_t>(position)];
  const int menuCount = settings::Read(store, kSettingsSection, settings::kMenuCount);
  // Every menu the launcher shows moves, and every menu whose keys the file
  // holds; a MenuCount far above those would make the walk write empty
  // keys for numbers that were never used.
  int top = std::max(
      removed, settings::HighestKeyNumber(store, kSettingsSection, {"MenuName", "Count"},
                                          std::max(menuCount, removed)));
  for (int n : numbers) top = std::max(top, n);

  for (int m = removed + 1; m <= top; ++m) {
    // A menu without a name showed the launcher's default, and keeps it.
    store.WriteString(kSettingsSection, NumberedName(settings::kMenuName.name, m - 1),
                      store.ReadString(kSettingsSection,
                                       NumberedName(settings::kMenuName.name, m),
                                       settings::kMenuName.fallback, kWholeValue));
    const int count = settings::Read(store, kSettingsSection, settings::kCount, m);
    settings::WriteInt(store, kSettingsSection, NumberedName(settings::kCount.name, m), 0);
    settings::WriteInt(store, kSettingsSection,
                       NumberedName(settings::kCount.name, m - 1), count);
    const int items = HighestItem(store, m, count);
    // Items the menu counts but its section lacks showed as separators; the
    // items of the menu it replaces must not show in their place.
    const int span = std::max(items, HighestItem(store, m - 1, count));
    const std::string from = settings::ProgramSection(m);
    const std::string to = settings::ProgramSection(m - 1);
    std::vector<ItemFields> moved;
    for (int i = 1; i <= items; ++i) moved.push_back(ReadItem(store, from, i));
    moved.resize(static_cast<std::size_t>(span));
    ClearItems(store, m, items);
    for (int i = 1; i <= span; ++i) {
      WriteItem(store, to, i, moved[static_cast<std::size_t>(i - 1)]);
    }
  }
  if (removed == top) {
    // No menu moved into the vacant number: it is emptied here, so that a
    // menu added under it later starts empty.
    const int count = settings::Read(store, kSettingsSection, settings::kCount, removed);
    settings::WriteInt(store, kSettingsSection,
                       NumberedName(settings::kCount.name, removed), 0);
    ClearItems(store, removed, HighestItem(store, removed, count));
  }
  settings::WriteInt(store, kSettingsSection, settings::kMenuCount.name,
                     menuCount - 1);

  // The menus shown before, without the removed one and renumbered: a token
  // no reader showed is dropped rather than left to name a menu later.
  std::vector<int> order;
  for (int n : numbers) {
    if (n != removed) order.push_back(n > removed ? n - 1 : n);
  }
  WriteOrder(store, order);
  return true;
}

}  // namespace vorlane::configurator
