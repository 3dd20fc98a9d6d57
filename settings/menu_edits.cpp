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
  WriteInt(store, kSettingsSection, kMenuCount.name, menu);
  store.WriteString(kSettingsSection, NumberedName(kMenuName.name, menu),
                    "Menu" + std::to_string(menu));
  const std::string order = Read(store, kSettingsSection, kMenuOrder);
  store.WriteString(kSettingsSection, kMenuOrder.name,
                    order + std::to_string(menu) + "*");
  return menu;
}

}  // namespace vorlane::settings
