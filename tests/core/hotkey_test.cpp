// The hotkey as a person writes it in vorlane.ini and as it is written back.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/hotkey.h"

namespace vorlane::settings {
namespace {

TEST(HotkeyText, ReadsWhatPeopleWriteAndWritesItOneWay) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Ctrl+Alt+V", "Ctrl+Alt+V"},
      {"  ctrl + ALT + v ", "Ctrl+Alt+V"},
      {"Alt+Ctrl+V", "Ctrl+Alt+V"},
      {"Win+Shift+Control+Alt+9", "Ctrl+Alt+Shift+Win+9"},
      {"Shift+Alt+pagedown", "Alt+Shift+PageDown"},
      {"Win+Space", "Win+Space"},
      {"Ctrl+F12", "Ctrl+F12"},
      {"win+f1", "Win+F1"},
      {"Ctrl+Shift+V", "Ctrl+Shift+V"},
      {"Ctrl+Alt+C", "Ctrl+Alt+C"},
      {"Ctrl+NumPad7", "Ctrl+NumPad7"},
  };
  for (const auto& [written, canonical] : cases) {
    const HotkeyReading reading = ParseHotkey(written);
    ASSERT_TRUE(reading.hotkey.has_value()) << written;
    EXPECT_EQ(reading.problem, HotkeyProblem::kNone) << written;
    EXPECT_EQ(HotkeyText(*reading.hotkey), canonical) << written;
  }
}

// Reading and writing share one table, so a wrong code there survives every
// round trip: the numbers are RegisterHotKey's own, written out here.
TEST(HotkeyText, GivesTheCodesRegisterHotKeyTakes) {
  const std::vector<std::pair<std::string, Hotkey>> cases = {
      {"Alt+V", {0x1, 'V'}},                 // MOD_ALT
      {"Ctrl+Shift+V", {0x2 | 0x4, 'V'}},    // MOD_CONTROL, MOD_SHIFT
      {"Win+V", {0x8, 'V'}},                 // MOD_WIN
      {"Ctrl+Alt+7", {0x3, 0x37}},
      {"Ctrl+F1", {0x2, 0x70}},              // VK_F1
      {"Ctrl+F12", {0x2, 0x7B}},             // VK_F12
      {"Ctrl+F24", {0x2, 0x87}},             // VK_F24
      {"Alt+PageDown", {0x1, 0x22}},         // VK_NEXT
      {"Alt+PageUp", {0x1, 0x21}},           // VK_PRIOR
      {"Ctrl+NumPad0", {0x2, 0x60}},         // VK_NUMPAD0
      {"Ctrl+NumPad7", {0x2, 0x67}},         // VK_NUMPAD7
      {"Win+Space", {0x8, 0x20}},            // VK_SPACE
      {"Win+Esc", {0x8, 0x1B}},              // VK_ESCAPE
      {"Win+Delete", {0x8, 0x2E}},           // VK_DELETE
      {"Win+PrintScreen", {0x8, 0x2C}},      // VK_SNAPSHOT
  };
  for (const auto& [text, codes] : cases) {
    const std::optional<Hotkey> read = ParseHotkey(text).hotkey;
    EXPECT_TRUE(read == codes) << text << " gives modifiers " << (read ? read->modifiers : 0)
                               << ", key 0x" << std::hex << (read ? read->key : 0);
    EXPECT_EQ(HotkeyText(codes), text);
  }
}

TEST(HotkeyText, EmptyMeansNoHotkeyAndNoProblem) {
  for (const char* text : {"", "   ", "\t"}) {
    const HotkeyReading reading = ParseHotkey(text);
    EXPECT_FALSE(reading.hotkey.has_value());
    EXPECT_EQ(reading.problem, HotkeyProblem::kNone);
  }
}

TEST(HotkeyText, RefusesWhatNamesNoSingleUsableKey) {
  const std::vector<std::pair<std::string, HotkeyProblem>> cases = {
      {"Ctrl+Alt+", HotkeyProblem::kNoKey},
      {"Ctrl+Alt", HotkeyProblem::kNoKey},
      {"+V", HotkeyProblem::kNoKey},
      {"Ctrl++V", HotkeyProblem::kNoKey},
      {"Ctrl+ctrl+V", HotkeyProblem::kRepeated},
      {"Ctrl+V+B", HotkeyProblem::kTwoKeys},
      {"V+Ctrl", HotkeyProblem::kTwoKeys},
      {"Ctrl+Hyper+V", HotkeyProblem::kUnknownName},
      {"Ctrl+F25", HotkeyProblem::kUnknownName},
      {"Ctrl+F0", HotkeyProblem::kUnknownName},
      {"Ctrl+NumPad10", HotkeyProblem::kUnknownName},
      {"Ctrl+\xC4", HotkeyProblem::kUnknownName},
      {"Ctrl+Alt+VV", HotkeyProblem::kUnknownName},
      {"Shift+V", HotkeyProblem::kNoModifier},
      {"V", HotkeyProblem::kNoModifier},
      {"Shift+Space", HotkeyProblem::kNoModifier},
      // Keys every other program needs.
      {"F1", HotkeyProblem::kFunctionKeyAlone},
      {"Shift+F12", HotkeyProblem::kFunctionKeyAlone},
      {"Ctrl+C", HotkeyProblem::kEditingChord},
      {"ctrl+v", HotkeyProblem::kEditingChord},
      {"Ctrl+X", HotkeyProblem::kEditingChord},
      {"Ctrl+Z", HotkeyProblem::kEditingChord},
      {"Ctrl+Y", HotkeyProblem::kEditingChord},
      {"Ctrl+A", HotkeyProblem::kEditingChord},
      {"Ctrl+S", HotkeyProblem::kEditingChord},
      {"Alt+F4", HotkeyProblem::kClosesWindows},
  };
  for (const auto& [text, problem] : cases) {
    const HotkeyReading reading = ParseHotkey(text);
    EXPECT_FALSE(reading.hotkey.has_value()) << text;
    EXPECT_EQ(reading.problem, problem) << text;
    EXPECT_NE(HotkeyProblemText(text, problem), "") << text;
  }
}

TEST(HotkeyText, AHugeValueIsRefusedAndShownShort) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "Alt+";
  text += "V";
  const HotkeyReading reading = ParseHotkey(text);
  EXPECT_EQ(reading.problem, HotkeyProblem::kRepeated);
  EXPECT_LT(HotkeyProblemText(text, reading.problem).size(), 300u);
}

TEST(HotkeyText, EveryNamedKeyWithEveryModifierReadsBackAsWritten) {
  std::vector<unsigned> keys;
  for (unsigned code = 0; code < 256; ++code) {
    if (!HotkeyText(Hotkey{kModCtrl, code}).empty()) keys.push_back(code);
  }
  EXPECT_EQ(keys.size(), 26u + 10u + 24u + 10u + 17u);
  for (unsigned modifiers = 0; modifiers < 16; ++modifiers) {
    for (unsigned key : keys) {
      const Hotkey hotkey{modifiers, key};
      const std::string text = HotkeyText(hotkey);
      const HotkeyReading reading = ParseHotkey(text);
      if (reading.problem != HotkeyProblem::kNone) continue;
      EXPECT_EQ(reading.hotkey, hotkey) << text;
    }
  }
}

}  // namespace
}  // namespace vorlane::settings
