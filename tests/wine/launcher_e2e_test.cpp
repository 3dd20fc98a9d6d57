// Vorlane.exe started in a fresh folder and driven from this process as the
// shell and the configurator would: its settings file, its hidden window and
// its tray icon.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "launcher/launcher_messages.h"
#include "settings/ini_document.h"
#include "settings/settings_model.h"
#include "test_support.h"

namespace vorlane::test {
namespace {

using launcher::WM_RELOADICON;
using settings::IniDocument;

// The built-in tray icon's tile colour, and the colour of the icon files
// that the tests draw.
constexpr COLORREF kBuiltInBlue = RGB(0x2a, 0x5b, 0xd7);
// The deeper tile of the icon drawn for a light taskbar.
constexpr COLORREF kLightTaskbarBlue = RGB(0x1d, 0x47, 0xb8);
constexpr COLORREF kCustomColour = RGB(0xe0, 0x10, 0xc0);

std::string ListFolder(const TempFolder& folder) {
  std::string names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder.Path() + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names += std::string(found.cFileName) + ";";
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

std::string Quoted(const std::string& text) {
  std::string quoted(1, '"');
  quoted += text;
  quoted += '"';
  return quoted;
}

void SetIcon(const std::string& iniPath, const std::string& value) {
  WritePrivateProfileStringA("Settings", "Icon", value.c_str(), iniPath.c_str());
}

bool Reload(HWND window) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, WM_RELOADICON, 0, 0, SMTO_NORMAL, 10000,
                             &ignored) != 0;
}

class LauncherStart : public EndToEndTest {};

void ExpectDefaultFile(const std::string& path, bool startsWithWindows) {
  IniDocument expected;
  settings::WriteDefaultFile(expected, WindowsDirectory(), startsWithWindows);
  const IniDocument written = IniDocument::Parse(ReadTextFile(path));
  ASSERT_EQ(written.Sections().size(), 2u);
  for (std::size_t s = 0; s < 2; ++s) {
    const auto& want = expected.Sections()[s];
    const auto& got = written.Sections()[s];
    EXPECT_EQ(got.name, want.name);
    ASSERT_EQ(got.entries.size(), want.entries.size()) << want.name;
    for (std::size_t e = 0; e < want.entries.size(); ++e) {
      EXPECT_EQ(got.entries[e].key, want.entries[e].key) << want.name;
      EXPECT_EQ(got.entries[e].value, want.entries[e].value)
          << got.entries[e].key;
    }
  }
  EXPECT_EQ(written.Sections()[1].entries[2].value,
            WindowsDirectory() + "\\notepad.exe");
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return text;
}

bool SetRunValue(HKEY root, const std::string& command) {
  return RegSetKeyValueA(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                         "Vorlane", REG_SZ, command.c_str(),
                         static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}

// "Start with Windows" is on only when a Run value (the installer's, quoted,
// for the user; the configurator's, bare, for the machine) starts this very
// program.
TEST_F(LauncherStart, FirstStartWritesExactlyTheDefaultFile) {
  const OnScopeExit noRunValues([] { RemoveRunValues(); });
  struct Case {
    const char* what;
    HKEY root;  // nullptr: no Run value
    std::function<std::string(const std::string& launcher)> command;
    bool startsWithWindows;
  };
  const Case cases[] = {
      {"no Run value", nullptr, nullptr, false},
      {"the user's value for another copy", HKEY_CURRENT_USER,
       [](const std::string&) { return "\"C:\\Old\\Vorlane.exe\""; }, false},
      {"the user's value, quoted", HKEY_CURRENT_USER,
       [](const std::string& launcher) { return Quoted(Upper(launcher)); }, true},
      {"the machine's value, bare", HKEY_LOCAL_MACHINE,
       [](const std::string& launcher) { return launcher; }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveRunValues();
    TempFolder folder;
    if (c.root != nullptr) {
      ASSERT_TRUE(SetRunValue(c.root, c.command(folder.File("Vorlane.exe"))));
    }
    Launcher launcher;
    ASSERT_TRUE(launcher.Start(folder));
    ExpectDefaultFile(folder.File("vorlane.ini"), c.startsWithWindows);
    EXPECT_EQ(launcher.Close(), 0u);
  }
}

// A double-click too many, or an installer's "start now" beside a running
// copy: a second start for the same settings file, however its path is
// written, ends at once without an icon; a launcher of another settings
// file runs beside the first.
TEST_F(LauncherStart, ASecondStartForTheSameSettingsFileEndsWithoutAnIcon) {
  TempFolder folder;
  Launcher first;
  ASSERT_TRUE(first.StartWith(folder, SettingsFile().Text()));
  const std::string shortIni = ShortPathOf(folder.File("vorlane.ini"));
  ASSERT_NE(shortIni, "");
  ASSERT_NE(shortIni, folder.File("vorlane.ini")) << "the folder has no short name";
  for (const std::string& arguments : {std::string(), Quoted(shortIni)}) {
    SCOPED_TRACE("arguments: " + arguments);
    ChildProcess second;
    ASSERT_TRUE(second.Start(first.ExePath(), Quoted(first.ExePath()) + " " + arguments));
    EXPECT_EQ(second.WaitForExit(), 0u) << "the second launcher runs";
  }

  TempFolder otherFolder;
  Launcher other;
  ASSERT_TRUE(other.StartWith(otherFolder, SettingsFile().Text()));
  EXPECT_TRUE(TrayIconExists(first.Window()));
  EXPECT_EQ(other.Close(), 0u);
  EXPECT_EQ(first.Close(), 0u);
}

TEST_F(LauncherStart, HiddenWindowOfClassVorlane) {
  TempFolder folder;
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder));
  char title[32] = {};
  GetWindowTextA(launcher.Window(), title, std::size(title));
  EXPECT_STREQ(title, "Vorlane");
  EXPECT_FALSE(IsWindowVisible(launcher.Window()));
  EXPECT_EQ(FindWindowA("Vorlane", nullptr), launcher.Window());
  EXPECT_EQ(launcher.Close(), 0u);
}

TEST_F(LauncherStart, ExistingFileIsLeftAsItIs) {
  TempFolder folder;
  const std::string text = "[Settings]\r\nMenuCount=0\r\n";
  Launcher launcher;
  ASSERT_TRUE(launcher.StartWith(folder, text));
  EXPECT_EQ(ReadTextFile(folder.File("vorlane.ini")), text);
  EXPECT_EQ(launcher.Close(), 0u);
}

TEST_F(LauncherStart, MissingArgumentFileWritesNoDefaults) {
  TempFolder folder;
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, Quoted(folder.File("absent.ini"))));
  EXPECT_EQ(ListFolder(folder), ".;..;Vorlane.exe;");
  EXPECT_EQ(launcher.Close(), 0u);
  EXPECT_EQ(ListFolder(folder), ".;..;Vorlane.exe;");
}

