// Names, formats, defaults and read limits of every key in vorlane.ini.
// All three programs take them from here so that a key is spelt once.
#pragma once

#include <cstddef>

namespace vorlane::settings {

inline constexpr char kFileName[] = "vorlane.ini";

inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kContactsSection[] = "Emailcontacts";

// The item sections are written through both spellings; the platform matches
// section names without regard to case, so both name the same section.
inline constexpr char kProgramSectionStem[] = "Program locations";
inline constexpr char kProgramSectionStemLaunch[] = "Program Locations";


// A text key: its name (or stem), its default, and how many characters a
// reader takes at most (the reader's buffer is one larger).
struct TextKey {
  const char* name;
  const char* fallback;
  std::size_t limit;
};

struct IntKey {
  const char* name;
  int fallback;
};

// Section "Settings".
inline constexpr IntKey kMenuCount{"MenuCount", 0};
// Read whole by every program, so that the tray, the configurator and the
// extension see the same menus however many there are; the limit only
// bounds a damaged file.
inline constexpr TextKey kMenuOrder{"MenuOrder", "", std::size_t{1} << 20};
inline constexpr TextKey kMenuName{"MenuName", "SubMenu", 63};
inline constexpr IntKey kCount{"Count", 0};
inline constexpr IntKey kContactCount{"ContactCount", 0};
inline constexpr IntKey kShowEmailItem{"ShowEmailItem", 0};
inline constexpr IntKey kShowFastStart{"ShowFastStart", 0};
inline constexpr IntKey kOpenMenu{"OpenMenu", 0};
inline constexpr TextKey kIcon{"Icon", "", 259};
inline constexpr IntKey kBatchPause{"BatchPause", 1000};
inline constexpr IntKey kEnableRelativePaths{"enableRelativePaths", 0};
inline constexpr TextKey kFontFace{"FontFace", "", 255};
inline constexpr IntKey kFontSize{"FontSize", -10};
inline constexpr IntKey kFontWeight{"FontWeight", 400};
inline constexpr IntKey kFontItalic{"FontItalic", 0};
inline constexpr IntKey kFontUnderline{"FontUnderline", 0};
inline constexpr IntKey kFontStrikeOut{"FontStrikeOut", 0};
// Not read by the launcher; the configurator's defaults live with it.
inline constexpr IntKey kShowTooltips{"ShowTooltips", 0};
inline constexpr IntKey kStartWithWindows{"Startwithwindows", 0};
inline constexpr IntKey kContextMenu{"ContextMenu", 0};
// Written as words ("Ctrl+Alt+V"); none when missing or empty.
inline constexpr TextKey kHotkey{"Hotkey", "", 63};
// The menu's colours: 0 follows the system's app mode, 1 is light, 2 dark.
inline constexpr IntKey kTheme{"Theme", 0};

// Section Program locations<n>, keys numbered by item.
// Program is read with 259 characters for its icon and 254 to start it.
inline constexpr TextKey kProgram{"Program", "", 259};
inline constexpr TextKey kProgramToLaunch{"Program", "", 254};
inline constexpr TextKey kDes{"Des", "", 63};
inline constexpr TextKey kPar{"Par", "", 254};
inline constexpr IntKey kOpenMode{"OM", 0};
inline constexpr TextKey kItemIcon{"Icon", "", 259};
// 1: a folder's contents shown as a submenu; missing or 0: the folder
// opens as any item does.
inline constexpr IntKey kExpand{"Expand", 0};

// Section "Emailcontacts", keys numbered by contact.
inline constexpr TextKey kContactName{"Name", "", 254};
inline constexpr TextKey kContactEmail{"Email", "", 254};

// Longest text a menu entry shows.
inline constexpr std::size_t kMenuTextLimit = 63;

}  // namespace vorlane::settings
