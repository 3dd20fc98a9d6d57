// The launcher's menu opened through its tray callback and used with the
// keyboard from this process; a probe program witnesses what was started.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "launcher/launcher_messages.h"
#include "menu_driver.h"
#include "test_support.h"
#include "win32/handles.h"

namespace vorlane::test {
namespace {

using namespace std::chrono_literals;

// The entries of the system submenu "Vorlane", counted from its first.
enum SystemEntry { kConfig, kOptions, kHelp, kDonate, kAbout, kExit };

// A launcher in a fresh folder with a probe beside it and a settings file
// made by the test.
class MenuUse : public EndToEndTest {
 protected:
  ::testing::AssertionResult StartWith(
      const SettingsFile& settings, const std::string& workingDirectory = "") {
    if (!CopyFileA((BinDirectory() + "\\probe.exe").c_str(), probe.c_str(),
                   FALSE)) {
      return ::testing::AssertionFailure() << "no probe: " << GetLastError();
    }
    return launcher.StartWith(folder, settings, workingDirectory);
  }
  void TearDown() override {
    if (launcher.Process().IsRunning()) {
      EXPECT_EQ(launcher.Close(), 0u);
    }
  }
  DWORD Pid() { return launcher.Process().Id(); }

  // Another copy of the probe, which logs under its own name.
  std::string CopyProbe(const std::string& path) {
    EXPECT_TRUE(CopyFileA((BinDirectory() + "\\probe.exe").c_str(),
                          path.c_str(), FALSE))
        << path << ": " << GetLastError();
    return path;
  }

  // Opens the menu, chooses the entry `downs` steps below its top, and waits
  // until the probes have logged `starts` starts in all and the menu is gone.
  void StartEntry(int downs, std::size_t starts) {
    ASSERT_TRUE(OpenByHover());
    ChooseByKeys(Pid(), downs);
    ASSERT_TRUE(WaitForStarts(starts)) << Describe(Starts());
    ASSERT_TRUE(WaitForMenuClosed(Pid()));
  }

  ::testing::AssertionResult OpenByHover() {
    PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
    if (WaitForPopupMenu(Pid()) == nullptr) {
      return ::testing::AssertionFailure() << "no menu after WM_MOUSEMOVE";
    }
    return ::testing::AssertionSuccess();
  }

  // With the main popup open: `downs` presses reach a submenu entry, which
  // VK_RIGHT opens with its first entry selected; `downsInside` more
  // presses and VK_RETURN choose there.
  void ChooseInSubmenu(int downs, int downsInside) {
    for (int i = 0; i < downs; ++i) PressMenuKey(Pid(), VK_DOWN);
    PressMenuKey(Pid(), VK_RIGHT);
    ChooseByKeys(Pid(), downsInside);
  }
  void ChooseSystemEntry(SystemEntry entry) {
    ChooseInSubmenu(2, entry);  // the banner, then "Vorlane"
  }

  bool WaitForStarts(std::size_t count, const TempFolder* where = nullptr) {
    const std::string path = (where ? *where : folder).Path();
    return WaitUntil([&] { return ReadProbeLog(path).size() >= count; });
  }
  std::vector<ProbeStart> Starts(const TempFolder* where = nullptr) {
    return ReadProbeLog((where ? *where : folder).Path());
  }
  // The starts once the chosen command has returned (the launcher runs it
  // when its menu has closed, and answers a sent message only after it)
  // and all that it started has ended, and so logged.
  std::vector<ProbeStart> SettledStarts() {
    EXPECT_TRUE(WaitForMenuClosed(Pid()));
    EXPECT_TRUE(vorlane::test::Answers(launcher.Window()));
    EXPECT_TRUE(Eventually([&] { return RunningChildren(Pid()) == 0; },
                           "what the launcher started has ended"));
    return Starts();
  }

  // Whether the launcher has handled all that was posted to it: it adds
  // its tray icon again on "TaskbarCreated", posted after the rest, also
  // inside the loop of a menu that one of them opened.
  ::testing::AssertionResult HandledWhatWasPosted() {
    RemoveTrayIcon(launcher.Window());
    PostMessageA(launcher.Window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    return Eventually([&] { return TrayIconExists(launcher.Window()); },
                      "the launcher handles what was posted to it");
  }

  // The text of the launcher's box with this caption, which is then closed.
  std::string ReadAndCloseBox(const char* caption) {
    const HWND box = WaitForMessageBox(Pid(), caption);
    if (box == nullptr)
      return "(no box captioned " + std::string(caption) + ")";
    const std::string text = MessageBoxText(box);
    CloseMessageBox(box);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << "box stays";
    return text;
  }

  bool Answers() { return vorlane::test::Answers(launcher.Window()); }

  TempFolder folder;
  std::string probe = folder.File("probe.exe");
  Launcher launcher;
};

TEST_F(MenuUse, HoveringOpensTheMenuAndAnItemStartsItsProgram) {
  ASSERT_TRUE(StartWith(
      SettingsFile().Item(1, 1, probe, "Probe", {{"Par", "one two"}})));
  PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  ASSERT_NE(WaitForPopupMenu(Pid()), nullptr);
  ChooseByKeys(Pid(), 3);  // banner, "Vorlane", then the item
  ASSERT_TRUE(WaitForStarts(1));
  const std::vector<ProbeStart> starts = ReadProbeLog(folder.Path());
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].arguments, "one two");
  EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);
  EXPECT_EQ(starts[0].directory + "\\", folder.Path() + "\\");
  EXPECT_TRUE(WaitForMenuClosed(Pid()));
}

// ---------------------------------------------------------------------------
// How an item is started: show command, working directory, and from the
// file as it is when the menu opens.

