// What the tests under Wine share: temporary folders, files, the launcher
// started as its own process, and looks at the tray from outside.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <cstdint>
#include <vector>

#include "win32/handles.h"

namespace vorlane::test {

// The folder holding the test program, and so the programs under test.
std::string BinDirectory();
std::string WindowsDirectory();

std::string ReadTextFile(const std::string& path);
void WriteTextFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// The program's manifest as its resources hold it, or why there is none.
std::string ManifestOf(const std::string& program);

// The path's short (8.3) form; empty when it has none.
std::string ShortPathOf(const std::string& path);
// Removes the folder with everything in it, read-only files and names
// outside the code page too; true when it is gone (or never was).
bool RemoveTree(const std::string& path);
bool RemoveTree(const std::wstring& path);

// Writes a .ico file holding one 32 by 32 image of one colour.
void WriteSolidIcon(const std::string& path, COLORREF colour);
// Writes a program (a copy of the probe) holding one solid icon per colour,
// icon number i in colours[i].
bool WriteIconLibrary(const std::string& path,
                      const std::vector<COLORREF>& colours);

// A settings file as the tests need it: a single standard menu opened by
// hovering unless a test sets otherwise, the items of each program menu,
// and contacts. Count<n> and ContactCount follow the highest number given
// unless they are set.
class SettingsFile {
 public:
  using Keys = std::map<std::string, std::string>;

  SettingsFile();
  SettingsFile& Set(const std::string& key, const std::string& value);
  // `more` holds further keys of the item without their number (Par, OM).
  SettingsFile& Item(int menu, int number, const std::string& program,
                     const std::string& description, const Keys& more = {});
  SettingsFile& Contact(int number, const std::string& name,
                        const std::string& address);
  std::string Text() const;

 private:
  Keys settings_;
  std::map<int, std::string> sections_;
  std::map<int, int> counts_;
  std::string contacts_;
  int contactCount_ = 0;
};

// Keeps the real cursor off the tray: the shell reports a cursor resting on
// the icon as hovering, which opens a menu with the default OpenMenu, and a
// popup opens where the cursor is, whatever the test before left.
void ParkCursor();

class TempFolder;

// A settings file in `folder` whose second menu, "Programs", holds `count`
// entries naming as many copies of the probe program, so that every entry
// costs the shell its own icon; the standard menu is empty.
bool WriteProgramsMenu(const TempFolder& folder, int count);

// Moves the real pointer there as a hand would, so that the window under it
// sees it arrive. `wait` passes the time between the steps (a test with
// windows of its own runs their messages meanwhile).
void MoveMouseTo(POINT at, const std::function<void(std::chrono::milliseconds)>&
                               wait = nullptr);

// How long a test waits for the effect of one step: generous for a loaded
// host, short enough that a step that fails ends the test at once.
constexpr std::chrono::milliseconds kEffectTimeout = std::chrono::seconds(10);

// Polls until the condition holds or the time is up; true if it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = kEffectTimeout);

// The same as an assertion: the failure names what did not happen.
::testing::AssertionResult Eventually(const std::function<bool()>& condition,
                                      const std::string& what,
                                      std::chrono::milliseconds timeout = kEffectTimeout);

// Waits until `actual` gives `expected`; the failure shows the last value
// it gave, e.g. EXPECT_TRUE(Becomes([&] { return Text(); }, "ok")).
::testing::AssertionResult Becomes(const std::function<std::string()>& actual,
                                   const std::string& expected,
                                   std::chrono::milliseconds timeout = kEffectTimeout);

// Whether the window's thread answers a sent message in time. A message
// sent from another process is handled before the thread's queued input
// and posted messages: an answer says that the thread is back in a message
// loop, not that what was posted or typed has been handled.
bool Answers(HWND window, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// A fresh folder under the temporary directory, removed with everything in
// it when the test ends. What a killed test program left there is removed
// when the next test program starts.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// A named event of the test that other processes open by its name, unique
// to this process.
class NamedEvent {
 public:
  explicit NamedEvent(const std::string& use, bool manualReset = true)
      : name_("VorlaneTest-" + use + "-" + std::to_string(GetCurrentProcessId())),
        event_(CreateEventA(nullptr, manualReset, FALSE, name_.c_str())) {}
  const std::string& Name() const { return name_; }
  void Set() const { SetEvent(event_.get()); }
  bool WaitSet() const { return WaitForSingleObject(event_.get(), 10000) == WAIT_OBJECT_0; }

 private:
  std::string name_;
  win32::UniqueKernelHandle event_;
};

// Removes the temporary folders that test programs which no longer run left
// behind (each program calls it as it starts); how many it found.
int RemoveLeftoverTempFolders();

// A program started by the test. Ended by force when the test leaves it
// running, so that a failing test never leaves a process behind.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // `commandLine` is given as is; an empty `program` is looked up from it
  // as the platform does. `workingDirectory` may be empty. A start that
  // Wine refuses is tried again once and logged as a retry.
  bool Start(const std::string& program, const std::string& commandLine,
             const std::string& workingDirectory = "");
  // Takes over a process that another program started, so that the test
  // ends it as well.
  bool Adopt(DWORD processId);
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }
  bool IsRunning() const;
  // The exit code, or STILL_ACTIVE when it did not end in time.
  DWORD WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(10));

 private:
  PROCESS_INFORMATION info_{};
};