TEST_F(LauncherStart, UnreadableArgumentsFallBackToTheFileBesideTheProgram) {
  // A folder, a name with a wildcard, and a name longer than any path.
  for (const std::string& argument :
       {std::string("C:\\windows"), std::string("C:\\nothing\\*.ini"),
        std::string(600, 'y')}) {
    TempFolder folder;
    WriteSolidIcon(folder.File("custom.ico"), kCustomColour);
    WriteTextFile(folder.File("vorlane.ini"),
                  "[Settings]\r\nIcon=" + folder.File("custom.ico") + ",0\r\n");
    Launcher launcher;
    ASSERT_TRUE(launcher.Start(folder, argument)) << argument;
    EXPECT_TRUE(WaitUntil([] { return TrayShowsColour(kCustomColour); }))
        << argument;
    EXPECT_EQ(launcher.Close(), 0u) << argument;
  }
}

TEST_F(LauncherStart, ReadableArgumentIsTheSettingsFile) {
  TempFolder folder;
  WriteSolidIcon(folder.File("custom.ico"), kCustomColour);
  const std::string elsewhere = folder.File("elsewhere.ini");
  WriteTextFile(elsewhere,
                "[Settings]\r\nIcon=" + folder.File("custom.ico") + "\r\n");
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, elsewhere));
  EXPECT_TRUE(WaitUntil([] { return TrayShowsColour(kCustomColour); }));
  EXPECT_FALSE(FileExists(folder.File("vorlane.ini")));
  EXPECT_EQ(launcher.Close(), 0u);
}

TEST_F(LauncherStart, RelativeArgumentIsFoundInTheCurrentFolder) {
  TempFolder folder;
  WriteSolidIcon(folder.File("custom.ico"), kCustomColour);
  WriteTextFile(folder.File("relative.ini"),
                "[Settings]\r\nIcon=" + folder.File("custom.ico") + "\r\n");
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "relative.ini", folder.Path()));
  EXPECT_TRUE(WaitUntil([] { return TrayShowsColour(kCustomColour); }));
  EXPECT_FALSE(FileExists(folder.File("vorlane.ini")));
  EXPECT_EQ(launcher.Close(), 0u);
}

TEST_F(LauncherStart, BareProgramNameFindsItsFolderFromTheModule) {
  TempFolder folder;
  const std::string other = folder.File("other");
  CreateDirectoryA(other.c_str(), nullptr);
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "", other, /*bareName=*/true));
  EXPECT_TRUE(FileExists(folder.File("vorlane.ini")));
  EXPECT_FALSE(FileExists(other + "\\vorlane.ini"));
  EXPECT_EQ(launcher.Close(), 0u);
}

