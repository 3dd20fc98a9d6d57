// What the configurator's edits store and which item they act on, driven
// from outside: values as typed, locations in the form the launcher starts,
// the fields always those of the selected row, and a file another program
// holds left as it is.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "config_driver.h"
#include "config_ids.h"
#include "settings/profile_store_win32.h"

namespace vorlane::test {
namespace {

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  wide.resize(static_cast<std::size_t>(MultiByteToWideChar(
                  CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()))) -
              1);
  return wide;
}

std::string ShortForm(const std::wstring& path) {
  wchar_t shortPath[MAX_PATH] = {};
  GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
  char narrow[MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, shortPath, -1, narrow, MAX_PATH, nullptr, nullptr);
  return narrow;
}

// ---------------------------------------------------------------------------
// What is stored is what the user gave, in a form the launcher starts.

// Parameters typed with their quotes reach the program as one argument,
// and keep them when the item moves.
TEST_F(ConfigUse, QuotedParametersReachTheProgramAsTyped) {
  WriteTextFile(ini, SettingsFile()
                         .Item(1, 1, folder.File("a.exe"), "Aye")
                         .Item(1, 2, folder.File("b.exe"), "Bee")
                         .Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(config.Start("1 " + ini));
  const std::string section = "Program locations1";
  const std::string quoted = "\"C:\\My Docs\\a b.txt\"";
  ASSERT_TRUE(config.ClickRow(config.Rows()[0]));
  ASSERT_TRUE(config.FieldsBecome(folder.File("a.exe"), "Aye"));
  ASSERT_TRUE(config.Type(IDC_PARAMETERS, quoted));
  config.Click(IDC_CHANGE);
  EXPECT_TRUE(KeyBecomes(section, "Par1", quoted));

  ASSERT_TRUE(ChooseInLauncher(launcher, 3));  // banner, "Vorlane", the item
  ASSERT_TRUE(Eventually([&] { return !ReadProbeLog(folder.Path()).empty(); }, "a start"));
  EXPECT_EQ(ReadProbeLog(folder.Path())[0].arguments, quoted);

  config.Click(IDC_ITEM_DOWN);
  EXPECT_TRUE(KeyBecomes(section, "Par2", quoted));
  EXPECT_EQ(Key(section, "Par1"), "");
  EXPECT_EQ(launcher.Close(), 0u);
}

// A location typed or pasted outside the code page, longer than the
// launcher reads, or with Explorer's quotes around it is stored in a form
// the launcher starts, or refused with the reason; so is a batch entry.
TEST_F(ConfigUse, LocationsAreStoredAsTheLauncherStartsThem) {
  WriteTextFile(ini, SettingsFile().Text());
  const std::wstring cyrillic = Wide(folder.Path()) + L"\\\x041f\x0430\x043f\x043a\x0430";
  ASSERT_TRUE(CreateDirectoryW(cyrillic.c_str(), nullptr));
  const std::wstring foreign = cyrillic + L"\\a.exe";
  ASSERT_TRUE(CopyFileW(Wide(folder.File("a.exe")).c_str(), foreign.c_str(), FALSE));
  // 257 characters with a long folder name, so that it has a short form.
  const std::string deep =
      folder.Path() + "\\" +
      std::string(257 - folder.Path().size() - 1 - std::string("\\a.exe").size(), 'd');
  ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
  const std::string longPath = deep + "\\a.exe";
  ASSERT_EQ(longPath.size(), 257u);
  ASSERT_TRUE(CopyFileA(folder.File("a.exe").c_str(), longPath.c_str(), FALSE));
  ASSERT_TRUE(config.Start("1 " + ini));
  const std::string section = "Program locations1";
  const std::string count = "Count1";

  auto add = [&](const std::wstring& location, const std::string& description) {
    EXPECT_TRUE(config.Paste(IDC_LOCATION, location));
    EXPECT_TRUE(config.Type(IDC_DESCRIPTION, description));
    config.Click(IDC_ADD_ITEM);
  };
  add(foreign, "Cyr");
  EXPECT_TRUE(KeyBecomes(section, "Program1", ShortForm(foreign)));
  EXPECT_EQ(Key(section, "Program1").find('?'), std::string::npos);
  add(L"\"" + Wide(folder.File("b.exe")) + L"\"", "Bee");
  EXPECT_TRUE(KeyBecomes(section, "Program2", folder.File("b.exe")));
  add(Wide(longPath), "Deep");
  EXPECT_TRUE(KeyBecomes(section, "Program3", ShortForm(Wide(longPath))));
  EXPECT_LE(Key(section, "Program3").size(), 254u);

  // No short form can bring this one within what the launcher reads.
  add(Wide("C:\\" + std::string(300, 'x') + "\\a.exe"), "Far");
  EXPECT_NE(AnswerBox(config.Pid(), "Error").find("too long"), std::string::npos);
  EXPECT_EQ(Key("Settings", count), "3");
  EXPECT_EQ(config.Text(IDC_DESCRIPTION), "Far") << "the fields keep what was refused";

  // The batch area: an entry goes through the same rule, and an entry that
  // would make the batch longer than a location is refused.
  config.Click(IDC_EXPAND);
  ASSERT_TRUE(config.TextBecomes(IDC_EXPAND, "<<"));  // the batch area shown
  ASSERT_TRUE(config.Paste(IDC_BATCH_ENTRY, foreign));
  config.Click(IDC_ADD_BATCH);
  ASSERT_TRUE(config.Reaches(
      [&] { return SendMessageA(config.Control(IDC_BATCH_LIST), LB_GETCOUNT, 0, 0) == 1; },
      "one batch entry"));
  wchar_t entry[MAX_PATH] = {};
  SendMessageW(config.Control(IDC_BATCH_LIST), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(entry));
  EXPECT_EQ(Wide(ShortForm(foreign)), entry);
  ASSERT_TRUE(config.Paste(IDC_BATCH_ENTRY, Wide("C:\\" + std::string(240, 'y') + ".exe")));
  config.Click(IDC_ADD_BATCH);
  EXPECT_NE(AnswerBox(config.Pid(), "Error").find("too long"), std::string::npos);
  EXPECT_EQ(SendMessageA(config.Control(IDC_BATCH_LIST), LB_GETCOUNT, 0, 0), 1);
}

// ---------------------------------------------------------------------------
// Change writes the fields over the row they came from, and no other.

TEST_F(ConfigUse, FieldsFollowTheSelectedRowAndChangeWaitsForOne) {
  WriteTextFile(ini, SettingsFile()
                         .Set("MenuCount", "2")
                         .Set("MenuOrder", "1*2*")
                         .Set("MenuName1", "Standard")
                         .Set("MenuName2", "Other")
                         .Item(1, 1, folder.File("a.exe"), "Aye")
                         .Item(1, 2, folder.File("b.exe"), "Bee")
                         .Item(2, 1, folder.File("b.exe"), "Other Bee")
                         .Text());
  ASSERT_TRUE(config.Start("1 " + ini));
  const std::string section = "Program locations1";
  ASSERT_TRUE(config.ClickRow(config.Rows()[0]));
  ASSERT_TRUE(config.FieldsBecome(folder.File("a.exe"), "Aye"));
  // The arrow key moves the selection, and the fields with it.
  Configurator::PressKey(VK_DOWN);
  ASSERT_TRUE(config.FieldsBecome(folder.File("b.exe"), "Bee"));
  EXPECT_TRUE(IsWindowEnabled(config.Control(IDC_CHANGE)));
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "Bee 2"));
  config.Click(IDC_CHANGE);
  EXPECT_TRUE(KeyBecomes(section, "Des2", "Bee 2"));
  EXPECT_EQ(Key(section, "Des1"), "Aye");

  // Another menu: its first row is selected, the fields still hold the
  // first menu's item, so Change waits until a row is chosen.
  ASSERT_TRUE(config.ClickMenuLine(1, std::vector<std::string>{"Other Bee"}));
  EXPECT_FALSE(IsWindowEnabled(config.Control(IDC_CHANGE)));
  ASSERT_TRUE(config.ClickRow(config.Rows()[0]));
  ASSERT_TRUE(config.FieldsBecome(folder.File("b.exe"), "Other Bee"));
  EXPECT_TRUE(IsWindowEnabled(config.Control(IDC_CHANGE)));
  EXPECT_EQ(Key(section, "Des1"), "Aye");
}

