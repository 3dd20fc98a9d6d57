// What the popup menus hold, decided from the settings alone: which entries a
// popup gets, in which slot of the menu table, with which command identifiers
// and item numbers, and where each entry's icon comes from. The Win32 side
// turns these plans into menu items and icons.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_store.h"

namespace vorlane::launcher {

enum class MenuEntryKind : std::int32_t {
  Item = 0,
  Submenu = 1,
  Separator = 2,
  Banner = 3,
};

// Command identifiers: the wID of every popup item.
inline constexpr int CMD_EXIT = 1;
inline constexpr int CMD_CONFIG = 2;
inline constexpr int CMD_HELP = 3;
inline constexpr int CMD_ABOUT = 4;
inline constexpr int CMD_DONATE = 5;
inline constexpr int CMD_OPTIONS = 6;
inline constexpr int CMD_RUN = 7;
inline constexpr int CMD_BLANK_EMAIL = 8;
inline constexpr int CMD_NONE = 12;
inline constexpr int ENTRY_COMMAND_BASE = 9999;    // + index in the entry list
inline constexpr int CONTACT_COMMAND_BASE = 19999;  // + contact number
inline constexpr int kFirstEntryCommand = 10000;
inline constexpr int kLastEntryCommand = 19999;
inline constexpr int kFirstContactCommand = 20000;
inline constexpr int kLastContactCommand = 29999;

inline constexpr int kMainSlot = 0;
inline constexpr int kSystemSlot = 1;
inline constexpr int kEmailSlot = 2;

// Where an entry's icon comes from.
enum class IconSource {
  None,
  Run,           // resource IDI_RUN
  Email,         // resource IDI_EMAIL
  Batch,         // resource IDI_BATCH
  WebShortcut,   // the shell's icon of Internet shortcuts
  ShellFile,     // the shell's icon of the location
  Custom,        // an icon specification, falling back to the location's
};

struct IconRequest {
  IconSource source = IconSource::None;
  std::string location;  // ShellFile, and Custom's fall-back
  std::string file;      // Custom
  int index = 0;         // Custom
  // Pixels square: the menu's icon size at the display's dpi, loaded at
  // that size rather than stretched from a smaller image.
  int size = 16;
};

// The default icon of a location: the shell's icon of the file, folder or
// drive; of Internet shortcuts for a web address (also any location that
// begins with a URL scheme); IDI_BATCH for a batch.
IconRequest DefaultIconFor(std::string_view location);

// What decides an icon: two requests with the same key give the same icon
// while their files do not change.
std::string IconCacheKey(const IconRequest& request);

// Whether the icon comes from the program's own resources, cheap enough to
// load while the menu is built.
bool IsResourceIcon(IconSource source);

// Where a look-up of the request reads: the share ("\\server\share") or
// drive ("c:") of its files, in lower case; empty for a relative path and
// for requests that read no file. A share comes before a drive, as it is
// the one that may not answer.
std::string IconPlace(const IconRequest& request);

// What the generic icon shown for the request's location stands for, told
// from its name alone: its extension in lower case (".exe"), or empty for a
// folder, a drive, a share or a name without an extension.
std::string GenericIconKind(const IconRequest& request);

// What a program item shows: its custom icon when Icon<i> holds a comma,
// else the location's default.
IconRequest ItemIconFor(std::string_view location, std::string_view iconValue);

struct PlannedEntry {
  int slot = kMainSlot;
  MenuEntryKind kind = MenuEntryKind::Item;
  std::string text;  // at most 63 characters
  std::int16_t menuRef = 0;
  std::int32_t itemNo = 0;
  std::int32_t commandId = 0;
  IconRequest icon;
  int submenuSlot = -1;  // Submenu entries: the slot they open
  // Submenu entries of an item whose folder shows as a submenu: the folder,
  // listed when the submenu opens (submenuSlot is then -1).
  std::string folder;
};

// The text the platform keeps for an owner-drawn entry, which screen readers
// and GetMenuString read: the description with each "&" doubled, so that it
// reads as stored and gives the platform no mnemonic of its own (the letters
// typed in the menu stay the launcher's); "Vorlane" for the banner; nothing
// for a separator.
std::string PlatformText(MenuEntryKind kind, std::string_view text);

// The part of an entry that choosing it depends on.
struct EntryRef {
  MenuEntryKind kind = MenuEntryKind::Item;
  std::int16_t menuRef = 0;
  std::int32_t itemNo = 0;
  std::int32_t commandId = 0;
};

struct MainMenuPlan {
  int slotCount = 0;  // popups to create: main, system, e-mail, submenus
  std::vector<PlannedEntry> entries;  // in the order they join the entry list
};

// 1 when the e-mail submenu is shown, else 0: the offset it adds to the
// positions of the program submenus.
int EmailOffset(settings::SettingsStore& store);

// The whole main popup and the system submenu; the program submenus and the
// e-mail submenu are filled when they open.
MainMenuPlan PlanMainMenu(settings::SettingsStore& store);

// The entries of the program menu shown at `position` of the main popup
// (0: the standard menu's items in the main popup itself), given how many
// entries the list holds before them. Empty when MenuOrder names no menu
// for the position.
std::vector<PlannedEntry> PlanProgramMenu(settings::SettingsStore& store,
                                          int position,
                                          std::size_t entriesBefore);

std::vector<PlannedEntry> PlanEmailMenu(settings::SettingsStore& store,
                                        std::size_t entriesBefore);

// The menu shown at `position` of the main popup: the standard menu for 0
// (and for every position up to the first program submenu's), then the
// submenus' menus in the order their labels show. Empty past the last.
std::optional<int> MenuAtPosition(settings::SettingsStore& store, int position);

// Whether opening the submenu at `position` fills the e-mail submenu.
bool IsEmailPosition(settings::SettingsStore& store, int position);

}  // namespace vorlane::launcher
