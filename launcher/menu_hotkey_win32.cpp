// The optional global hotkey that opens the menu where the pointer is. It is
// registered at the start and again whenever the configurator says the
// settings changed. A value that cannot be read, or a hotkey that another
// program holds, is said once at the start: the options dialog says it when
// the hotkey is chosen, and the tray icon opens the menu either way.
#include <windows.h>

#include "launcher/launcher_state.h"
#include "settings/hotkey.h"
#include "settings/profile_store_win32.h"
#include "settings/settings_model.h"

namespace vorlane::launcher {
namespace {
constexpr int kMenuHotkeyId = 1;
constexpr char kCaption[] = "Vorlane";
}  // namespace

void RegisterMenuHotkey(bool sayProblems) {
  LauncherState& state = State();
  if (state.hotkeyRegistered) {
    UnregisterHotKey(state.hwnd, kMenuHotkeyId);
    state.hotkeyRegistered = false;
  }
  settings::ProfileStore store(state.iniPath);
  const std::string text =
      settings::Read(store, settings::kSettingsSection, settings::kHotkey);
  const settings::HotkeyReading reading = settings::ParseHotkey(text);
  std::string problem;
  if (reading.hotkey) {
    state.hotkeyRegistered =
        RegisterHotKey(state.hwnd, kMenuHotkeyId, reading.hotkey->modifiers,
                       reading.hotkey->key) != FALSE;
    if (!state.hotkeyRegistered) {
      problem = settings::HotkeyTakenText(*reading.hotkey);
    }
  } else if (reading.problem != settings::HotkeyProblem::kNone) {
    problem = settings::HotkeyProblemText(text, reading.problem);
  }
  if (sayProblems && !problem.empty()) {
    // Said once the message loop runs, so that the tray icon answers while
    // the box is open.
    state.hotkeyProblem = std::move(problem);
    PostMessageA(state.hwnd, WM_SAYHOTKEYPROBLEM, 0, 0);
  }
}

void OnSayHotkeyProblem() {
  std::string problem = std::move(State().hotkeyProblem);
  State().hotkeyProblem.clear();
  if (!problem.empty()) {
    MessageBoxA(nullptr, problem.c_str(), kCaption,
                MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
  }
}

void ReleaseMenuHotkey() {
  LauncherState& state = State();
  if (state.hotkeyRegistered) {
    UnregisterHotKey(state.hwnd, kMenuHotkeyId);
    state.hotkeyRegistered = false;
  }
}

}  // namespace vorlane::launcher