// The processes that the process started and that still run, also when
// it has ended itself (its handle keeps its id from being given again);
// nullopt when it cannot be looked at.
std::optional<std::vector<DWORD>> ChildrenOf(HANDLE process);
// How many of them run; -1 when the process cannot be looked at.
int RunningChildren(DWORD processId);

// The top-level window of the given class that belongs to the process.
HWND FindProcessWindow(DWORD processId, const char* className);

// The launcher copied into `folder` and started there, with the cursor
// parked; ready once its window answers messages and its tray icon
// exists, which is after it settled its settings file.
class Launcher {
 public:
  Launcher() = default;
  // Another build of the launcher than the tests' own, given `patience` for
  // its start and its close (an emulated program starts slowly).
  Launcher(std::string program, std::chrono::milliseconds patience)
      : program_(std::move(program)), patience_(patience) {}

  // `arguments` is appended to the quoted program path; `bareName` starts it
  // by its file name alone, so that its argument vector holds no folder.
  ::testing::AssertionResult Start(const TempFolder& folder,
                                   const std::string& arguments = "",
                                   const std::string& workingDirectory = "",
                                   bool bareName = false);
  // Writes the folder's vorlane.ini first.
  ::testing::AssertionResult StartWith(const TempFolder& folder,
                                       const std::string& settings,
                                       const std::string& workingDirectory = "");
  ::testing::AssertionResult StartWith(const TempFolder& folder,
                                       const SettingsFile& settings,
                                       const std::string& workingDirectory = "") {
    return StartWith(folder, settings.Text(), workingDirectory);
  }
  HWND Window() const { return window_; }
  ChildProcess& Process() { return process_; }
  std::string ExePath() const { return exePath_; }

  // WM_CLOSE from outside; the exit code.
  DWORD Close();

 private:
  ChildProcess process_;
  HWND window_ = nullptr;
  std::string exePath_;
  std::string program_;  // empty: the one beside the test program
  std::chrono::milliseconds patience_ = kEffectTimeout;
};

// Whether the shell holds a tray icon for the window (uID 1): the shell
// accepts a modification only of an icon that exists.
bool TrayIconExists(HWND window);
void RemoveTrayIcon(HWND window);

// Whether any pixel of the tray's rightmost icon cell has the colour.
bool TrayShowsColour(COLORREF colour);

// One start logged by the probe program (a copy of it under any name).
struct ProbeStart {
  std::string program;
  unsigned long long created = 0;  // when the starter created the process
  unsigned long long logged = 0;   // when the probe wrote its line
  int show = -1;
  std::string directory;
  std::string arguments;
};

// The starts logged by probes in the folder, oldest first.
std::vector<ProbeStart> ReadProbeLog(const std::string& folder);
std::string Describe(const std::vector<ProbeStart>& starts);

// A protocol (mailto:, http:) opens the probe for as long as the test runs;
// what the prefix had before is put back, and a protocol key that was not
// there is removed again. What it changes is written down first (under
// kTestRecordKey in HKEY_CURRENT_USER), so that when a test is killed the
// next one's StartFromKnownState puts it back.
class ProtocolProgram {
 public:
  ProtocolProgram(std::string scheme, const std::string& probe);
  ~ProtocolProgram();
  ProtocolProgram(const ProtocolProgram&) = delete;
  ProtocolProgram& operator=(const ProtocolProgram&) = delete;

