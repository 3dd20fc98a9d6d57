// The 32-bit release programs, run once each where the host runs 32-bit
// programs only through an emulator, driven from this 64-bit program: the
// launcher starts, writes its default file and paints its menu; the
// configurator opens on a file and adds a menu; the extension registers
// with the 32-bit regsvr32 and, created by its class id in a 32-bit host,
// adds its item. Every emulated start takes about a minute, so this checks
// what works, never how fast. scripts/i686-smoke.sh runs it with
//   VORLANE_I686_SET   the folder of the packaged 32-bit programs
//   VORLANE_I686_HOST  the 32-bit vorlane_shellix_host.exe
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "config_driver.h"
#include "config_ids.h"
#include "menu_driver.h"
#include "menu_screen.h"
#include "settings/ini_document.h"
#include "settings/settings_model.h"
#include "shellext/registration.h"
#include "test_support.h"
#include "win32/handles.h"

namespace vorlane::test {
namespace {

using namespace std::chrono_literals;
using settings::IniDocument;

// An emulated program's start, and any later step of it, on a loaded host.
constexpr auto kStart = 5min;
constexpr auto kStep = 2min;

// The add dialog's list of menus (its resource names it as the
// configurator's headers name another control).
constexpr int kAddDialogMenuList = 1000;

std::string Given(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string Program(const char* file) { return Given("VORLANE_I686_SET") + "\\" + file; }

// The process's visible dialog with the caption, or null.
HWND ShownDialog(DWORD processId, const char* caption) {
  HWND window = FindWindowA("#32770", caption);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  return owner == processId && IsWindowVisible(window) ? window : nullptr;
}

// A 32-bit process of this 64-bit system, as the set under test must give.
bool Is32Bit(HANDLE process) {
  BOOL wow64 = FALSE;
  return IsWow64Process(process, &wow64) && wow64;
}

std::string Key(const std::string& ini, const char* section, const char* key) {
  char value[300] = {};
  GetPrivateProfileStringA(section, key, "", value, sizeof(value), ini.c_str());
  return value;
}

class I686Smoke : public EndToEndTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(Program("Vorlane.exe")))
        << "VORLANE_I686_SET names no folder of the 32-bit programs";
    EndToEndTest::SetUp();
  }
};

TEST_F(I686Smoke, LauncherWritesItsDefaultsAndPaintsItsMenu) {
  TempFolder folder;
  Launcher launcher(Program("Vorlane.exe"), kStart);
  ASSERT_TRUE(launcher.Start(folder));
  EXPECT_TRUE(Is32Bit(launcher.Process().Handle()));
  IniDocument expected;
  settings::WriteDefaultFile(expected, WindowsDirectory(), false);
  const std::string written = ReadTextFile(folder.File("vorlane.ini"));
  EXPECT_EQ(IniDocument::Parse(written).Text(), expected.Text()) << written;

  const DWORD pid = launcher.Process().Id();
  PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  const HWND popup = WaitForPopupMenu(pid, kStep);
  ASSERT_NE(popup, nullptr) << "no menu";
  EXPECT_TRUE(Eventually([&] { return MainPopupPainted(popup, LauncherLook()); },
                         "the menu painted", kStep));
  PressMenuKey(pid, VK_ESCAPE);
  EXPECT_TRUE(WaitForMenuClosed(pid, kStep));
  EXPECT_EQ(launcher.Close(), 0u);
}

TEST_F(I686Smoke, ConfiguratorAddsAMenu) {
  TempFolder folder;
  const std::string ini = folder.File("vorlane.ini");
  WriteTextFile(ini, SettingsFile().Set("MenuName1", "Standard").Text());
  ChildProcess config;
  const std::string program = Program("config.exe");
  ASSERT_TRUE(config.Start(program, "\"" + program + "\" 1 \"" + ini + "\""));
  HWND window = nullptr;
  WaitUntil([&] {
    window = ShownDialog(config.Id(), kMenusCaption);
    return window != nullptr || !config.IsRunning();
  }, kStart);
  ASSERT_NE(window, nullptr) << "no window; exit code " << config.WaitForExit(0ms);
  EXPECT_TRUE(Is32Bit(config.Handle()));
  ASSERT_TRUE(Answers(window, kStep));
  ClickAt(Centre(GetDlgItem(window, IDC_ADD_MENU)));
  EXPECT_TRUE(Becomes([&] { return Key(ini, "Settings", "MenuCount"); }, "2", kStep));
  EXPECT_EQ(Key(ini, "Settings", "MenuName2"), "Menu2");
  EXPECT_EQ(Key(ini, "Settings", "MenuOrder"), "1*2*");
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(config.WaitForExit(kStep), 0u);
}

// What the 32-bit regsvr32 wrote: the server of the class in the 32-bit
// view, where 32-bit Explorer and hosts look.
std::string RegisteredServer() {
  const std::string key = std::string("CLSID\\") + shellext::kClassIdText + "\\InprocServer32";
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY,
                    &opened) != ERROR_SUCCESS) {
    return "";
  }
  win32::UniqueKey server(opened);
  char value[MAX_PATH] = {};
  DWORD size = sizeof(value) - 1;
  DWORD type = 0;
  if (RegQueryValueExA(server.get(), nullptr, nullptr, &type,
                       reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return "";
  }
  return value;
}

TEST_F(I686Smoke, ExtensionRegistersAndAddsItsItemInA32BitHost) {
  TempFolder folder;
  OnScopeExit unregister([] { RemoveExtensionRegistration(); });
  const std::string dll = folder.File("Shellix.dll");
  ASSERT_TRUE(CopyFileA(Program("Shellix.dll").c_str(), dll.c_str(), FALSE));
  const std::string ini = folder.File("vorlane.ini");
  WriteTextFile(ini, SettingsFile().Set("MenuName1", "Work").Text());
  const std::string file = folder.File("notes.txt");
  WriteTextFile(file, "x");

  ChildProcess regsvr32;
  const std::string tool = WindowsDirectory() + "\\syswow64\\regsvr32.exe";
  ASSERT_TRUE(regsvr32.Start(tool, "regsvr32.exe /s \"" + dll + "\""));
  ASSERT_EQ(regsvr32.WaitForExit(kStart), 0u);
  EXPECT_STRCASEEQ(RegisteredServer().c_str(), dll.c_str());

  ChildProcess host;
  const std::string hostProgram = Given("VORLANE_I686_HOST");
  ASSERT_TRUE(host.Start(hostProgram, "\"" + hostProgram + "\" \"" + file + "\""));
  HWND dialog = nullptr;
  WaitUntil([&] {
    dialog = ShownDialog(host.Id(), "Add to Vorlane");
    return dialog != nullptr || !host.IsRunning();
  }, kStart);
  ASSERT_NE(dialog, nullptr) << "no add dialog; the host's exit code "
                             << host.WaitForExit(0ms) << " names its failed step";
  ASSERT_TRUE(Answers(dialog, kStep));
  SendMessageA(GetDlgItem(dialog, kAddDialogMenuList), LB_SETCURSEL, 0, 0);
  ClickAt(Centre(GetDlgItem(dialog, IDOK)));
  EXPECT_EQ(host.WaitForExit(kStep), 0u) << "the host's exit code names its failed step";
  EXPECT_EQ(Key(ini, "Settings", "Count1"), "1");
  EXPECT_EQ(Key(ini, "Program Locations1", "Program1"), file);
  EXPECT_EQ(Key(ini, "Program Locations1", "Des1"), "notes");
}

}  // namespace
}  // namespace vorlane::test
