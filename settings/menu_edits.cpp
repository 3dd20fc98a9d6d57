#include "menu_edits.h"

#include <string>

#include "settings_model.h"

namespace vorlane::settings {

std::optional<int> AddMenu(SettingsStore& store) {
  const int count = Read(store, kSettingsSection, kMenuCount);
  if (!CountCanGrow(count)) {
    return std::nullopt;
  }
  const int menu = count + 1;
  // The order is written as the readers show it, not appended to: a last
  // token without its "*" would run into the new number, and a stale token
  // of the new number would show the new menu in its place. It is read
  // before MenuCount grows, while such a token is not shown yet.
  std::string order;
  for (int shown : ShownMenus(store)) {
    if (shown != menu) order += std::to_string(shown) + "*";
  }
  order += std::to_string(menu) + "*";
  WriteInt(store, kSettingsSection, kMenuCount.name, menu);
  store.WriteString(kSettingsSection, NumberedName(kMenuName.name, menu),
                    "Menu" + std::to_string(menu));
  store.WriteString(kSettingsSection, kMenuOrder.name, order);
  return menu;
}

}  // namespace vorlane::settings
