// The menu list of the configurator and the edits made from it: what the
// list shows, which menu a line stands for, and the rewrites of adding,
// renaming, moving and removing a menu. Each edit reads what it needs and
// writes its keys through the store it is given; the dialog hands it one
// settings::SettingsEdit per user action.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_store.h"

namespace vorlane::configurator {

inline constexpr char kEmailMenuLine[] = "Email Menu";

// The menus in the order the launcher shows them (the standard menu
// first), each with its number; the fixed "Email Menu" line is not among
// them and always follows them in the list.
struct MenuLine {
  int number;
  std::string name;
};
std::vector<MenuLine> ReadMenuList(settings::SettingsStore& store);

// The menu number at a line of the list; 0 for the "Email Menu" line and
// for any line beyond it.
int MenuNumberAt(settings::SettingsStore& store, int position);

// How many items of the menu a list shows: Count<n>, but no further than
// the last item the section holds, so that a damaged count cannot fill the
// list with thousands of empty rows.
int ItemsToShow(settings::SettingsStore& store, int menu);

// Stores the name exactly as typed.
void RenameMenu(settings::SettingsStore& store, int position,
                std::string_view name);

// Swap the menu at `position` with its neighbour in MenuOrder. Refused
// (false, nothing written) for the standard menu, for the line below it
// moving up, for the last menu moving down and for the "Email Menu" line.
bool MoveMenuUp(settings::SettingsStore& store, int position);
bool MoveMenuDown(settings::SettingsStore& store, int position);

// Removes the menu at `position` with its items: every menu above it moves
// down one number with its name, count and items, the number that falls
// vacant ends with no items, MenuCount shrinks, and MenuOrder loses the
// menu and follows the renumbering. Refused (false) for the standard menu
// and the "Email Menu" line.
bool RemoveMenu(settings::SettingsStore& store, int position);

}  // namespace vorlane::configurator
