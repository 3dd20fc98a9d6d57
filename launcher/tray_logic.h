// Start-up and tray decisions that need no window: which settings file the
// launcher uses, how large a tray record the shell understands, and which
// tray callback opens the menu.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vorlane::launcher {

// Mouse messages as the tray callback reports them in lParam's low word.
inline constexpr unsigned kMouseMove = 0x0200;
inline constexpr unsigned kLeftButtonDown = 0x0201;
inline constexpr unsigned kLeftButtonUp = 0x0202;
inline constexpr unsigned kLeftButtonDoubleClick = 0x0203;
inline constexpr unsigned kRightButtonDown = 0x0204;
inline constexpr unsigned kRightButtonUp = 0x0205;
inline constexpr unsigned kRightButtonDoubleClick = 0x0206;
inline constexpr unsigned kMiddleButtonUp = 0x0208;
// What shells since Windows 2000 send besides, to a tray record of
// NOTIFYICON_VERSION: a left click is followed by NIN_SELECT, and Enter or
// Space on the icon chosen with the keyboard (Win+B, then the arrow keys)
// sends NIN_KEYSELECT, Enter with NIN_SELECT after it.
inline constexpr unsigned kNinSelect = 0x0400;     // WM_USER
inline constexpr unsigned kNinKeySelect = 0x0401;  // WM_USER + 1

// Whether the tray icon's mouse message opens the menu under the OpenMenu
// setting: 0 and 1 on hovering, 2 on a left click, 3 on a right click,
// 4 on either click, any other value never.
bool OpensMenu(int openMenu, unsigned mouseMessage);

// Which tray callbacks open the menu, one gesture after another. The mouse
// follows OpenMenu; the keyboard always opens it. The NIN_SELECT that
// follows a left click or a key's NIN_KEYSELECT belongs to that gesture and
// never opens the menu a second time. Every callback is given, also while
// the menu is open, so that one arriving meanwhile is counted.
class TrayGestures {
 public:
  bool Opens(int openMenu, unsigned message);

 private:
  bool selectFollows_ = false;  // a NIN_SELECT of the last gesture is due
};

// The shell library's version packed as major in bits 48-63 and minor in
// bits 32-47.
std::uint64_t PackShellVersion(std::uint32_t major, std::uint32_t minor);

// Which NOTIFYICONDATA layout the installed shell understands.
enum class TrayRecordSize { Original, Shell5, Shell6 };

struct TrayRecordLayout {
  TrayRecordSize size;
  unsigned version;  // uVersion: NOTIFYICON_VERSION (3) from shell 5 on
};

TrayRecordLayout TrayRecordLayoutFor(std::uint64_t shellVersion);

// The path before its last backslash; empty when the path has none.
std::optional<std::string> DirectoryOf(std::string_view path);

struct SettingsPathChoice {
  std::string path;
  bool writeDefaults = false;
};

// What the platform says of a settings file.
struct SettingsFileProbe {
  std::function<bool(const std::string&)> isReadable;
  // True only when the file is certainly not there: one that exists but
  // cannot be opened just now (another program saving it, no access, a slow
  // network folder) is no first start.
  std::function<bool(const std::string&)> isMissing;
};

// Without an argument the file beside the program, written with defaults
// only when it does not exist; with one the argument, or the file beside
// the program (never written) when the argument cannot be read.
SettingsPathChoice ChooseSettingsPath(std::string_view programDirectory,
                                      const std::optional<std::string>& argument,
                                      const SettingsFileProbe& probe);

// What the launcher says when its first start cannot write the default
// settings file beside it.
std::string UnwritableSettingsText(std::string_view iniPath);

}  // namespace vorlane::launcher
