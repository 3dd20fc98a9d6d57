#include <windows.h>
#include <shellapi.h>
#include <shldisp.h>

#include <algorithm>
#include <optional>

#include "launcher/command_plan.h"
#include "launcher/launcher_state.h"
#include "launcher/tray_logic.h"
#include "settings/profile_store_win32.h"
#include "settings/settings_model.h"

namespace vorlane::launcher {
namespace {

// The shell's automation object and the interface whose FileRun shows the
// Run dialog.
const CLSID kShellClsid = {0x13709620, 0xC279, 0x11CE,
                           {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kShellDispatchIid = {0xD8F015C0, 0xC278, 0x11CE,
                               {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// A pause longer than this only looks like a hung launcher: the window does
// not answer during it.
constexpr int kLongestBatchPause = 60000;

bool ShellOpen(const std::string& file, const char* parameters, int show) {
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(
      nullptr, "open", file.c_str(), parameters, nullptr, show));
  return result > 32;
}

// The item's folder is handed to the shell only when it is one: for a web
// address or a bare program name the "folder" is the location itself, which
// Windows refuses (error 267) where Wine ignores it.
bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void LaunchItem(const LaunchRequest& request) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof(info);
  // No error dialog of the shell's own: the launcher explains failures.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "Open";
  info.lpFile = request.file.c_str();
  info.lpParameters = request.parameters.c_str();
  info.lpDirectory = request.useDirectory && IsFolder(request.directory)
                         ? request.directory.c_str()
                         : nullptr;
  info.nShow = request.showCommand;
  if (!ShellExecuteExA(&info)) {
    ShowLaunchFailure(GetLastError());
    return;
  }
  // The launcher does not wait for the program it started.
  win32::UniqueKernelHandle process(info.hProcess);
}

void LaunchBatch(const std::vector<std::string>& elements) {
  for (const std::string& element : elements) {
    ShellOpen(element, nullptr, SW_SHOWNORMAL);
    settings::ProfileStore store(State().iniPath);
    const int pause = std::clamp(
        settings::Read(store, settings::kSettingsSection,
                       settings::kBatchPause),
        0, kLongestBatchPause);
    Sleep(static_cast<DWORD>(pause));
  }
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void StartConfigurator(const CommandPlan& plan) {
  for (const std::string& program : plan.places) {
    if (!IsFile(program)) continue;
    if (!ShellOpen(program, plan.parameters.c_str(), SW_SHOWNORMAL)) {
      const std::string text = "Error - config.exe could not be started:\r\n" + program;
      MessageBoxA(nullptr, text.c_str(), "Error", MB_ICONERROR);
    }
    return;
  }
  MessageBoxA(nullptr, "Error - config.exe not found", "Error", MB_ICONERROR);
}

// A .hlp file that the system cannot open (no viewer for the format, as on
// current Windows) gives way to the guide. The guide opens in the browser's
// own window size. A guide that is there but that no program opens is no
// missing guide: the user is told where it lies.
void OpenHelp(const CommandPlan& plan) {
  std::string unopened;
  for (const std::string& file : plan.places) {
    if (!IsFile(file)) continue;
    const bool oldHelp = file.ends_with(".hlp");
    if (ShellOpen(file, nullptr, oldHelp ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL)) {
      return;
    }
    unopened = file;
  }
  if (unopened.empty()) {
    MessageBoxA(nullptr, "Error - Helpfile not found", "Error", MB_ICONERROR);
    return;
  }
  const std::string text =
      "The user guide could not be opened: no program opens it.\r\n\r\n"
      "It lies at\r\n" + unopened + "\r\nand can be opened with a web browser.";
  MessageBoxA(nullptr, text.c_str(), "Error", MB_ICONERROR);
}

// A shell whose automation object cannot show the dialog (Wine's FileRun is
// not implemented) gets the same message as one without the object. COM is
// initialised for the launcher's whole life (RunLauncher).
void ShowRunDialog() {
  IShellDispatch* shell = nullptr;
  HRESULT result =
      CoCreateInstance(kShellClsid, nullptr,
                       CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                       kShellDispatchIid, reinterpret_cast<void**>(&shell));
  if (SUCCEEDED(result) && shell != nullptr) {
    result = shell->FileRun();
    shell->Release();
  }
  if (FAILED(result)) {
    MessageBoxA(nullptr, "Failed to launch the run dialog", "Error",
                MB_ICONERROR);
  }
}

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, std::size(path));
  if (length == 0 || length >= std::size(path)) return {};
  return DirectoryOf(path).value_or("");
}

std::vector<EntryRef> EntryRefs() {
  std::vector<EntryRef> refs;
  refs.reserve(State().entries.size());
  for (const auto& entry : State().entries) {
    refs.push_back({entry->kind, entry->menuRef, entry->itemNo,
                    entry->commandId});
  }
  return refs;
}

}  // namespace

void ShowLaunchFailure(unsigned long error) {
  MessageBoxA(nullptr, LaunchFailureText(error).c_str(), "Vorlane Error",
              MB_ICONERROR);
}

void DispatchCommand(int commandId) {
  LauncherState& state = State();
  // What a folder's submenu lists is no item of the settings file.
  if (LaunchFolderEntry(commandId)) {
    return;
  }
  settings::ProfileStore store(state.iniPath);
  std::optional<settings::LockHold> hold(std::in_place, store,
                                         settings::LockPurpose::Read);
  const CommandPlan plan =
      PlanCommand(store, EntryRefs(), commandId, state.iniPath, ProgramFolder());
  // Nothing is read while a program starts or a box waits for the user.
  hold.reset();
  switch (plan.action) {
    case CommandAction::Nothing:
      break;
    case CommandAction::LaunchItem:
      LaunchItem(plan.launch);
      break;
    case CommandAction::LaunchBatch:
      LaunchBatch(plan.batch);
      break;
    case CommandAction::OpenMail:
    case CommandAction::OpenDonationPage:
      ShellOpen(plan.target, nullptr, SW_SHOWNORMAL);
      break;
    case CommandAction::StartConfigurator:
      StartConfigurator(plan);
      break;
    case CommandAction::OpenHelp:
      OpenHelp(plan);
      break;
    case CommandAction::ShowRunDialog:
      ShowRunDialog();
      break;
    case CommandAction::Exit:
      DestroyWindow(state.hwnd);
      break;
  }
}

}  // namespace vorlane::launcher