  bool Ready() const { return ready_; }

 private:
  std::string scheme_;
  bool ready_ = false;
};

// A file type (".html") opens the probe for as long as the test runs,
// through a class of the test's own named kTestClassPrefix + the extension,
// made and removed as a protocol is; the extension's class is put back
// afterwards, and an extension key that was not there is removed again.
// Written down first like a protocol.
class FileTypeProgram {
 public:
  FileTypeProgram(std::string extension, const std::string& probe);
  ~FileTypeProgram();
  FileTypeProgram(const FileTypeProgram&) = delete;
  FileTypeProgram& operator=(const FileTypeProgram&) = delete;

  bool Ready() const { return ready_; }

 private:
  std::string extension_;
  ProtocolProgram class_;
  bool ready_ = false;
};

inline constexpr char kTestClassPrefix[] = "VorlaneTests";

// Where the tests write down what they change in the shared prefix.
inline constexpr char kTestRecordKey[] = "Software\\VorlaneTests";

// The state every end-to-end test starts from, whatever an earlier test
// that was killed at its time-out left behind: no configurator or launcher
// of this build or of a test's folder running (their tray icons removed),
// no "Vorlane" Run value, no registration of the extension, and the
// protocol handlers as they were. Says what it had to end or put back.
::testing::AssertionResult StartFromKnownState();

// Parts of it for tests that change these themselves; true when there was
// something to remove.
bool RemoveRunValues();
bool RemoveExtensionRegistration();

// An icon file with one solid image of each size given.
void WriteSizedIcon(const std::string& path,
                    const std::vector<std::pair<int, COLORREF>>& images);

// The display's dpi for programs started while it lives (Wine reads it at
// each start); put back as it was afterwards.
class DisplayDpi {
 public:
  static constexpr char kDesktopKey[] = "Control Panel\\Desktop";
  static constexpr char kLogPixels[] = "LogPixels";
  explicit DisplayDpi(int dpi);
  ~DisplayDpi();
  DisplayDpi(const DisplayDpi&) = delete;
  DisplayDpi& operator=(const DisplayDpi&) = delete;
  bool Set() const { return set_; }

 private:
  std::optional<DWORD> before_;
  bool set_ = false;
};

// The icon drawn at `size` pixels square over a background of one colour,
// one 0x00RRGGBB per pixel; empty when it cannot be drawn.
std::vector<std::uint32_t> IconDrawnOver(HICON icon, int size,
                                         std::uint32_t background);

// A DWORD under the current user's key, set for a test and put back as it
// was (or removed) when the scope ends.
class UserDword {
 public:
  UserDword(const char* key, const char* name) : key_(key), name_(name) {}
  ~UserDword();
  UserDword(const UserDword&) = delete;
  UserDword& operator=(const UserDword&) = delete;
  bool Set(DWORD value);

 private:
  const char* key_;
  const char* name_;
  bool touched_ = false;
  std::optional<DWORD> before_;
};

// Where the system's app mode (AppsUseLightTheme) and taskbar mode
// (SystemUsesLightTheme) are kept.
inline constexpr char kPersonalizeKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// Tells every window that the modes changed, as the system does; returns
// once each has handled it.
void BroadcastColourSetChange();

// A fixture for tests that drive the programs from outside.
class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(StartFromKnownState()); }
};

// Runs `undo` when the scope ends, also when a test fails half-way.
class OnScopeExit {
 public:
  explicit OnScopeExit(std::function<void()> undo) : undo_(std::move(undo)) {}
  ~OnScopeExit() { undo_(); }
  OnScopeExit(const OnScopeExit&) = delete;
  OnScopeExit& operator=(const OnScopeExit&) = delete;

 private:
  std::function<void()> undo_;
};

// Text of the ANSI code page as UTF-16, for the wide functions.
std::wstring Widen(const std::string& text);

// A shortcut made with the shell-link object, as Explorer makes one.
::testing::AssertionResult MakeShortcut(const std::string& shortcut,
                                        const std::string& target);

}  // namespace vorlane::test