// Rows trade texts of any length when they move.
TEST_F(ConfigUse, MovesKeepLongDescriptionsWhole) {
  const std::string longText(300, 'L');
  WriteTextFile(ini, SettingsFile()
                         .Item(1, 1, folder.File("a.exe"), longText)
                         .Item(1, 2, folder.File("b.exe"), "Bee")
                         .Text());
  ASSERT_TRUE(config.Start("1 " + ini));
  ASSERT_TRUE(config.ClickRow(config.Rows()[1]));
  config.Click(IDC_ITEM_UP);
  EXPECT_TRUE(KeyBecomes("Program locations1", "Des1", "Bee"));
  EXPECT_EQ(config.RowTexts(), (std::vector<std::string>{"Bee", longText}));
}

// A look-up of a row's image still on its way when the row is changed, or
// when another menu replaces the list, belongs to the item as it is: the
// fixed item is not reported, a replaced list's bad item still is. The
// dialog is driven while a bad-item box holds its look-ups, which is the
// moment a quick hand acts in.
TEST_F(ConfigUse, LookUpsOnTheirWayFollowChangesAndReplacedLists) {
  WriteTextFile(ini, SettingsFile()
                         .Set("MenuCount", "2")
                         .Set("MenuOrder", "1*2*")
                         .Set("MenuName1", "Standard")
                         .Set("MenuName2", "Other")
                         .Item(1, 1, "C:\\gone\\one.exe", "Gone1")
                         .Item(1, 2, "C:\\gone\\two.exe", "Gone2")
                         .Item(1, 3, "C:\\gone\\three.exe", "Gone3")
                         .Item(1, 4, "C:\\gone\\four.exe", "Gone4")
                         .Item(2, 1, "C:\\gone\\five.exe", "Gone5")
                         .Text());
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Pid();
  auto named = [](const std::string& text) {
    const std::size_t start = text.find("\r\n") + 2;
    return text.substr(start, text.find("\r\n", start) - start);
  };
  ASSERT_NE(WaitForMessageBox(pid, "Vorlane"), nullptr);
  // Item 2 fixed while item 1's box is up.
  config.SelectRowDirectly(1);
  ASSERT_TRUE(config.FieldsBecome("C:\\gone\\two.exe", "Gone2"));
  SendMessageW(config.Control(IDC_LOCATION), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(Wide(folder.File("b.exe")).c_str()));
  SendMessageW(config.Control(IDC_DESCRIPTION), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(L"Fixed"));
  ASSERT_TRUE(config.Command(IDC_CHANGE));
  EXPECT_TRUE(KeyBecomes("Program locations1", "Program2", folder.File("b.exe")));
  EXPECT_EQ(named(AnswerBox(pid, "Vorlane")), "Gone1");
  ASSERT_NE(WaitForMessageBox(pid, "Vorlane"), nullptr);
  // The other menu replaces the list while item 3's box is up.
  SendMessageA(config.Control(IDC_MENU_LIST), LB_SETCURSEL, 1, 0);
  ASSERT_TRUE(config.Command(IDC_MENU_LIST, LBN_SELCHANGE));
  EXPECT_EQ(named(AnswerBox(pid, "Vorlane")), "Gone3") << "item 2 was fixed";
  EXPECT_EQ(named(AnswerBox(pid, "Vorlane")), "Gone4") << "its list was replaced";
  EXPECT_EQ(named(AnswerBox(pid, "Vorlane")), "Gone5");
  EXPECT_EQ(config.RowTexts(), (std::vector<std::string>{"Gone5"}));
}