class ItemStart : public MenuUse {
 protected:
  // Starts the launcher with one item for the probe and chooses it.
  ProbeStart StartProbeWith(SettingsFile settings,
                            const SettingsFile::Keys& itemKeys,
                            const std::string& workingDirectory = "") {
    settings.Item(1, 1, probe, "Probe", itemKeys);
    const ::testing::AssertionResult started =
        StartWith(settings, workingDirectory);
    if (!started) {
      ADD_FAILURE() << started.message();
      return {};
    }
    const ::testing::AssertionResult opened = OpenByHover();
    if (!opened) {
      ADD_FAILURE() << opened.message();
      return {};
    }
    ChooseByKeys(Pid(), 3);
    EXPECT_TRUE(WaitForStarts(1)) << Describe(Starts());
    const std::vector<ProbeStart> starts = Starts();
    return starts.empty() ? ProbeStart{} : starts[0];
  }
};

TEST_F(ItemStart, OpenModeHiddenGivesShowCommandZero) {
  const ProbeStart start = StartProbeWith({}, {{"OM", "3"}});
  EXPECT_EQ(start.show, SW_HIDE);
}

TEST_F(ItemStart, OpenModeOutsideTheTableIsPassedUnchanged) {
  const ProbeStart start = StartProbeWith({}, {{"OM", "7"}});
  EXPECT_EQ(start.show, 7);
}

TEST_F(ItemStart, OpenModesMinimisedAndMaximised) {
  SettingsFile settings;
  settings.Item(1, 1, CopyProbe(folder.File("min.exe")), "Min", {{"OM", "1"}})
      .Item(1, 2, CopyProbe(folder.File("max.exe")), "Max", {{"OM", "2"}});
  ASSERT_TRUE(StartWith(settings));
  ASSERT_NO_FATAL_FAILURE(StartEntry(3, 1));
  ASSERT_NO_FATAL_FAILURE(StartEntry(4, 2));
  const std::vector<ProbeStart> starts = Starts();
  EXPECT_EQ(starts[0].program, "min.exe") << Describe(starts);
  EXPECT_EQ(starts[0].show, SW_SHOWMINIMIZED);
  EXPECT_EQ(starts[1].program, "max.exe") << Describe(starts);
  EXPECT_EQ(starts[1].show, SW_SHOWMAXIMIZED);
}

TEST_F(ItemStart, RelativePathsPassNoWorkingDirectory) {
  TempFolder elsewhere;
  const ProbeStart start = StartProbeWith(
      SettingsFile().Set("enableRelativePaths", "1"), {}, elsewhere.Path());
  EXPECT_NE(start.directory, folder.Path());
  EXPECT_EQ(start.directory, elsewhere.Path());
}

// Locations without a folder of their own: the launcher hands the shell no
// working directory for them rather than the location itself.
TEST_F(ItemStart, WebAddressAndBareProgramNameStart) {
  const ProtocolProgram web("http", probe);
  ASSERT_TRUE(web.Ready());
  const std::string bare = CopyProbe(folder.File("bare.exe"));
  // Found through the launcher's own folder, its current one here.
  ASSERT_TRUE(StartWith(SettingsFile()
                            .Item(1, 1, "www.example.org", "Web")
                            .Item(1, 2, "bare.exe", "Bare", {{"Par", "x"}}),
                        folder.Path()));
  ASSERT_NO_FATAL_FAILURE(StartEntry(3, 1));
  ASSERT_NO_FATAL_FAILURE(StartEntry(4, 2));
  const std::vector<ProbeStart> starts = SettledStarts();
  ASSERT_EQ(starts.size(), 2u) << Describe(starts);
  EXPECT_EQ(starts[0].program, "probe.exe");
  EXPECT_EQ(starts[0].arguments, "http://www.example.org");
  EXPECT_EQ(starts[1].program, "bare.exe");
  EXPECT_EQ(starts[1].arguments, "x");
  EXPECT_EQ(starts[1].directory, folder.Path());
}

TEST_F(ItemStart, ChangedFileShowsAtTheNextOpening) {
  const std::string a = CopyProbe(folder.File("a.exe"));
  const std::string b = CopyProbe(folder.File("b.exe"));
  ASSERT_TRUE(StartWith(SettingsFile().Item(1, 1, a, "Probe")));
  ASSERT_TRUE(OpenByHover());
  ChooseByKeys(Pid(), 3);
  ASSERT_TRUE(WaitForStarts(1));
  ASSERT_TRUE(WaitForMenuClosed(Pid()));

  ASSERT_TRUE(WritePrivateProfileStringA("Program locations1", "Program1",
                                         b.c_str(),
                                         folder.File("vorlane.ini").c_str()));
  ASSERT_TRUE(OpenByHover());
  ChooseByKeys(Pid(), 3);
  ASSERT_TRUE(WaitForStarts(2)) << Describe(Starts());
  EXPECT_EQ(Starts()[1].program, "b.exe") << Describe(Starts());
}

// ---------------------------------------------------------------------------
// Which item a choice starts: the entry's menu and item number survive
// separators, submenus and the e-mail submenu's shift.

class ItemChoice : public MenuUse {
 protected:
  void SetUp() override {
    MenuUse::SetUp();
    a = CopyProbe(folder.File("a.exe"));
    b = CopyProbe(folder.File("b.exe"));
    c = CopyProbe(folder.File("c.exe"));
  }
  ::testing::AssertionResult Started(const std::string& program) {
    if (!WaitForStarts(1)) {
      return ::testing::AssertionFailure() << "nothing started";
    }
    const std::vector<ProbeStart> starts = SettledStarts();
    if (starts.size() != 1 || starts[0].program != program) {
      return ::testing::AssertionFailure()
             << "expected only " << program << ", got " << Describe(starts);
    }
    return ::testing::AssertionSuccess();
  }
  std::string a, b, c;
};

TEST_F(ItemChoice, EmptyDescriptionIsASeparatorThatKeepsLaterItemsInPlace) {
  ASSERT_TRUE(StartWith(
      SettingsFile().Item(1, 1, a, "A").Item(1, 2, b, "").Item(1, 3, c, "C")));
  ASSERT_TRUE(OpenByHover());
  ChooseByKeys(Pid(), 4);  // banner, "Vorlane", A, then C past the separator
  EXPECT_TRUE(Started("c.exe"));
}

