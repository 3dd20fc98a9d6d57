// The edits of a program menu's items: add, separator, change, remove,
// move, the item's own icon and sending it to another menu. Each reads what
// it needs and writes its keys through the store it is given; the dialog
// hands it one settings::SettingsEdit per user action.
#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_store.h"

namespace vorlane::configurator {

// The keys of one item. Expand is stored only for an item that has it: a
// write of an item without it takes away a key the slot held before.
struct ItemFields {
  std::string program;
  std::string description;
  std::string parameters;
  std::string icon;
  int openMode = 0;
  bool expand = false;
};

// Values are read whole, so that an edit never cuts one.
ItemFields ReadItem(settings::SettingsStore& store, std::string_view section,
                    int number);
void WriteItem(settings::SettingsStore& store, std::string_view section,
               int number, const ItemFields& item);

// Appends the item as the menu's last, all its keys written (the slot may
// still hold the keys of an item removed before); its number, or nothing
// (and nothing written) when the menu is no stored menu or its count cannot
// grow.
std::optional<int> AddItem(settings::SettingsStore& store, int menu,
                           const ItemFields& item);
// Files made items as the Add button pressed once per file makes them, of
// which only the program and description are used: the first takes the
// parameters and, when the batch list holds entries, the joined batch as its
// program; Add empties the parameters for the rest. All take the open mode.
// The items as stored, in order; fewer than given when the count stopped
// growing, and none (nothing written) when the joined batch does not fit
// the launcher's reading (FitsLocation): it would be stored whole and
// started cut. Each file keeps its own expand.
std::vector<ItemFields> AddFileItems(settings::SettingsStore& store, int menu,
                                     const std::vector<ItemFields>& files,
                                     std::string parameters, int openMode,
                                     const std::vector<std::string>& batch);
// Appends a separator: Program, Des, Par and Icon empty, OM 0.
std::optional<int> AddSeparator(settings::SettingsStore& store, int menu);

// Rewrites Program, Des, Par, OM and Expand of item `number`; its icon
// stays.
void ChangeItem(settings::SettingsStore& store, int menu, int number,
                const ItemFields& item);

// Removes the items, given in any order, from the highest down: each item
// above one moves down with its icon, and the count shrinks. Numbers
// outside 1 .. Count are passed over. Items above the last one the section
// holds do not exist: the walk stops one past it (RemoveNumbered).
void RemoveItems(settings::SettingsStore& store, int menu,
                 std::vector<int> numbers);

// The walk of a removal from a numbered list (a menu's items, the contacts)
// of `count` entries, of which the file holds keys for the numbers `held`
// (ascending; nothing known when empty, and then every number is taken as
// held). From the highest number down, each entry above a removed one
// moves down one (`moveDown(from)` moves entry `from` to `from - 1`), but
// only up to one past the last entry held, which empties the slot it
// leaves: a count that overstates the entries costs no keys and adds no
// rows. Numbers outside 1 .. count are passed over. The count after.
int RemoveNumbered(int count, const std::optional<std::vector<int>>& held,
                   std::vector<int> numbers,
                   const std::function<void(int from)>& moveDown);

// Swaps items `number` and `number + 1`, all their keys; false (nothing
// written) when either lies outside 1 .. Count.
bool SwapWithNext(settings::SettingsStore& store, int menu, int number);

// Appends a copy of item `number` of `source` to `target`; its number
// there, or nothing when `target` cannot take it.
std::optional<int> CopyItemToMenu(settings::SettingsStore& store, int source,
                                  int target, int number);

// The item's own icon ("file,index"), or the default icon with an empty
// value. A separator takes no icon of its own: false, nothing written.
bool SetItemIcon(settings::SettingsStore& store, int menu, int number,
                 std::string_view iconSpec);

// The stems of an item's numbered keys: an item is held where the file has
// any of them.
inline const std::initializer_list<std::string_view> kItemKeyStems{
    settings::kProgram.name, settings::kDes.name,      settings::kPar.name,
    settings::kOpenMode.name, settings::kItemIcon.name, settings::kExpand.name};

// The batch list as one location: a single entry alone, several each
// followed by "?".
std::string JoinBatch(const std::vector<std::string>& entries);

// Whether the launcher starts the location as stored: it reads at most
// kProgramToLaunch.limit characters of one, so a longer batch would start
// cut and must be refused rather than stored.
bool FitsLocation(std::string_view location);

// The description of a dropped file: its name up to the first "." (a name
// beginning with "." keeps the whole name, so that it is not empty).
std::string DroppedDescription(std::string_view path);
// The description of a chosen file: its name without the last extension.
std::string BrowsedDescription(std::string_view path);

// The folder's name as a description: the text after the last "\", or for
// a drive root such as C:\ the root itself.
std::string FolderDescription(std::string_view path);

}  // namespace vorlane::configurator
