// What the settings mean, apart from how they are stored: menu order tokens,
// icon specifications, kinds of location, integer text and the default file.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings_store.h"

namespace vorlane::settings {

// The leading decimal number of `text` (an optional minus sign, then digits);
// 0 when it does not begin with one. Values beyond int saturate.
int ParseDecimal(std::string_view text);

// Pieces of MenuOrder between "*" characters, empty pieces skipped, each read
// as a decimal number: "1**2*" and "1*2*" both give {1, 2}.
std::vector<int> MenuOrderTokens(std::string_view menuOrder);

// The menu number of the n-th token counted from 1; any n of 1 or less gives
// the first token. Empty when the order has no such token, so that a damaged
// order never sends a reader outside it.
std::optional<int> MenuOrderNumber(std::string_view menuOrder, int n);
std::optional<int> MenuOrderNumber(SettingsStore& store, int n);

// Counts (MenuCount, Count<n>, ContactCount) beyond this are damage, not
// data: no writer comes near it, walking such a count would stall a reader,
// and adding one to it would overflow.
inline constexpr int kMostCount = 100000;
bool CountInRange(int count);
// Whether a writer may add one to the count: it stays in range.
bool CountCanGrow(int count);
// A count as readers take it: 0 when it lies outside 0 .. kMostCount.
int ReadCount(SettingsStore& store, const IntKey& key);
int ReadCount(SettingsStore& store, const IntKey& key, int number);

// The numbers n from 1 to `limit`, ascending, for which the section holds a
// key "<stem><n>" of one of the stems (compared without regard to case);
// nothing when the section cannot be read whole.
std::optional<std::vector<int>> KeyNumbers(
    SettingsStore& store, std::string_view section,
    std::initializer_list<std::string_view> stems, int limit);
// The highest of them; 0 for none, `limit` when the section cannot be read
// whole. It bounds a walk over a count that the file may overstate.
int HighestKeyNumber(SettingsStore& store, std::string_view section,
                     std::initializer_list<std::string_view> stems, int limit);

// The menus as the launcher shows them, from one reading of MenuOrder: the
// standard menu first (the first number, as the configurator shows it),
// then one submenu per further menu, in order. A number outside 1 ..
// MenuCount (menu 1 counts even without MenuCount) or one already listed
// is passed over, so that no menu shows twice and a submenu's label and
// its contents always come from the same place in this list.
std::vector<int> ShownMenus(std::string_view menuOrder, int menuCount);
std::vector<int> ShownMenus(SettingsStore& store);

// What Theme asks of the menu's colours. Any value but 1 and 2, a damaged
// one included, follows the system, as a missing key does.
enum class ThemeChoice { FollowSystem = 0, Light = 1, Dark = 2 };
ThemeChoice ParseThemeChoice(int value);

// A file name and an icon number separated by the value's last comma.
struct IconSpec {
  std::string file;
  int index = 0;
  bool hasIndex = false;  // false when the value holds no comma
};
IconSpec ParseIconSpec(std::string_view value);

enum class LocationKind { WebAddress, Batch, Path };
// A web address holds ".htm", "http:" or "www.", or begins with a URL
// scheme ("https://", "ftp://", "mailto:"): such a location is one, however
// many "?" its query holds. Else a "?" makes a batch.
LocationKind ClassifyLocation(std::string_view location);

// Whether the location begins with a URL scheme: a letter, then letters,
// digits, "+", "-" or ".", two characters at least, then "://"; or
// "mailto:". A drive path ("C:\") has no scheme.
bool BeginsWithUrlScheme(std::string_view location);

// Writes the file that a first start leaves behind, one key at a time in the
// order that readers of the file see. `startsWithWindows` says whether a Run
// value already starts this launcher: the option shows only what is true.
void WriteDefaultFile(SettingsStore& store, std::string_view windowsDirectory,
                      bool startsWithWindows);

}  // namespace vorlane::settings