TEST_F(ItemChoice, SubmenuItemStartsTheProgramOfItsOwnMenu) {
  ASSERT_TRUE(StartWith(SettingsFile()
                            .Set("MenuCount", "2")
                            .Set("MenuOrder", "1*2*")
                            .Item(1, 1, a, "A1")
                            .Item(1, 2, a, "A2")
                            .Item(2, 1, c, "C1")
                            .Item(2, 2, b, "B2")));
  ASSERT_TRUE(OpenByHover());
  ChooseInSubmenu(3, 1);  // banner, "Vorlane", the submenu; its second item
  EXPECT_TRUE(Started("b.exe"));
}

TEST_F(ItemChoice, SubmenusFollowMenuOrderAfterTheEmailSubmenu) {
  // Main popup: banner, "Vorlane", separator, "Email", menu 3, menu 2.
  ASSERT_TRUE(StartWith(SettingsFile()
                            .Set("ShowEmailItem", "1")
                            .Set("MenuCount", "3")
                            .Set("MenuOrder", "1*3*2*")
                            .Item(1, 1, c, "C")
                            .Item(2, 1, b, "B")
                            .Item(3, 1, a, "A")));
  ASSERT_TRUE(OpenByHover());
  ChooseInSubmenu(5, 0);
  EXPECT_TRUE(Started("b.exe"));
}

TEST_F(ItemChoice, SubmenuOpenedAfterAnotherStartsItsOwnItem) {
  ASSERT_TRUE(StartWith(SettingsFile()
                            .Set("MenuCount", "3")
                            .Set("MenuOrder", "1*2*3*")
                            .Item(2, 1, a, "A1")
                            .Item(2, 2, b, "B2")
                            .Item(3, 1, c, "C1")
                            .Item(3, 2, c, "C2")));
  ASSERT_TRUE(OpenByHover());
  for (int i = 0; i < 4; ++i) PressMenuKey(Pid(), VK_DOWN);  // menu 3
  PressMenuKey(Pid(), VK_RIGHT);
  PressMenuKey(Pid(), VK_LEFT);
  PressMenuKey(Pid(), VK_UP);  // menu 2
  ChooseInSubmenu(0, 1);
  EXPECT_TRUE(Started("b.exe"));
}

// ---------------------------------------------------------------------------
// Batches: every path in turn, a pause after each.

class Batch : public MenuUse {
 protected:
  std::string Location() {
    return CopyProbe(folder.File("a.exe")) + "?" +
           CopyProbe(folder.File("b.exe")) + "?";
  }
};

TEST_F(Batch, StartsEveryPathInOrderWithTheConfiguredPauseBetween) {
  // Not the default pause, so that a launcher ignoring the key is seen.
  constexpr unsigned long long kPause = 2500;
  // The system clock's steps, and the longest the launcher may take from
  // the end of one start to the creation of the next process beside the
  // pause: far less than a second pause.
  constexpr unsigned long long kClockStep = 20;
  constexpr unsigned long long kStartTime = 1500;
  TempFolder elsewhere;
  ASSERT_TRUE(StartWith(
      SettingsFile()
          .Set("BatchPause", std::to_string(kPause))
          .Item(1, 1, Location(), "Batch", {{"Par", "ignored"}, {"OM", "3"}}),
      elsewhere.Path()));
  ASSERT_TRUE(OpenByHover());
  ChooseByKeys(Pid(), 3);
  ASSERT_TRUE(WaitUntil([&] { return Starts().size() >= 2; },
                        std::chrono::milliseconds(kPause) + 10s))
      << Describe(Starts());
  const std::vector<ProbeStart> starts = Starts();
  ASSERT_EQ(starts.size(), 2u) << Describe(starts);
  EXPECT_EQ(starts[0].program, "a.exe");
  EXPECT_EQ(starts[1].program, "b.exe");
  // Process creation times are taken when the launcher starts a program,
  // whatever Wine then spends on loading it: b comes a pause after a was
  // started, and at most a start's time more after a had run.
  EXPECT_GE(starts[1].created, starts[0].created + kPause - kClockStep)
      << "a created at " << starts[0].created << ", b at " << starts[1].created;
  EXPECT_LE(starts[1].created, starts[0].logged + kPause + kStartTime)
      << "a ran until " << starts[0].logged << ", b created at "
      << starts[1].created;
  // The item's parameters, open mode and folder belong to single programs.
  for (const ProbeStart& start : starts) {
    EXPECT_EQ(start.arguments, "") << start.program;
    EXPECT_EQ(start.show, SW_SHOWNORMAL) << start.program;
    EXPECT_EQ(start.directory, elsewhere.Path()) << start.program;
  }
}

TEST_F(Batch, NegativePauseDoesNotHangTheLauncher) {
  // Sleep(-1) would be INFINITE.
  ASSERT_TRUE(StartWith(
      SettingsFile().Set("BatchPause", "-1").Item(1, 1, Location(), "Batch")));
  ASSERT_TRUE(OpenByHover());
  ChooseByKeys(Pid(), 3);
  ASSERT_TRUE(WaitForStarts(2)) << Describe(Starts());
  EXPECT_TRUE(Answers());
}

// ---------------------------------------------------------------------------
// Start failures: explained in a box, after which the launcher goes on.

class LaunchFailure : public MenuUse {};