class TrayIcon : public EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    if (HasFatalFailure()) return;
    WriteSolidIcon(folder.File("custom.ico"), kCustomColour);
    ASSERT_TRUE(launcher.Start(folder));
    ASSERT_TRUE(WaitUntil([] { return TrayShowsColour(kBuiltInBlue); }))
        << "built-in icon not shown";
  }
  void TearDown() override { EXPECT_EQ(launcher.Close(), 0u); }

  // Sets Icon, asks for a reload and waits for the colour to show.
  bool ShowsAfterReload(const std::string& value, COLORREF colour) {
    SetIcon(ini, value);
    if (!Reload(launcher.Window())) return false;
    return WaitUntil([colour] { return TrayShowsColour(colour); });
  }

  TempFolder folder;
  std::string ini = folder.File("vorlane.ini");
  Launcher launcher;
};

TEST_F(TrayIcon, ReloadShowsTheConfiguredIcon) {
  EXPECT_TRUE(ShowsAfterReload(folder.File("custom.ico"), kCustomColour));
  EXPECT_TRUE(ShowsAfterReload(folder.File("custom.ico") + ",0", kCustomColour));
  EXPECT_TRUE(ShowsAfterReload("", kBuiltInBlue));
}

TEST_F(TrayIcon, ALightTaskbarGetsTheVariantDrawnForItUnlessAnIconIsChosen) {
  UserDword taskbar(kPersonalizeKey, "SystemUsesLightTheme");
  ASSERT_TRUE(taskbar.Set(1));
  BroadcastColourSetChange();
  EXPECT_TRUE(WaitUntil([] {
    return TrayShowsColour(kLightTaskbarBlue) && !TrayShowsColour(kBuiltInBlue);
  })) << "the icon for a dark taskbar stayed";
  EXPECT_TRUE(ShowsAfterReload(folder.File("custom.ico"), kCustomColour));
  EXPECT_TRUE(ShowsAfterReload("", kLightTaskbarBlue));
  ASSERT_TRUE(taskbar.Set(0));
  BroadcastColourSetChange();
  EXPECT_TRUE(WaitUntil([] { return TrayShowsColour(kBuiltInBlue); }))
      << "the icon for a light taskbar stayed";
}

TEST_F(TrayIcon, IconNumberChoosesAmongTheFilesIcons) {
  const std::vector<COLORREF> colours{RGB(0x10, 0xa0, 0x20),
                                      RGB(0x20, 0x30, 0xe0),
                                      RGB(0xf0, 0xa0, 0x10)};
  const std::string library = folder.File("icons.exe");
  ASSERT_TRUE(WriteIconLibrary(library, colours));
  for (int number : {2, 1, 0}) {
    EXPECT_TRUE(ShowsAfterReload(library + "," + std::to_string(number),
                                 colours[number]))
        << "icon number " << number;
  }
}

TEST_F(TrayIcon, LastCommaSeparatesTheIconNumber) {
  const std::string commaFolder = folder.File("a,b");
  CreateDirectoryA(commaFolder.c_str(), nullptr);
  WriteSolidIcon(commaFolder + "\\icons.ico", kCustomColour);
  EXPECT_TRUE(ShowsAfterReload(commaFolder + "\\icons.ico,0", kCustomColour));
}

TEST_F(TrayIcon, UnusableIconValuesGiveTheBuiltInIcon) {
  WriteTextFile(folder.File("not-an-icon.txt"), "plain text");
  for (const std::string& value :
       {folder.File("missing.ico"), folder.File("missing.ico") + ",2",
        folder.File("not-an-icon.txt") + ",0",
        folder.File("custom.ico") + ",7",   // no such icon number
        folder.File("custom.ico") + ",-1",  // asks for the count, not an icon
        std::string("no,comma,ends,here"), std::string(900, ',')}) {
    ASSERT_TRUE(ShowsAfterReload(folder.File("custom.ico"), kCustomColour));
    EXPECT_TRUE(ShowsAfterReload(value, kBuiltInBlue)) << value;
    EXPECT_TRUE(launcher.Process().IsRunning()) << value;
  }
}

TEST_F(TrayIcon, TaskbarCreatedAddsTheIconAgain) {
  ASSERT_TRUE(ShowsAfterReload(folder.File("custom.ico"), kCustomColour));
  const HWND window = launcher.Window();
  RemoveTrayIcon(window);
  ASSERT_FALSE(TrayIconExists(window));

  // Wine never broadcasts "TaskbarCreated": post it as a restarted shell would.
  PostMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(WaitUntil([window] { return TrayIconExists(window); }));
  EXPECT_TRUE(WaitUntil([] { return TrayShowsColour(kCustomColour); }));
}

}  // namespace
}  // namespace vorlane::test
