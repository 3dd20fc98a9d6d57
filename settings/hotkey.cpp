#include "hotkey.h"

#include <array>
#include <cctype>

namespace vorlane::settings {
namespace {

struct Name {
  const char* text;
  unsigned code;
};

constexpr std::array<Name, 4> kModifiers{{
    {"Ctrl", kModCtrl}, {"Alt", kModAlt}, {"Shift", kModShift}, {"Win", kModWin}}};

// Keys named by a word, besides letters, digits and F1 to F24. Layout-bound
// punctuation keys are left out: their names differ from keyboard to
// keyboard.
constexpr std::array<Name, 17> kKeyWords{{
    {"Space", 0x20},    {"Tab", 0x09},      {"Enter", 0x0D},   {"Backspace", 0x08},
    {"Insert", 0x2D},   {"Delete", 0x2E},   {"Home", 0x24},    {"End", 0x23},
    {"PageUp", 0x21},   {"PageDown", 0x22}, {"Left", 0x25},    {"Up", 0x26},
    {"Right", 0x27},    {"Down", 0x28},     {"Pause", 0x13},   {"PrintScreen", 0x2C},
    {"Esc", 0x1B}}};

constexpr unsigned kF1 = 0x70;
constexpr int kFunctionKeys = 24;
constexpr unsigned kNumPad0 = 0x60;

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

std::optional<unsigned> Modifier(std::string_view word) {
  for (const Name& name : kModifiers) {
    if (SameWord(word, name.text)) return name.code;
  }
  if (SameWord(word, "Control")) return kModCtrl;
  return std::nullopt;
}

// The number after a prefix ("F12", "NumPad7"), when the rest is digits.
std::optional<int> NumberAfter(std::string_view word, std::string_view prefix) {
  if (word.size() <= prefix.size() || word.size() > prefix.size() + 2 ||
      !SameWord(word.substr(0, prefix.size()), prefix)) {
    return std::nullopt;
  }
  int number = 0;
  for (char c : word.substr(prefix.size())) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

std::optional<unsigned> Key(std::string_view word) {
  if (word.size() == 1) {
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      return static_cast<unsigned>(c);
    }
    return std::nullopt;
  }
  if (const auto f = NumberAfter(word, "F"); f && *f >= 1 && *f <= kFunctionKeys) {
    return kF1 + static_cast<unsigned>(*f - 1);
  }
  if (const auto n = NumberAfter(word, "NumPad"); n && *n <= 9 && word.size() == 7) {
    return kNumPad0 + static_cast<unsigned>(*n);
  }
  for (const Name& name : kKeyWords) {
    if (SameWord(word, name.text)) return name.code;
  }
  return std::nullopt;
}

bool IsFunctionKey(unsigned key) {
  return key >= kF1 && key < kF1 + kFunctionKeys;
}

// Copy, paste, cut, undo, redo, select all, save.
bool IsEditingKey(unsigned key) {
  for (char letter : {'C', 'V', 'X', 'Z', 'Y', 'A', 'S'}) {
    if (key == static_cast<unsigned>(letter)) return true;
  }
  return false;
}

}  // namespace

HotkeyReading ParseHotkey(std::string_view text) {
  text = Trimmed(text);
  if (text.empty()) return {};
  Hotkey hotkey;
  bool haveKey = false;
  std::size_t start = 0;
  while (true) {
    const std::size_t plus = text.find('+', start);
    const std::string_view word =
        Trimmed(text.substr(start, plus == std::string_view::npos ? plus : plus - start));
    if (word.empty()) return {std::nullopt, HotkeyProblem::kNoKey};
    if (const auto modifier = Modifier(word)) {
      if (haveKey) return {std::nullopt, HotkeyProblem::kTwoKeys};
      if ((hotkey.modifiers & *modifier) != 0) {
        return {std::nullopt, HotkeyProblem::kRepeated};
      }
      hotkey.modifiers |= *modifier;
    } else if (const auto key = Key(word)) {
      if (haveKey) return {std::nullopt, HotkeyProblem::kTwoKeys};
      hotkey.key = *key;
      haveKey = true;
    } else {
      return {std::nullopt, HotkeyProblem::kUnknownName};
    }
    if (plus == std::string_view::npos) break;
    start = plus + 1;
  }
  if (!haveKey) return {std::nullopt, HotkeyProblem::kNoKey};
  if ((hotkey.modifiers & (kModCtrl | kModAlt | kModWin)) == 0) {
    return {std::nullopt, IsFunctionKey(hotkey.key) ? HotkeyProblem::kFunctionKeyAlone
                                                    : HotkeyProblem::kNoModifier};
  }
  if (hotkey.modifiers == kModCtrl && IsEditingKey(hotkey.key)) {
    return {std::nullopt, HotkeyProblem::kEditingChord};
  }
  if (hotkey.modifiers == kModAlt && hotkey.key == kF1 + 3) {
    return {std::nullopt, HotkeyProblem::kClosesWindows};
  }
  return {hotkey, HotkeyProblem::kNone};
}

std::string HotkeyText(const Hotkey& hotkey) {
  std::string key;
  if ((hotkey.key >= 'A' && hotkey.key <= 'Z') || (hotkey.key >= '0' && hotkey.key <= '9')) {
    key = std::string(1, static_cast<char>(hotkey.key));
  } else if (IsFunctionKey(hotkey.key)) {
    key = "F" + std::to_string(hotkey.key - kF1 + 1);
  } else if (hotkey.key >= kNumPad0 && hotkey.key <= kNumPad0 + 9) {
    key = "NumPad" + std::to_string(hotkey.key - kNumPad0);
  } else {
    for (const Name& name : kKeyWords) {
      if (name.code == hotkey.key) key = name.text;
    }
  }
  if (key.empty()) return "";
  std::string text;
  for (const Name& name : kModifiers) {
    if ((hotkey.modifiers & name.code) != 0) text += std::string(name.text) + "+";
  }
  return text + key;
}

std::string HotkeyProblemText(std::string_view text, HotkeyProblem problem) {
  std::string why;
  switch (problem) {
    case HotkeyProblem::kNone: return "";
    case HotkeyProblem::kUnknownName: why = "it holds a word that is no key"; break;
    case HotkeyProblem::kNoKey: why = "it names no key after its modifiers"; break;
    case HotkeyProblem::kTwoKeys: why = "it names more than one key, or a modifier after the key"; break;
    case HotkeyProblem::kRepeated: why = "it names a modifier twice"; break;
    case HotkeyProblem::kNoModifier: why = "a key without Ctrl, Alt or Win would be taken from every program"; break;
    case HotkeyProblem::kFunctionKeyAlone:
      why = "an F-key without Ctrl, Alt or Win would be taken from every program (F1 is their Help)";
      break;
    case HotkeyProblem::kEditingChord:
      why = "Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+Z, Ctrl+Y, Ctrl+A and Ctrl+S copy, paste, undo and save "
            "in every program, which would stop doing so";
      break;
    case HotkeyProblem::kClosesWindows: why = "Alt+F4 closes the window in every program"; break;
  }
  constexpr std::size_t kShown = 64;
  std::string shown(text.substr(0, kShown));
  if (text.size() > kShown) shown += "...";
  return "The hotkey \"" + shown + "\" cannot be used: " + why +
         ".\nWrite it as modifiers and one key, for example Ctrl+Alt+V "
         "(Ctrl+Alt+..., Win+... and Ctrl with an F-key are free to take).";
}

std::string HotkeyTakenText(const Hotkey& hotkey) {
  return "The hotkey " + HotkeyText(hotkey) +
         " is held by another program, so it cannot open the Vorlane menu.\n"
         "Choose another hotkey in the options, or open the menu from the "
         "tray icon.";
}

}  // namespace vorlane::settings
