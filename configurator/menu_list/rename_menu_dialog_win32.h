// "Rename Menu": asks for a menu's new name; OK only once there is one.
#pragma once

#include <array>
#include <string>

#include "configurator/controls/icon_button_win32.h"
#include "win32/dialog.h"

namespace vorlane::configurator {

class CRenameMenuDialog final : public win32::Dialog {
 public:
  explicit CRenameMenuDialog(HINSTANCE resources);

  // The name as typed, once the dialog ended with OK.
  const std::string& Name() const { return name_; }

 private:
  BOOL OnInit() override;
  bool OnCommand(int id, int notification) override;
  void OnOK() override;

  std::string name_;
  std::array<CIconButton, 2> buttons_;
};

}  // namespace vorlane::configurator
