// The optional global hotkey that opens the launcher's menu, as the key
// Hotkey in [Settings] writes it: words a person reads ("Ctrl+Alt+V"), the
// modifiers Ctrl, Alt, Shift and Win first, then one key. Parsed and written
// here, apart from the platform: the numbers are those RegisterHotKey takes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlane::settings {

// RegisterHotKey's modifier flags.
inline constexpr unsigned kModAlt = 0x1;
inline constexpr unsigned kModCtrl = 0x2;
inline constexpr unsigned kModShift = 0x4;
inline constexpr unsigned kModWin = 0x8;

struct Hotkey {
  unsigned modifiers = 0;  // kMod* flags
  unsigned key = 0;        // a virtual-key code
  friend bool operator==(const Hotkey&, const Hotkey&) = default;
};

enum class HotkeyProblem {
  kNone,          // parsed, or the text is empty: no hotkey
  kUnknownName,   // a word that is no modifier or key
  kNoKey,         // only modifiers, or nothing after the last "+"
  kTwoKeys,       // more than one key, or a modifier after the key
  kRepeated,      // a modifier given twice
  kNoModifier,    // a typing key without Ctrl, Alt or Win would take it
                  // from every program
  kFunctionKeyAlone,  // an F-key without Ctrl, Alt or Win: F1 is every
                      // program's Help
  kEditingChord,  // Ctrl+C, V, X, Z, Y, A or S: registering one succeeds,
                  // since programs use accelerators, and copy and paste then
                  // stop working everywhere
  kClosesWindows,  // Alt+F4
};

struct HotkeyReading {
  std::optional<Hotkey> hotkey;  // empty for no hotkey and for a problem
  HotkeyProblem problem = HotkeyProblem::kNone;
};

// Reads the value: words without regard to case, blanks around them
// ignored, modifiers in any order. An empty or blank value means no hotkey.
HotkeyReading ParseHotkey(std::string_view text);

// The value as it is written back: modifiers in the order Ctrl, Alt, Shift,
// Win, then the key's name; empty for a key this file has no name for.
std::string HotkeyText(const Hotkey& hotkey);

// What the user is told about a value that could not be read.
std::string HotkeyProblemText(std::string_view text, HotkeyProblem problem);

// What the user is told when another program holds the hotkey.
std::string HotkeyTakenText(const Hotkey& hotkey);

}  // namespace vorlane::settings