// ---------------------------------------------------------------------------
// A file another program holds open: nothing is read as empty, nothing is
// written, and the lists and the selection stay as the file is.

TEST_F(ConfigUse, FileHeldByAnotherProgramIsLeftAsItIs) {
  WriteTextFile(ini, ThreeMenus(folder, false).Text());
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Pid();
  ASSERT_TRUE(config.ClickMenuLine(1, std::vector<std::string>{"Web B"}));
  const std::string before = File();
  const std::vector<std::string> lines = config.MenuLines();
  {
    win32::UniqueFile held(
        CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    config.Click(IDC_MENU_DOWN);
    EXPECT_NE(AnswerBox(pid, "Error").find("could not be read"), std::string::npos);
    EXPECT_EQ(SendMessageA(config.Control(IDC_MENU_LIST), LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(config.MenuLines(), lines);

    config.PressMenuLine(2);
    EXPECT_NE(AnswerBox(pid, "Error").find("could not be read"), std::string::npos);
    EXPECT_EQ(SendMessageA(config.Control(IDC_MENU_LIST), LB_GETCURSEL, 0, 0), 1)
        << "the selection stays with the rows shown";
    EXPECT_EQ(config.RowTexts(), (std::vector<std::string>{"Web B"}));

    ASSERT_TRUE(config.Type(IDC_LOCATION, folder.File("a.exe")));
    ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "Aye"));
    config.Click(IDC_ADD_ITEM);
    EXPECT_NE(AnswerBox(pid, "Error").find("could not be read"), std::string::npos);
    EXPECT_EQ(config.Text(IDC_DESCRIPTION), "Aye");
  }
  EXPECT_EQ(File(), before);
  config.Click(IDC_MENU_DOWN);
  EXPECT_TRUE(KeyBecomes("Settings", "MenuOrder", "1*2*3*"));
  EXPECT_EQ(SendMessageA(config.Control(IDC_MENU_LIST), LB_GETCURSEL, 0, 0), 2);
}

// Another program holds the settings' lock past a writer's wait: the user is
// told who may hold it, nothing is written, and the same click works once
// the lock is let go.
TEST_F(ConfigUse, SettingsLockedByAnotherProgramSaysSoAndWritesNothing) {
  WriteTextFile(ini, ThreeMenus(folder, false).Text());
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Pid();
  ASSERT_TRUE(config.ClickMenuLine(1, std::vector<std::string>{"Web B"}));
  const std::string before = File();
  ASSERT_TRUE(config.Type(IDC_LOCATION, folder.File("a.exe")));
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "Aye"));
  {
    settings::ProfileStore other(ini);
    const settings::LockHold hold(other, settings::LockPurpose::Write);
    ASSERT_EQ(hold.Outcome(), settings::LockOutcome::Taken);
    config.Click(IDC_ADD_ITEM);
    EXPECT_NE(AnswerBox(pid, "Error").find("is held by another program"), std::string::npos);
    EXPECT_EQ(File(), before);
    EXPECT_EQ(config.Text(IDC_DESCRIPTION), "Aye") << "the fields keep what was not stored";
  }
  config.Click(IDC_ADD_ITEM);
  EXPECT_TRUE(KeyBecomes("Program locations3", "Des2", "Aye"));
}

}  // namespace
}  // namespace vorlane::test
