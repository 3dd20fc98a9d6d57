#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "launcher/launcher_messages.h"
#include "launcher/launcher_state.h"
#include "launcher/tray_logic.h"
#include "settings/launcher_window.h"
#include "settings/profile_store_win32.h"
#include "settings/run_command.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"
#include "win32/handles.h"

namespace vorlane::launcher {
namespace {

constexpr char kStartProblemCaption[] = "Vorlane";

std::string ModulePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, std::size(path));
  return length == 0 || length >= std::size(path) ? std::string() : path;
}

std::string ModuleDirectory() { return DirectoryOf(ModulePath()).value_or("."); }

// The program directory comes from the first element of the argument vector.
// A first element without a backslash (the program started by its bare name)
// says nothing about where the program lives; the module's own path does.
std::string ProgramDirectory() {
  if (__argc >= 1 && __argv != nullptr && __argv[0] != nullptr) {
    if (std::optional<std::string> dir = DirectoryOf(__argv[0])) {
      return *dir;
    }
  }
  return ModuleDirectory();
}

std::string WindowsDirectory() {
  char directory[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryA(directory, std::size(directory));
  if (length == 0 || length >= std::size(directory)) {
    return "C:\\Windows";
  }
  return directory;
}

// The profile functions look for a relative file name in the Windows
// directory, not in the current one where the user meant it, so a relative
// argument is made absolute before it is checked and kept.
std::string FullPath(const std::string& path) {
  const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) {
    return path;
  }
  std::string full(needed, '\0');
  const DWORD length =
      GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) {
    return path;
  }
  full.resize(length);
  return full;
}

// The long form too, for a program started by its short (8.3) path.
std::string LongPath(const std::string& path) {
  char longPath[MAX_PATH] = {};
  const DWORD length =
      GetLongPathNameA(path.c_str(), longPath, std::size(longPath));
  return length == 0 || length >= std::size(longPath) ? path : longPath;
}

