#include <windows.h>
#include <shellapi.h>
#include <shldisp.h>

#include <algorithm>
#include <optional>

#include "launcher/command_plan.h"
#include "launcher/launcher_state.h"
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

void ShowLaunchFailure(DWORD error) {
  MessageBoxA(nullptr, LaunchFailureText(error).c_str(), "Vorlane Error",
              MB_ICONERROR);
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

void StartConfigurator(const CommandPlan& plan) {
  if (!ShellOpen(plan.target, plan.parameters.c_str(), SW_SHOWNORMAL)) {
    MessageBoxA(nullptr, "Error - config.exe not found", "Error", MB_ICONERROR);
  }
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A .hlp file that the system cannot open (no viewer for the format, as on
// current Windows) gives way to the guide as well. The guide opens in the
// browser's own window size.
void OpenHelp(const CommandPlan& plan) {
  if (IsFile(plan.target) && ShellOpen(plan.target, nullptr, SW_SHOWMAXIMIZED)) {
    return;
  }
  if (IsFile(plan.fallback) && ShellOpen(plan.fallback, nullptr, SW_SHOWNORMAL)) {
    return;
  }
  MessageBoxA(nullptr, "Error - Helpfile not found", "Error", MB_ICONERROR);
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

void DispatchCommand(int commandId) {
  LauncherState& state = State();
  settings::ProfileStore store(state.iniPath);
  std::optional<settings::LockHold> hold(std::in_place, store,
                                         settings::LockPurpose::Read);
  const CommandPlan plan =
      PlanCommand(store, EntryRefs(), commandId, state.iniPath);
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
