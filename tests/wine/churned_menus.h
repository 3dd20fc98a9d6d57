// The settings file that the stress program's churn changes while a test
// opens the launcher's menu on it: a standard menu of items "S-1" .. and
// submenus "M<j>", each holding ChurnedItems(j) items "M<j>-1" .. . The
// churn removes the first submenu, then adds one after the highest. Item
// counts differ from one menu to the next, so that a count read from one
// state of the file and items read from another do not agree.
#pragma once

#include <string>

#include "settings/settings_model.h"

namespace vorlane::test {

inline constexpr int kChurnedStandardItems = 8;
inline constexpr int kChurnedSubmenus = 11;

inline int ChurnedItems(int j) { return 5 + j % 7; }

inline std::string ChurnedItemPath(const std::string& item) {
  return "C:\\stress\\" + item + ".exe";
}

// The file before the first change: submenus M1 .. M<kChurnedSubmenus>.
inline std::string ChurnedMenusFile() {
  const int menus = kChurnedSubmenus + 1;
  std::string settings = "[Settings]\r\nMenuCount=" + std::to_string(menus) + "\r\nMenuOrder=";
  for (int n = 1; n <= menus; ++n) settings += std::to_string(n) + "*";
  settings += "\r\nMenuName1=Standard\r\n";
  std::string sections;
  for (int n = 1; n <= menus; ++n) {
    const std::string name = n == 1 ? "S" : "M" + std::to_string(n - 1);
    const int items = n == 1 ? kChurnedStandardItems : ChurnedItems(n - 1);
    if (n > 1) settings += "MenuName" + std::to_string(n) + "=" + name + "\r\n";
    settings += "Count" + std::to_string(n) + "=" + std::to_string(items) + "\r\n";
    sections += "[" + settings::ProgramSection(n) + "]\r\n";
    for (int i = 1; i <= items; ++i) {
      const std::string item = name + "-" + std::to_string(i);
      sections += "Program" + std::to_string(i) + "=" + ChurnedItemPath(item) + "\r\n";
      sections += "Des" + std::to_string(i) + "=" + item + "\r\n";
    }
  }
  return settings + sections;
}

}  // namespace vorlane::test
