// The optional global hotkey that opens the menu where the pointer is. It is
// registered at the start and again whenever the configurator says the
// settings changed. A value that cannot be read, or a hotkey that another
// program holds, is said once at the start (with the start's other problems):
// the options dialog says it when
// the hotkey is chosen, and the tray icon opens the menu either way.
#include <windows.h>

#include "launcher/launcher_state.h"
#include "settings/hotkey.h"
#include "settings/profile_store_win32.h"
#include "settings/settings_model.h"

namespace vorlane::launcher {
namespace {
constexpr int kMenuHotkeyId = 1;
}  // namespace

void RegisterMenuHotkey(bool sayProblems) {
  ReleaseMenuHotkey();
  LauncherState& state = State();
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
    state.startProblems.push_back(std::move(problem));
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
