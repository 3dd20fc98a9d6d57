// Launcher decisions made before any window: which mouse message opens the
// menu, which tray record the shell gets, which settings file is used.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "launcher/tray_logic.h"
#include "settings/run_command.h"

namespace vorlane::launcher {
namespace {

const unsigned kAllMouseMessages[] = {
    kMouseMove,        kLeftButtonDown,  kLeftButtonUp,
    kLeftButtonDoubleClick, kRightButtonDown, kRightButtonUp,
    kRightButtonDoubleClick, kMiddleButtonUp};

std::set<unsigned> OpeningMessages(int openMenu) {
  std::set<unsigned> opening;
  for (unsigned message : kAllMouseMessages) {
    if (OpensMenu(openMenu, message)) opening.insert(message);
  }
  return opening;
}

TEST(OpenMenu, EachSettingOpensOnItsMessagesOnly) {
  EXPECT_EQ(OpeningMessages(0), (std::set<unsigned>{kMouseMove}));
  EXPECT_EQ(OpeningMessages(1), (std::set<unsigned>{kMouseMove}));
  EXPECT_EQ(OpeningMessages(2), (std::set<unsigned>{kLeftButtonUp}));
  EXPECT_EQ(OpeningMessages(3), (std::set<unsigned>{kRightButtonUp}));
  EXPECT_EQ(OpeningMessages(4),
            (std::set<unsigned>{kLeftButtonUp, kRightButtonUp}));
}

TEST(OpenMenu, OtherSettingsNeverOpen) {
  for (int value : {-1, 5, 7, 1000}) {
    EXPECT_TRUE(OpeningMessages(value).empty()) << "OpenMenu " << value;
  }
}

// Gestures as the shell reports them, one after another, to one launcher.
TEST(TrayGestures, TheKeyboardOpensTheMenuAndNoGestureOpensItTwice) {
  struct Case {
    const char* what;
    int openMenu;
    std::vector<unsigned> messages;
    std::vector<bool> opens;
  };
  const Case cases[] = {
      {"Enter", 1, {kNinKeySelect, kNinSelect}, {true, false}},
      {"Space, twice", 3, {kNinKeySelect, kNinKeySelect}, {true, true}},
      {"a shell that sends only NIN_SELECT for a key", 3, {kNinSelect}, {true}},
      {"a left click where it opens", 2,
       {kLeftButtonDown, kLeftButtonUp, kNinSelect}, {false, true, false}},
      {"a left click where only the right button opens", 3,
       {kLeftButtonDown, kLeftButtonUp, kNinSelect}, {false, false, false}},
      {"hovering, then a click", 1,
       {kMouseMove, kLeftButtonDown, kLeftButtonUp, kNinSelect},
       {true, false, false, false}},
      {"a click, then Enter", 3,
       {kLeftButtonDown, kLeftButtonUp, kNinSelect, kNinKeySelect, kNinSelect},
       {false, false, false, true, false}},
  };
  for (const Case& c : cases) {
    TrayGestures gestures;
    std::vector<bool> opens;
    for (unsigned message : c.messages) opens.push_back(gestures.Opens(c.openMenu, message));
    EXPECT_EQ(opens, c.opens) << c.what;
  }
}

TEST(TrayRecord, SizeFollowsTheShellVersion) {
  EXPECT_EQ(TrayRecordLayoutFor(PackShellVersion(6, 1)).size,
            TrayRecordSize::Shell6);
  EXPECT_EQ(TrayRecordLayoutFor(PackShellVersion(6, 0)).size,
            TrayRecordSize::Shell6);
  EXPECT_EQ(TrayRecordLayoutFor(PackShellVersion(5, 80)).size,
            TrayRecordSize::Shell5);
  EXPECT_EQ(TrayRecordLayoutFor(PackShellVersion(5, 0)).version, 3u);
  EXPECT_EQ(TrayRecordLayoutFor(PackShellVersion(4, 72)).size,
            TrayRecordSize::Original);
  EXPECT_EQ(TrayRecordLayoutFor(PackShellVersion(4, 72)).version, 0u);
}

TEST(TrayRecord, UnknownVersionGetsTheOldestRecord) {
  EXPECT_EQ(TrayRecordLayoutFor(0).size, TrayRecordSize::Original);
  EXPECT_EQ(TrayRecordLayoutFor(0).version, 0u);
}

TEST(TrayRecord, VersionPacking) {
  EXPECT_EQ(PackShellVersion(6, 1), 0x0006000100000000ull);
}

TEST(ProgramDirectory, CutBeforeTheLastBackslash) {
  EXPECT_EQ(DirectoryOf("C:\\Program Files\\Vorlane\\Vorlane.exe"),
            "C:\\Program Files\\Vorlane");
  EXPECT_EQ(DirectoryOf("C:\\Vorlane.exe"), "C:");
  EXPECT_EQ(DirectoryOf("Vorlane.exe"), std::nullopt);
}

TEST(RunValue, NamesThisProgramQuotedOrBareCaseAside) {
  const std::string program = "C:\\Users\\Ann\\My Tools\\Vorlane.exe";
  for (const char* command :
       {"C:\\Users\\Ann\\My Tools\\Vorlane.exe",
        "\"C:\\Users\\Ann\\My Tools\\Vorlane.exe\"",
        "  \"c:\\users\\ann\\MY TOOLS\\vorlane.EXE\" D:\\cfg\\my.ini",
        "C:\\Users\\Ann\\My Tools\\Vorlane.exe D:\\cfg\\my.ini "}) {
    EXPECT_TRUE(settings::RunCommandStarts(command, program)) << command;
  }
}

TEST(RunValue, AnotherProgramOrAnUnclosedQuoteIsNotThisOne) {
  const std::string program = "C:\\Tools\\Vorlane.exe";
  for (const char* command :
       {"", "\"\"", "C:\\Tools\\Vorlane.exe2", "C:\\Old\\Vorlane.exe",
        "\"C:\\Tools\\Vorlane.exe", "\"C:\\Tools\\Vorlane.exe \"",
        "C:\\Tools\\Vorlane", "\"C:\\Tools\\Vorlane.exe2\" C:\\Tools\\Vorlane.exe"}) {
    EXPECT_FALSE(settings::RunCommandStarts(command, program)) << command;
  }
  EXPECT_FALSE(settings::RunCommandStarts("", ""));
}

class SettingsPath : public ::testing::Test {
 protected:
  std::set<std::string> readable;
  std::set<std::string> present;
  SettingsPathChoice Choose(std::optional<std::string> argument) {
    const SettingsFileProbe probe{
        [this](const std::string& path) { return readable.count(path) > 0; },
        [this](const std::string& path) { return present.count(path) == 0; }};
    return ChooseSettingsPath("C:\\app", argument, probe);
  }
};

TEST_F(SettingsPath, FirstStartWritesDefaultsBesideTheProgram) {
  const SettingsPathChoice choice = Choose(std::nullopt);
  EXPECT_EQ(choice.path, "C:\\app\\vorlane.ini");
  EXPECT_TRUE(choice.writeDefaults);
}

TEST_F(SettingsPath, ExistingFileBesideTheProgramIsKept) {
  present.insert("C:\\app\\vorlane.ini");
  readable.insert("C:\\app\\vorlane.ini");
  EXPECT_FALSE(Choose(std::nullopt).writeDefaults);
  // Locked by a program saving it, or not readable to this user: still no
  // first start, whose defaults would replace the user's menus.
  readable.clear();
  EXPECT_FALSE(Choose(std::nullopt).writeDefaults);
}

TEST_F(SettingsPath, ReadableArgumentIsUsedUnchanged) {
  readable.insert("D:\\cfg\\my.ini");
  const SettingsPathChoice choice = Choose("D:\\cfg\\my.ini");
  EXPECT_EQ(choice.path, "D:\\cfg\\my.ini");
  EXPECT_FALSE(choice.writeDefaults);
}

TEST_F(SettingsPath, MissingArgumentFallsBackWithoutWritingDefaults) {
  const SettingsPathChoice choice = Choose("D:\\cfg\\missing.ini");
  EXPECT_EQ(choice.path, "C:\\app\\vorlane.ini");
  EXPECT_FALSE(choice.writeDefaults);
  EXPECT_EQ(Choose(std::string()).path, "C:\\app\\vorlane.ini");
}

}  // namespace
}  // namespace vorlane::launcher
