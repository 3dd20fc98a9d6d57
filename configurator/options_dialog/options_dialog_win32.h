// "Vorlane options": how the menu opens, its fixed entries, font, tray
// icon, tooltips, the batch pause, start with Windows and the Explorer
// extension. Every click is written at once; only the pause waits for Save.
#pragma once

#include <array>
#include <optional>

#include "configurator/controls/icon_button_win32.h"
#include "configurator/controls/tooltips_win32.h"
#include "settings/settings_model.h"
#include "win32/dialog.h"
#include "win32/handles.h"

namespace vorlane::configurator {

class CConfigApp;

class COptionsDialog final : public win32::Dialog {
 public:
  explicit COptionsDialog(CConfigApp& app);

 private:
  BOOL OnInit() override;
  bool OnCommand(int id, int notification) override;
  void OnOK() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam,
                 INT_PTR& result) override;

  void SetUpTooltips();
  void FlipKey(const char* key);
  void WriteOpenMenu(int value);
  void WriteTheme(settings::ThemeChoice theme);
  void ToggleStartWithWindows();
  void ToggleContextMenu();
  // The tool's exit code, or nothing when it did not end in time.
  std::optional<DWORD> WaitForTool(HANDLE tool);
  void ShowTrayPreview();
  void DefaultIcon();
  void PickIcon();
  void TellLauncher();
  void DefaultFont();
  void ChooseMenuFont();
  bool SaveHotkey();
  // Ends an edit: says so once when the file could not be written.
  void Finish(bool written);

  CConfigApp& app_;
  std::array<CIconButton, 3> buttons_;
  Tooltips tooltips_;
  win32::UniqueIcon preview_;
};

}  // namespace vorlane::configurator
