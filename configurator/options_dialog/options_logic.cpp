#include "options_logic.h"

#include <algorithm>

#include "config_ids.h"
#include "settings/settings_model.h"

namespace vorlane::configurator {

int PauseSecondsShown(int batchPause) {
  if (batchPause > 10000) batchPause = 10000;
  if (batchPause < 500) batchPause = 1000;
  return batchPause / 1000;
}

int PauseToStore(int seconds) { return std::clamp(seconds, 1, 10) * 1000; }

int OpenMenuButton(int openMenu) {
  switch (openMenu) {
    case 0:
    case 1: return IDC_MOUSE_OVER;
    case 2: return IDC_LEFT_CLICK;
    case 3: return IDC_RIGHT_CLICK;
    case 4: return IDC_BOTH_CLICKS;
    default: return 0;
  }
}

int ThemeButton(int theme) {
  switch (settings::ParseThemeChoice(theme)) {
    case settings::ThemeChoice::Light: return IDC_THEME_LIGHT;
    case settings::ThemeChoice::Dark: return IDC_THEME_DARK;
    case settings::ThemeChoice::FollowSystem: break;
  }
  return IDC_THEME_SYSTEM;
}

FontKeys FontKeysFor(const ChosenFont& chosen, const StoredFont& stored,
                     const ShownFont& shown) {
  const bool sizeKept =
      shown.pointSizeTenths >= 0 && chosen.pointSizeTenths == shown.pointSizeTenths;
  const bool faceKept = !shown.face.empty() && chosen.face == shown.face;
  return FontKeys{faceKept ? stored.face : chosen.face,
                  sizeKept ? stored.size : chosen.height,
                  chosen.weight,
                  chosen.italic ? 1 : 0,
                  chosen.strikeOut ? 1 : 0,
                  chosen.underline ? 1 : 0};
}

std::optional<int> PointSizeTenths(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  int tenths = 0;
  int digits = 0;
  std::size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 5; ++i, ++digits) {
    tenths = tenths * 10 + (text[i] - '0');
  }
  if (digits == 0) return std::nullopt;
  tenths *= 10;
  if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
    ++i;
    if (i < text.size() && text[i] >= '0' && text[i] <= '9') tenths += text[i++] - '0';
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  }
  if (i != text.size()) return std::nullopt;
  return tenths;
}

HotkeySave PlanHotkeySave(std::string_view typed,
                          const std::optional<std::string>& stored) {
  HotkeySave save;
  const settings::HotkeyReading reading = settings::ParseHotkey(typed);
  if (reading.problem != settings::HotkeyProblem::kNone) {
    save.action = HotkeySave::Action::Refuse;
    save.problem = reading.problem;
    return save;
  }
  if (!reading.hotkey) {
    save.action = stored ? HotkeySave::Action::Remove : HotkeySave::Action::Keep;
    return save;
  }
  save.value = settings::HotkeyText(*reading.hotkey);
  if (stored && *stored == save.value) return save;
  save.action = HotkeySave::Action::Write;
  save.tryFirst = !stored || settings::ParseHotkey(*stored).hotkey != reading.hotkey;
  return save;
}

std::string RegistrationFailureText(bool registering, std::string_view library,
                                    const std::optional<unsigned long>& exitCode) {
  std::string text = registering
                         ? "\"Add to Vorlane\" could not be added to Explorer's context menus"
                         : "\"Add to Vorlane\" could not be removed from Explorer's context menus";
  text += exitCode ? ": regsvr32 ended with code " + std::to_string(*exitCode)
                   : ": regsvr32 did not finish in time";
  text += " for\n" + std::string(library) + ".";
  if (!registering) {
    text += "\n\nA registration for all users takes an administrator to remove.";
  }
  return text;
}

std::string RegistrationCommand(std::string_view library, bool unregister) {
  return std::string(unregister ? "regsvr32.exe /s /u \"" : "regsvr32.exe /s \"") +
         std::string(library) + "\"";
}

std::string BesideProgram(std::string_view programPath, std::string_view name) {
  const std::size_t slash = programPath.rfind('\\');
  const std::string_view folder =
      slash == std::string_view::npos ? std::string_view(".") : programPath.substr(0, slash);
  return std::string(folder) + "\\" + std::string(name);
}

}  // namespace vorlane::configurator