TEST_F(LaunchFailure, BoxNamesTheReasonAndTheLauncherGoesOn) {
  const std::string firstLine =
      "The program/folder/file could not be started:\r\n";
  WriteTextFile(folder.File("unknown.zzq"), "no program opens this");
  struct Case {
    std::string location;
    std::string reason;
  };
  const Case cases[] = {
      {folder.File("missing.exe"), "the file was not found."},
      {folder.File("absent\\x.exe"), "the path was not found."},
      // Wine reports error 193 here; Windows reports 1155, "no association
      // exist for this file type.".
      {folder.File("unknown.zzq"), "but the error is unknown."},
  };
  ASSERT_TRUE(StartWith(SettingsFile()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    WriteTextFile(folder.File("vorlane.ini"),
                  SettingsFile().Item(1, 1, c.location, "Failing").Text());
    ASSERT_TRUE(OpenByHover());
    ChooseByKeys(Pid(), 3);
    EXPECT_EQ(ReadAndCloseBox("Vorlane Error"), firstLine + c.reason);
    ASSERT_TRUE(launcher.Process().IsRunning());
  }
  ASSERT_TRUE(OpenByHover());
  PressMenuKey(Pid(), VK_ESCAPE);
  EXPECT_TRUE(WaitForMenuClosed(Pid()));
}

TEST_F(LaunchFailure, RunEntryWithoutTheShellsDialogSaysSo) {
  // Wine's IShellDispatch::FileRun is not implemented; Windows shows the
  // Run dialog instead.
  ASSERT_TRUE(StartWith(SettingsFile().Set("ShowFastStart", "1")));
  ASSERT_TRUE(OpenByHover());
  ChooseByKeys(Pid(), 4);  // banner, "Vorlane", "Empty menu", "Run"
  EXPECT_EQ(ReadAndCloseBox("Error"), "Failed to launch the run dialog");
  EXPECT_TRUE(Answers());
}

// ---------------------------------------------------------------------------
// Entries that start nothing.

class InertEntry : public MenuUse {};

TEST_F(InertEntry, EmptyMenuEntryStartsNothing) {
  // Item 1 is left over from before the menu was emptied.
  ASSERT_TRUE(
      StartWith(SettingsFile().Item(1, 1, probe, "Stale").Set("Count1", "0")));
  ASSERT_TRUE(OpenByHover());
  ChooseByKeys(Pid(), 3);  // banner, "Vorlane", "Empty menu"
  EXPECT_TRUE(WaitForMenuClosed(Pid()));
  EXPECT_TRUE(SettledStarts().empty()) << Describe(Starts());
  EXPECT_TRUE(Answers());
}

TEST_F(InertEntry, BannerStartsNothing) {
  ASSERT_TRUE(StartWith(SettingsFile().Item(1, 1, probe, "Probe")));
  ASSERT_TRUE(OpenByHover());
  ChooseByKeys(Pid(), 1);
  EXPECT_TRUE(WaitForMenuClosed(Pid()));
  EXPECT_TRUE(SettledStarts().empty()) << Describe(Starts());
}

// ---------------------------------------------------------------------------
// The "Email" submenu: a new message, or one to a contact.

class Mail : public MenuUse {};

TEST_F(Mail, BlankEmailAndAContactOpenTheirMailtoAddresses) {
  const ProtocolProgram mail("mailto", probe);
  ASSERT_TRUE(mail.Ready());
  ASSERT_TRUE(StartWith(SettingsFile()
                            .Set("ShowEmailItem", "1")
                            .Contact(1, "Ann", "ann@example.org")
                            .Contact(2, "Bob", "bob@example.org")));
  // Main popup: banner, "Vorlane", separator, "Email"; in it "Blank Email",
  // a separator, then the contacts.
  ASSERT_TRUE(OpenByHover());
  ChooseInSubmenu(3, 0);
  ASSERT_TRUE(WaitForStarts(1)) << Describe(Starts());
  ASSERT_TRUE(WaitForMenuClosed(Pid()));
  ASSERT_TRUE(OpenByHover());
  ChooseInSubmenu(3, 2);
  ASSERT_TRUE(WaitForStarts(2)) << Describe(Starts());
  const std::vector<ProbeStart> starts = SettledStarts();
  ASSERT_EQ(starts.size(), 2u) << Describe(starts);
  EXPECT_EQ(starts[0].arguments, "mailto:");
  EXPECT_EQ(starts[1].arguments, "mailto:bob@example.org");
}

// ---------------------------------------------------------------------------
// The system submenu: the configurator beside the settings file, help, exit.

class SystemCommand : public MenuUse {
 protected:
  void StartWithConfigurator() {
    CopyProbe(folder.File("config.exe"));
    ASSERT_TRUE(StartWith(SettingsFile()));
    ASSERT_TRUE(OpenByHover());
  }
  std::string Ini() const { return folder.File("vorlane.ini"); }
};

TEST_F(SystemCommand, ConfigStartsTheConfiguratorInModeOne) {
  ASSERT_NO_FATAL_FAILURE(StartWithConfigurator());
  ChooseSystemEntry(kConfig);
  ASSERT_TRUE(WaitForStarts(1));
  const ProbeStart start = Starts()[0];
  EXPECT_EQ(start.program, "config.exe");
  EXPECT_EQ(start.arguments, "1 " + Ini());
  EXPECT_EQ(start.show, SW_SHOWNORMAL);
}

TEST_F(SystemCommand, OptionsStartsTheConfiguratorInModeTwo) {
  ASSERT_NO_FATAL_FAILURE(StartWithConfigurator());
  ChooseSystemEntry(kOptions);
  ASSERT_TRUE(WaitForStarts(1));
  EXPECT_EQ(Starts()[0].arguments, "2 " + Ini());
}

TEST_F(SystemCommand, AboutStartsTheConfiguratorInModeFour) {
  ASSERT_NO_FATAL_FAILURE(StartWithConfigurator());
  ChooseSystemEntry(kAbout);
  ASSERT_TRUE(WaitForStarts(1));
  EXPECT_EQ(Starts()[0].arguments, "4 " + Ini());
}

TEST_F(SystemCommand, ConfiguratorIsLookedForBesideTheSettingsFileInUse) {
  TempFolder settingsFolder;
  const std::string ini = settingsFolder.File("my.ini");
  WriteTextFile(ini, SettingsFile().Text());
  CopyProbe(settingsFolder.File("config.exe"));
  CopyProbe(folder.File("config.exe"));  // beside the launcher: not this one
  ASSERT_TRUE(launcher.Start(folder, ini));
  ASSERT_TRUE(OpenByHover());
  ChooseSystemEntry(kOptions);
  ASSERT_TRUE(WaitForStarts(1, &settingsFolder));
  EXPECT_EQ(Starts(&settingsFolder)[0].arguments, "2 " + ini);
  EXPECT_TRUE(Starts().empty()) << Describe(Starts());
}

// A settings file elsewhere (Vorlane.exe D:\cfg\my.ini): the configurator
// and the guide that are not beside it are found beside the launcher.
TEST_F(SystemCommand, ConfiguratorAndGuideBesideTheLauncherServeASettingsFileElsewhere) {
  const FileTypeProgram html(".html", probe);
  ASSERT_TRUE(html.Ready());
  TempFolder settingsFolder;
  const std::string ini = settingsFolder.File("my.ini");
  WriteTextFile(ini, SettingsFile().Text());
  CopyProbe(folder.File("config.exe"));
  CopyProbe(probe);
  WriteTextFile(folder.File("Vorlane.html"), "<p>guide</p>");
  ASSERT_TRUE(launcher.Start(folder, ini));
  ASSERT_TRUE(OpenByHover());
  ChooseSystemEntry(kOptions);
  ASSERT_TRUE(WaitForStarts(1)) << "config.exe beside the launcher was not started";
  ASSERT_TRUE(OpenByHover());
  ChooseSystemEntry(kHelp);
  ASSERT_TRUE(WaitForStarts(2)) << Describe(Starts());
  const std::vector<ProbeStart> starts = SettledStarts();
  ASSERT_EQ(starts.size(), 2u) << Describe(starts);
  EXPECT_EQ(starts[0].program, "config.exe");
  EXPECT_EQ(starts[0].arguments, "2 " + ini);
  EXPECT_EQ(starts[1].arguments, folder.File("Vorlane.html"));
}

// The guide is there, but no program opens it: that is said, with where it
// lies, and not that it is missing.
TEST_F(SystemCommand, AGuideThatNoProgramOpensIsSaidWithItsPlace) {
  const FileTypeProgram html(".html", folder.File("absent\\browser.exe"));
  ASSERT_TRUE(html.Ready());
  WriteTextFile(folder.File("Vorlane.html"), "<p>guide</p>");
  ASSERT_TRUE(StartWith(SettingsFile()));
  ASSERT_TRUE(OpenByHover());
  ChooseSystemEntry(kHelp);
  const std::string text = ReadAndCloseBox("Error");
  EXPECT_NE(text.find("could not be opened"), std::string::npos) << text;
  EXPECT_NE(text.find(folder.File("Vorlane.html")), std::string::npos) << text;
}

TEST_F(SystemCommand, MissingConfiguratorIsReported) {
  ASSERT_TRUE(StartWith(SettingsFile()));
  ASSERT_TRUE(OpenByHover());
  ChooseSystemEntry(kConfig);
  EXPECT_EQ(ReadAndCloseBox("Error"), "Error - config.exe not found");
  EXPECT_TRUE(Answers());
}

// The old help file while there is one, else the guide; each through the
// program registered for its type.
TEST_F(SystemCommand, HelpOpensTheHelpFileElseTheGuideBesideTheSettingsFile) {
  const FileTypeProgram hlp(".hlp", probe);
  const FileTypeProgram html(".html", probe);
  ASSERT_TRUE(hlp.Ready() && html.Ready());
  TempFolder settingsFolder;
  const std::string ini = settingsFolder.File("my.ini");
  WriteTextFile(ini, SettingsFile().Text());
  WriteTextFile(settingsFolder.File("Vorlane.hlp"), "old help");
  WriteTextFile(settingsFolder.File("Vorlane.html"), "<p>guide</p>");
  WriteTextFile(folder.File("Vorlane.html"), "beside the launcher: not this one");
  CopyProbe(probe);
  ASSERT_TRUE(launcher.Start(folder, ini));
  ASSERT_TRUE(OpenByHover());
  ChooseSystemEntry(kHelp);
  ASSERT_TRUE(WaitForStarts(1)) << Describe(Starts());
  ASSERT_TRUE(DeleteFileA(settingsFolder.File("Vorlane.hlp").c_str()));
  ASSERT_TRUE(OpenByHover());
  ChooseSystemEntry(kHelp);
  ASSERT_TRUE(WaitForStarts(2)) << Describe(Starts());
  const std::vector<ProbeStart> starts = SettledStarts();
  ASSERT_EQ(starts.size(), 2u) << Describe(starts);
  EXPECT_EQ(starts[0].arguments, settingsFolder.File("Vorlane.hlp"));
  EXPECT_EQ(starts[1].arguments, settingsFolder.File("Vorlane.html"));
}

TEST_F(SystemCommand, MissingHelpFileIsReported) {
  // A guide could be opened, but there is none beside the settings file.
  const FileTypeProgram html(".html", probe);
  ASSERT_TRUE(html.Ready());
  ASSERT_TRUE(StartWith(SettingsFile()));
  ASSERT_TRUE(OpenByHover());
  ChooseSystemEntry(kHelp);
  EXPECT_EQ(ReadAndCloseBox("Error"), "Error - Helpfile not found");
  EXPECT_TRUE(SettledStarts().empty()) << Describe(Starts());
}

TEST_F(SystemCommand, ExitEndsTheLauncherWithCodeZero) {
  ASSERT_TRUE(StartWith(SettingsFile()));
  ASSERT_TRUE(OpenByHover());
  ChooseSystemEntry(kExit);
  EXPECT_EQ(launcher.Process().WaitForExit(), 0u);
}

// ---------------------------------------------------------------------------
// What opens the menu, and that only one is open at a time.

class MenuOpening : public MenuUse {
 protected:
  bool MenuOpens() { return WaitForPopupMenu(Pid()) != nullptr; }
  int PopupCount() {
    int count = 0;
    FindPopupMenu(Pid(), &count);
    return count;
  }
  bool MenuStaysClosed() {
    EXPECT_TRUE(HandledWhatWasPosted());
    return FindPopupMenu(Pid()) == nullptr;
  }
  void Dismiss() {
    PressMenuKey(Pid(), VK_ESCAPE);
    if (FindPopupMenu(Pid()) != nullptr) PressMenuKey(Pid(), VK_ESCAPE);
    ASSERT_TRUE(WaitForMenuClosed(Pid()));
  }
};

struct TrayMessage {
  UINT message;
  const char* name;
};

constexpr TrayMessage kTrayMessages[] = {
    {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
    {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
    {WM_LBUTTONUP, "WM_LBUTTONUP"},
    {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
    {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
    {WM_RBUTTONUP, "WM_RBUTTONUP"},
    {WM_RBUTTONDBLCLK, "WM_RBUTTONDBLCLK"},
    {WM_MBUTTONDOWN, "WM_MBUTTONDOWN"},
    {WM_MBUTTONUP, "WM_MBUTTONUP"},
    {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
};

std::string MessageName(UINT message) {
  for (const TrayMessage& tray : kTrayMessages) {
    if (tray.message == message) return tray.name;
  }
  return std::to_string(message);
}

TEST_F(MenuOpening, EachOpenMenuValueOpensOnItsOwnMouseMessagesOnly) {
  struct Case {
    int openMenu;
    std::vector<UINT> opening;
  };
  const Case cases[] = {
      {0, {WM_MOUSEMOVE}},
      {1, {WM_MOUSEMOVE}},
      {2, {WM_LBUTTONUP}},
      {3, {WM_RBUTTONUP}},
      {4, {WM_RBUTTONUP, WM_LBUTTONUP}},
      {7, {}},
  };
  ASSERT_TRUE(StartWith(SettingsFile()));
  for (const Case& c : cases) {
    SCOPED_TRACE("OpenMenu=" + std::to_string(c.openMenu));
    // The launcher reads the file afresh for every tray message.
    ASSERT_TRUE(WritePrivateProfileStringA("Settings", "OpenMenu",
                                           std::to_string(c.openMenu).c_str(),
                                           folder.File("vorlane.ini").c_str()));
    std::string ignored;
    for (const TrayMessage& tray : kTrayMessages) {
      bool opens = false;
      for (UINT message : c.opening) opens = opens || message == tray.message;
      if (opens) continue;
      PostTrayMouse(launcher.Window(), tray.message);
      ignored += MessageName(tray.message) + " ";
    }
    EXPECT_TRUE(MenuStaysClosed()) << "a menu opened on one of: " << ignored;
    ASSERT_NO_FATAL_FAILURE(Dismiss());
    for (UINT message : c.opening) {
      PostTrayMouse(launcher.Window(), message);
      EXPECT_TRUE(MenuOpens()) << "no menu on " << MessageName(message);
      ASSERT_NO_FATAL_FAILURE(Dismiss());
    }
  }
}

// Enter or Space on the icon chosen with the keyboard (Win+B, then the
// arrow keys) opens the menu whatever OpenMenu says, and once; a click's
// own NIN_SELECT opens nothing that OpenMenu does not.
TEST_F(MenuOpening, TheKeyboardOpensTheMenuOnceAndAClickOnlyAsOpenMenuSays) {
  ASSERT_TRUE(StartWith(SettingsFile().Set("OpenMenu", "3")));
  const UINT click[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT};
  for (UINT message : click) PostTrayMouse(launcher.Window(), message);
  EXPECT_TRUE(MenuStaysClosed()) << "a left click opened it";
  // Enter: NIN_KEYSELECT, then NIN_SELECT.
  PostTrayMouse(launcher.Window(), NIN_KEYSELECT);
  PostTrayMouse(launcher.Window(), NIN_SELECT);
  EXPECT_TRUE(MenuOpens()) << "no menu on NIN_KEYSELECT";
  ASSERT_NO_FATAL_FAILURE(Dismiss());
  EXPECT_TRUE(MenuStaysClosed()) << "Enter opened it a second time";
  // Space: NIN_KEYSELECT alone, each time.
  PostTrayMouse(launcher.Window(), NIN_KEYSELECT);
  EXPECT_TRUE(MenuOpens()) << "no menu on the second NIN_KEYSELECT";
  ASSERT_NO_FATAL_FAILURE(Dismiss());
}

TEST_F(MenuOpening, ShowMenuMessageOpensItWhateverOpenMenuSays) {
  ASSERT_TRUE(StartWith(SettingsFile().Set("OpenMenu", "7")));
  PostMessageA(launcher.Window(), launcher::WM_SHOWMENU, 0, 0);
  EXPECT_TRUE(MenuOpens());
  Dismiss();
}

TEST_F(MenuOpening, OpenMenuIsNotOpenedASecondTime) {
  ASSERT_TRUE(StartWith(SettingsFile()));
  ASSERT_TRUE(OpenByHover());
  PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  PostMessageA(launcher.Window(), launcher::WM_SHOWMENU, 0, 0);
  EXPECT_TRUE(HandledWhatWasPosted());
  EXPECT_EQ(PopupCount(), 1);
  ASSERT_NO_FATAL_FAILURE(Dismiss());
  // Dropped, not kept for later.
  EXPECT_TRUE(MenuStaysClosed());
}

TEST_F(MenuOpening, EscapeStartsNothingAndTheLauncherGoesOn) {
  ASSERT_TRUE(StartWith(SettingsFile()
                            .Set("MenuCount", "2")
                            .Set("MenuOrder", "1*2*")
                            .Item(1, 1, probe, "Probe")
                            .Item(2, 1, probe, "Probe")));
  ASSERT_TRUE(OpenByHover());
  PressMenuKey(Pid(), VK_DOWN);
  PressMenuKey(Pid(), VK_ESCAPE);
  EXPECT_TRUE(WaitForMenuClosed(Pid()));

  ASSERT_TRUE(OpenByHover());
  for (int i = 0; i < 3; ++i) PressMenuKey(Pid(), VK_DOWN);
  PressMenuKey(Pid(), VK_RIGHT);
  ASSERT_TRUE(WaitUntil([&] { return PopupCount() == 2; }))
      << "submenu did not open; popups: " << PopupCount();
  PressMenuKey(Pid(), VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return PopupCount() == 1; }))
      << "the first escape closes only the submenu; popups: " << PopupCount();
  PressMenuKey(Pid(), VK_ESCAPE);
  EXPECT_TRUE(WaitForMenuClosed(Pid()));

  EXPECT_TRUE(SettledStarts().empty()) << Describe(Starts());
  EXPECT_TRUE(Answers());
  EXPECT_TRUE(OpenByHover());
  Dismiss();
}

TEST_F(MenuOpening, CloseWhileTheMenuIsOpenEndsTheLauncher) {
  ASSERT_TRUE(StartWith(SettingsFile().Item(1, 1, probe, "Probe")));
  ASSERT_TRUE(OpenByHover());
  EXPECT_EQ(launcher.Close(), 0u);
  EXPECT_TRUE(Starts().empty()) << Describe(Starts());
}

// A real click on the launcher's cell in the virtual desktop's taskbar,
// through the shell rather than a posted callback.
TEST_F(MenuOpening, LeftClickOnTheTrayIconOpensTheMenu) {
  ASSERT_TRUE(StartWith(SettingsFile().Set("OpenMenu", "2")));
  const HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
  ASSERT_NE(tray, nullptr) << "no taskbar: not a virtual desktop";
  RECT bounds{};
  ASSERT_TRUE(GetWindowRect(tray, &bounds));
  constexpr int kCellWidth = 20;
  ASSERT_TRUE(SetCursorPos(bounds.right - kCellWidth / 2,
                           (bounds.top + bounds.bottom) / 2));
  // Hovering alone does not open it with OpenMenu=2.
  EXPECT_TRUE(MenuStaysClosed());

  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(2, click, sizeof(INPUT)), 2u);
  EXPECT_TRUE(MenuOpens());
  Dismiss();
}

// Letters typed in the open menu, as standard menus answer them.
class MenuLetters : public MenuUse {
 protected:
  void Type(char letter) {
    if (HWND popup = FindPopupMenu(Pid())) {
      PostMessageA(popup, WM_CHAR, static_cast<unsigned char>(letter), 0);
    }
  }
};

// Descriptions stand as stored: "&" marks no letter, so "Tom & Jerry"
// answers to T; beyond ASCII, case is the code page's.
TEST_F(MenuLetters, OnlyEntryWithTheLetterStartsAndSharedLettersMoveOn) {
  const std::string kilo = CopyProbe(folder.File("kilo.exe"));
  const std::string kayak = CopyProbe(folder.File("kayak.exe"));
  const std::string tom = CopyProbe(folder.File("tom.exe"));
  const std::string apfel = CopyProbe(folder.File("apfel.exe"));
  ASSERT_TRUE(StartWith(SettingsFile()
                            .Item(1, 1, kilo, "Kilo")
                            .Item(1, 2, kayak, "Kayak")
                            .Item(1, 3, tom, "Tom & Jerry")
                            .Item(1, 4, apfel, "\xC4pfel")));
  ASSERT_TRUE(OpenByHover());
  Type('t');
  ASSERT_TRUE(WaitForStarts(1)) << Describe(Starts());
  ASSERT_TRUE(WaitForMenuClosed(Pid()));
  ASSERT_TRUE(OpenByHover());
  Type('\xE4');
  ASSERT_TRUE(WaitForStarts(2)) << Describe(Starts());
  ASSERT_TRUE(WaitForMenuClosed(Pid()));
  // Two entries share K: each press selects the next, and none starts.
  ASSERT_TRUE(OpenByHover());
  Type('k');
  Type('K');
  EXPECT_TRUE(HandledWhatWasPosted());
  EXPECT_NE(FindPopupMenu(Pid()), nullptr) << "a shared letter closed the menu";
  PressMenuKey(Pid(), VK_RETURN);
  ASSERT_TRUE(WaitForStarts(3)) << Describe(Starts());
  const std::vector<ProbeStart> starts = SettledStarts();
  ASSERT_EQ(starts.size(), 3u) << Describe(starts);
  EXPECT_EQ(starts[0].program, "tom.exe");
  EXPECT_EQ(starts[1].program, "apfel.exe");
  EXPECT_EQ(starts[2].program, "kayak.exe");
}

// An item whose folder shows as a submenu, browsed by letters: Q opens
// "Quick", Z starts the only entry there with that letter (a hidden file
// with it is left out), in its own folder; Q N K goes a folder deeper; Q X
// starts what a shortcut there points to, and Q J a program whose name the
// ANSI code page cannot hold.
TEST_F(MenuLetters, AFoldersSubmenuIsBrowsedByLettersAndStartsInItsFolder) {
  const std::string quick = folder.File("Quick");
  const std::string nested = quick + "\\Nested";
  const std::string targets = folder.File("Targets");
  ASSERT_TRUE(CreateDirectoryA(quick.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(nested.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(targets.c_str(), nullptr));
  CopyProbe(quick + "\\zulu.exe");
  CopyProbe(quick + "\\yankee.exe");
  CopyProbe(nested + "\\kilo.exe");
  const std::string hidden = CopyProbe(quick + "\\zebra.exe");
  ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(MakeShortcut(quick + "\\xray.lnk", CopyProbe(targets + "\\xray.exe")));
  const std::wstring juliet = L"j\u03c9.exe";
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, 0, juliet.c_str(), -1, nullptr, 0, nullptr, &lossy);
  ASSERT_TRUE(lossy) << "the ANSI code page holds the name";
  ASSERT_TRUE(CopyFileW(Widen(BinDirectory() + "\\probe.exe").c_str(),
                        (Widen(quick) + L"\\" + juliet).c_str(), FALSE));
  ASSERT_TRUE(StartWith(SettingsFile().Item(1, 1, quick, "Quick", {{"Expand", "1"}})));
  const auto popupsOpen = [&](int wanted) {
    return WaitUntil([&] {
      int count = 0;
      FindPopupMenu(Pid(), &count);
      return count == wanted;
    });
  };

  ASSERT_TRUE(OpenByHover());
  Type('q');
  ASSERT_TRUE(popupsOpen(2)) << "Q did not open the folder's submenu";
  Type('z');
  ASSERT_TRUE(WaitUntil([&] { return !ReadProbeLog(quick).empty(); }))
      << "Z started nothing";
  ASSERT_TRUE(WaitForMenuClosed(Pid()));
  const std::vector<ProbeStart> started = ReadProbeLog(quick);
  EXPECT_EQ(started[0].program, "zulu.exe");
  EXPECT_EQ(started[0].directory, quick);

  ASSERT_TRUE(OpenByHover());
  Type('q');
  ASSERT_TRUE(popupsOpen(2));
  Type('n');
  ASSERT_TRUE(popupsOpen(3)) << "N did not open the nested folder";
  Type('k');
  ASSERT_TRUE(WaitUntil([&] { return !ReadProbeLog(nested).empty(); }))
      << "K started nothing";
  EXPECT_EQ(ReadProbeLog(nested)[0].program, "kilo.exe");
  ASSERT_TRUE(WaitForMenuClosed(Pid()));

  ASSERT_TRUE(OpenByHover());
  Type('q');
  ASSERT_TRUE(popupsOpen(2));
  Type('x');
  ASSERT_TRUE(WaitUntil([&] { return !ReadProbeLog(targets).empty(); }))
      << "X did not start the shortcut's program";
  ASSERT_TRUE(WaitForMenuClosed(Pid()));

  ASSERT_TRUE(OpenByHover());
  Type('q');
  ASSERT_TRUE(popupsOpen(2));
  Type('j');
  ASSERT_TRUE(WaitUntil([&] { return ReadProbeLog(quick).size() == 2; }))
      << "J started nothing";
  EXPECT_EQ(ReadProbeLog(quick)[1].program.substr(0, 1), "j");
}

// The hotkey chord, typed as a person would.
void PressCtrlAltV() {
  const WORD keys[] = {VK_CONTROL, VK_MENU, 'V'};
  std::vector<INPUT> input;
  for (WORD key : keys) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = key;
    input.push_back(down);
  }
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
    INPUT up{};
    up.type = INPUT_KEYBOARD;
    up.ki.wVk = *key;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    input.push_back(up);
  }
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

// Whether another program holds Ctrl+Alt+V: this one cannot have it then.
// Whether another program holds the chord: this process cannot take it.
bool Held(UINT modifiers, UINT key) {
  if (!RegisterHotKey(nullptr, 1, modifiers, key)) return true;
  UnregisterHotKey(nullptr, 1);
  return false;
}
bool CtrlAltVHeld() { return Held(MOD_CONTROL | MOD_ALT, 'V'); }

class MenuHotkey : public MenuOpening {
 protected:
  // As the options dialog does after it changed the settings: the launcher
  // has handled it when the message returns.
  ::testing::AssertionResult ReloadWithHotkey(const char* value) {
    if (!WritePrivateProfileStringA("Settings", "Hotkey", value,
                                    folder.File("vorlane.ini").c_str())) {
      return ::testing::AssertionFailure() << "the file was not written";
    }
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutA(launcher.Window(), launcher::WM_RELOADICON, 0, 0, SMTO_NORMAL,
                            10000, &ignored) == 0) {
      return ::testing::AssertionFailure() << "the launcher did not answer";
    }
    return ::testing::AssertionSuccess();
  }
};

// The launcher lets a chord go as soon as the settings no longer name it,
// not only when it ends (the system frees an ended program's hotkeys).
TEST_F(MenuHotkey, ChordOpensTheMenuAndIsLetGoWhenTheSettingsChange) {
  ASSERT_TRUE(StartWith(SettingsFile().Set("Hotkey", "ctrl + alt + v")));
  EXPECT_TRUE(Eventually(CtrlAltVHeld, "the launcher holds Ctrl+Alt+V"));
  PressCtrlAltV();
  EXPECT_TRUE(MenuOpens()) << "no menu on Ctrl+Alt+V";
  ASSERT_NO_FATAL_FAILURE(Dismiss());

  ASSERT_TRUE(ReloadWithHotkey("Ctrl+Shift+F12"));
  EXPECT_FALSE(CtrlAltVHeld()) << "the old chord is still held";
  EXPECT_TRUE(Held(MOD_CONTROL | MOD_SHIFT, VK_F12)) << "the new chord is not held";

  ASSERT_TRUE(ReloadWithHotkey(nullptr));
  EXPECT_FALSE(Held(MOD_CONTROL | MOD_SHIFT, VK_F12)) << "held after the key was removed";
  EXPECT_TRUE(launcher.Process().IsRunning());
}

TEST_F(MenuHotkey, NoHotkeyKeyMeansNoHotkey) {
  ASSERT_TRUE(StartWith(SettingsFile()));
  ASSERT_TRUE(HandledWhatWasPosted());
  EXPECT_FALSE(CtrlAltVHeld());
  EXPECT_FALSE(MessageBoxExists(Pid(), "Vorlane"));
}

class HotkeyProblem : public MenuHotkey {
 protected:
  // Said once at the start; the tray icon opens the menu as before.
  void ExpectSaidOnce(const char* value, const std::string& said) {
    ASSERT_TRUE(StartWith(SettingsFile().Set("Hotkey", value)));
    const std::string text = ReadAndCloseBox("Vorlane");
    EXPECT_NE(text.find(said), std::string::npos) << text;
    EXPECT_TRUE(HandledWhatWasPosted());
    EXPECT_FALSE(MessageBoxExists(Pid(), "Vorlane")) << "said twice";
    ASSERT_TRUE(OpenByHover());
    ASSERT_NO_FATAL_FAILURE(Dismiss());
  }
};

TEST_F(HotkeyProblem, HeldByAnotherProgram) {
  // This process plays the other program.
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'V'));
  OnScopeExit release([] { UnregisterHotKey(nullptr, 1); });
  ExpectSaidOnce("Ctrl+Alt+V", "Ctrl+Alt+V is held by another program");
}

TEST_F(HotkeyProblem, ValueThatIsNoHotkey) {
  ExpectSaidOnce("Ctrl+Hyper+V", "\"Ctrl+Hyper+V\" cannot be used");
}

}  // namespace
}  // namespace vorlane::test
