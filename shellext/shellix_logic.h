// The extension's decisions that need no shell: whether the command joins a
// context menu, how a selected item is described, the texts it hands back,
// and what adding a file or a menu writes to the settings file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/extension_names.h"
#include "settings/settings_store.h"

namespace vorlane::shellext {

inline constexpr const char* kRegistrationName = settings::kShellixRegistrationName;
inline constexpr char kCommandText[] = "Add to Vorlane";
inline constexpr char kHelpText[] = "Add file to Vorlane";
inline constexpr char kSettingsFileName[] = "Vorlane.ini";

// The command is added for a normal menu, and whenever verbs-only or explore
// is asked for; default-only and no-verbs menus without those get nothing.
bool AddsCommand(unsigned flags);

// The file or folder name without its folder and from its first period on:
// archive.tar.gz gives archive, D:\ gives nothing.
std::string DescriptionFromPath(std::string_view path);
std::wstring DescriptionFromPath(std::wstring_view path);

// The text GetCommandString returns for an ANSI request.
const char* CommandStringFor(unsigned commandOffset);

// What InvokeCommand is asked to do: add (command 0, or the verb that
// GetCommandString advertises, in any letter case), or something that is
// not this handler's, which it refuses so that the verb can reach the
// handler that owns it.
enum class Invocation { Add, NotOurs };
Invocation InvocationOfCommand(unsigned commandOffset);
Invocation InvocationOfVerb(std::string_view verb);
Invocation InvocationOfVerb(std::wstring_view verb);

// Copies `text` into a caller's buffer of `capacity` bytes: zero-filled past
// the text and always zero-terminated within the buffer, cutting the text
// when it does not fit.
void CopyToBuffer(std::string_view text, char* buffer, std::size_t capacity);
// The same for a buffer of wide characters, `capacity` of them: the texts
// are plain ASCII.
void CopyToBuffer(std::string_view text, wchar_t* buffer, std::size_t capacity);

// Line k of the dialog's list stands for menu k + 1, in number order.
std::vector<std::string> MenuNames(settings::SettingsStore& store);

enum class AddResult {
  Added,
  NothingToAdd,
  NoSuchMenu,
  DamagedCount,
  Busy,       // another program kept the settings locked: nothing written
  NotStored,  // the file could not be written
};

// Appends the item as the last entry of the menu: Count, then Program, Des,
// and Par, OM and Icon empty (0 for OM), over whatever the slot held;
// Expand 1 for a folder shown as a submenu, else no Expand key at all. A
// Count outside 0 .. kMostCount is damage: nothing is written.
AddResult AddToMenu(settings::SettingsStore& store, int menuNumber,
                    std::string_view path, std::string_view description,
                    bool expand = false);

// AddToMenu as one edit of the file: the count is read and the item written
// under the settings lock, so that two Explorer windows or the configurator
// adding at the same moment never take one number.
AddResult AddFileToMenu(settings::SettingsStore& file, int menuNumber,
                        std::string_view path, std::string_view description,
                        bool expand = false);

// A new empty menu as one edit of the file: Added, DamagedCount (a menu
// count that cannot grow), Busy or NotStored.
AddResult AddMenuToFile(settings::SettingsStore& file);

// What the dialog says when a count in the file is damaged.
inline constexpr char kDamagedCountText[] =
    "The settings file holds a count that cannot be right, so nothing was "
    "added. Correct it in the configurator or in Vorlane.ini.";

// What it says when another program kept the settings for too long.
inline constexpr char kBusyText[] =
    "The Vorlane settings are being changed by another program (the "
    "configurator, or \"Add to Vorlane\" in another Explorer window), so "
    "nothing was added. Try again in a moment.";

// What it says when the settings file could not be written.
inline constexpr char kNotStoredText[] =
    "The settings file could not be written, so nothing was added. It may be "
    "read-only, or its folder may be missing.";

// What the dialog says for an add or a new menu that did not happen; null
// for Added.
const char* FailureText(AddResult result);

}  // namespace vorlane::shellext