std::optional<std::string> ReadRunValue(HKEY root, REGSAM view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, settings::kRunKey, 0, KEY_QUERY_VALUE | view,
                    &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const win32::UniqueKey key(opened);
  // REG_SZ, or REG_EXPAND_SZ given expanded.
  DWORD size = 0;
  if (RegGetValueA(key.get(), nullptr, settings::kRunValue, RRF_RT_REG_SZ,
                   nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string value(size, '\0');
  if (RegGetValueA(key.get(), nullptr, settings::kRunValue, RRF_RT_REG_SZ,
                   nullptr, value.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(std::strlen(value.c_str()));
  return value;
}

// Windows runs the user's value and the machine's in both registry views,
// whichever wrote them: the configurator or an installer.
bool RunValueStartsThisProgram() {
  const std::string program = ModulePath();
  if (program.empty()) return false;
  const std::string longProgram = LongPath(program);
  const std::pair<HKEY, REGSAM> places[] = {
      {HKEY_CURRENT_USER, 0},
      {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
      {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY},
  };
  for (const auto& [root, view] : places) {
    const std::optional<std::string> command = ReadRunValue(root, view);
    if (command && (settings::RunCommandStarts(*command, program) ||
                    settings::RunCommandStarts(*command, longProgram))) {
      return true;
    }
  }
  return false;
}

SettingsPathChoice ChooseSettingsFile() {
  std::optional<std::string> argument;
  if (__argc >= 2 && __argv != nullptr && __argv[1] != nullptr) {
    argument = FullPath(__argv[1]);
  }
  return ChooseSettingsPath(ProgramDirectory(), argument,
                            {IsReadableFile, IsMissingFile});
}

// One launcher per settings file: a second start for it (a double-click too
// many, an installer's "start now" beside a running copy) would add a second
// icon with the same menu. The name follows the file as its lock does, so
// that a short or relative spelling of the path is the same file; a
// launcher of another settings file runs beside it.
win32::UniqueKernelHandle ClaimSettingsFile(const std::string& iniPath,
                                            bool& claimedElsewhere) {
  const std::string name =
      settings::LauncherInstanceName(settings::SettingsFileIdentity(iniPath));
  win32::UniqueKernelHandle claim(CreateMutexA(nullptr, FALSE, name.c_str()));
  claimedElsewhere = claim && GetLastError() == ERROR_ALREADY_EXISTS;
  return claim;
}

// One edit, so that a configurator or Explorer window started at this moment
// never sees the file half written. A folder the user may not write to (the
// portable set unzipped into Program Files) is said once: the menu would
// stay empty, and the configurator could save nothing there either.
void WriteDefaults() {
  LauncherState& state = State();
  settings::ProfileStore store(state.iniPath);
  settings::SettingsEdit edit(store);
  settings::WriteDefaultFile(edit, WindowsDirectory(),
                             RunValueStartsThisProgram());
  if (!edit.Commit() && !store.LastWriteWasRefused()) {
    state.startProblems.push_back(UnwritableSettingsText(state.iniPath));
  }
}

}  // namespace

bool IsReadableFile(const std::string& path) {
  win32::UniqueFile file(CreateFileA(
      path.c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

// Only "not found" means absent: a file that another program holds open, or
// one behind a folder or share that cannot be read now, is there.
bool IsMissingFile(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = MainWndProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassExA(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
  return CreateWindowExA(WS_EX_CLIENTEDGE, kWindowClass, kWindowTitle,
                         WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 10,
                         10, nullptr, nullptr, instance, nullptr);
}

namespace {

int RunMessageLoop() {
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

void SayStartProblems() {
  if (!State().startProblems.empty()) {
    PostMessageA(State().hwnd, WM_SAYSTARTPROBLEMS, 0, 0);
  }
}

void OnSayStartProblems() {
  const std::vector<std::string> problems = std::move(State().startProblems);
  State().startProblems.clear();
  for (const std::string& problem : problems) {
    MessageBoxA(nullptr, problem.c_str(), kStartProblemCaption,
                MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
  }
}

int RunLauncher(HINSTANCE instance) {
  LauncherState& state = State();
  state.instance = instance;
  // The shell functions behind icons and launching (and the Run dialog's
  // automation object) expect COM on the calling thread, single-threaded.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  struct ComLifetime {
    HRESULT result;
    ~ComLifetime() {
      if (SUCCEEDED(result)) CoUninitialize();
    }
  } comLifetime{com};

  if (!RegisterMainClass(instance)) {
    MessageBoxA(nullptr, "Window Registration Failed!", "Error!",
                MB_ICONEXCLAMATION);
    return 0;
  }
  state.hwnd = CreateMainWindow(instance);
  if (state.hwnd == nullptr) {
    MessageBoxA(nullptr, "Window Creation Failed!", "Error!",
                MB_ICONEXCLAMATION);
    return 0;
  }
  ShowWindow(state.hwnd, SW_HIDE);
  UpdateWindow(state.hwnd);

  const SettingsPathChoice choice = ChooseSettingsFile();
  state.iniPath = choice.path;
  bool claimedElsewhere = false;
  const win32::UniqueKernelHandle claim =
      ClaimSettingsFile(state.iniPath, claimedElsewhere);
  if (claimedElsewhere) {
    DestroyWindow(state.hwnd);
    return 0;
  }
  if (choice.writeDefaults) {
    WriteDefaults();
  }

  PrepareTrayData();
  // Shell_NotifyIcon results are not looked at: without a running shell the
  // icon comes back with "TaskbarCreated".
  Shell_NotifyIconA(NIM_SETVERSION, &state.trayData);
  Shell_NotifyIconA(NIM_ADD, &state.trayData);
  UpdateTrayIcon();
  RegisterMenuHotkey(true);
  SayStartProblems();

  const int exitCode = RunMessageLoop();
  ReleaseIconCache();
  UnregisterClassA(kWindowClass, instance);
  return exitCode;
}

}  // namespace vorlane::launcher
