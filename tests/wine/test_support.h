// What the tests under Wine share: temporary folders, files, the launcher
// started as its own process, and looks at the tray from outside.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "win32/handles.h"

namespace vorlane::test {

// The folder holding the test program, and so the programs under test.
std::string BinDirectory();
std::string WindowsDirectory();

std::string ReadTextFile(const std::string& path);
void WriteTextFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);

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

// Polls until the condition holds or the time is up; true if it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// A fresh folder under the temporary directory, removed with everything in
// it when the test ends.
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

// The top-level window of the given class that belongs to the process.
HWND FindProcessWindow(DWORD processId, const char* className);

// The launcher copied into `folder` and started there, with the cursor
// parked; ready once its window answers messages and its tray icon
// exists, which is after it settled its settings file.
class Launcher {
 public:
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
// there is removed again.
class ProtocolProgram {
 public:
  ProtocolProgram(std::string scheme, const std::string& probe)
      : scheme_(std::move(scheme)) {
    HKEY key = nullptr;
    hadProtocol_ = RegOpenKeyExA(HKEY_CLASSES_ROOT, scheme_.c_str(), 0,
                                 KEY_READ, &key) == ERROR_SUCCESS;
    if (key != nullptr) RegCloseKey(key);
    key = nullptr;
    RegCreateKeyExA(HKEY_CLASSES_ROOT,
                    (scheme_ + "\\shell\\open\\command").c_str(), 0,
                    nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    key_.reset(key);
    char old[1024] = {};
    DWORD size = sizeof(old) - 1;
    hadCommand_ = RegQueryValueExA(key_.get(), nullptr, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(old), &size) ==
                  ERROR_SUCCESS;
    old_ = old;
    SetCommand("\"" + probe + "\" %1");
  }
  ~ProtocolProgram() {
    if (hadCommand_) {
      SetCommand(old_);
    } else {
      RegDeleteValueA(key_.get(), nullptr);
    }
    key_.reset();
    if (!hadProtocol_) RegDeleteTreeA(HKEY_CLASSES_ROOT, scheme_.c_str());
  }
  ProtocolProgram(const ProtocolProgram&) = delete;
  ProtocolProgram& operator=(const ProtocolProgram&) = delete;

  bool Ready() const { return static_cast<bool>(key_); }

 private:
  void SetCommand(const std::string& command) {
    RegSetValueExA(key_.get(), nullptr, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
  }

  std::string scheme_;
  win32::UniqueKey key_;
  bool hadProtocol_ = false;
  bool hadCommand_ = false;
  std::string old_;
};

}  // namespace vorlane::test
