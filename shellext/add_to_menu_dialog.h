// The dialog that appends the chosen file to one of the menus of the
// settings file, or adds an empty menu. A folder may be added as a submenu
// of its contents.
#pragma once

#include <string>

#include "win32/dialog.h"

namespace vorlane::shellext {

class CAddToMenuDialog final : public win32::Dialog {
 public:
  CAddToMenuDialog(std::string path, std::string description);

 private:
  BOOL OnInit() override;
  bool OnCommand(int id, int notification) override;
  void OnOK() override;

  void FillMenuList();
  void AddMenu();
  void ShowFailure(const char* text);

  std::string path_;
  std::string description_;
};

}  // namespace vorlane::shellext
