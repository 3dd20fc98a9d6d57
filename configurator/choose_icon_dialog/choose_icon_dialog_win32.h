// "Choose Icon": every icon of a file, one per row, and the one picked.
#pragma once

#include <array>
#include <string>

#include "configurator/controls/icon_button_win32.h"
#include "win32/dialog.h"

namespace vorlane::configurator {

class CChooseIconDialog final : public win32::Dialog {
 public:
  // `iconFile` may be empty.
  CChooseIconDialog(HINSTANCE resources, std::string iconFile);
  ~CChooseIconDialog() override;

  // After OK: the file and the index of the chosen icon.
  const std::string& IconFile() const { return iconFile_; }
  int IconIndex() const { return iconIndex_; }

 private:
  BOOL OnInit() override;
  bool OnCommand(int id, int notification) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam,
                 INT_PTR& result) override;

  void FillIconList(const std::string& file);
  void ReleaseIcons();
  void Browse();
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

  std::string iconFile_;
  int iconIndex_ = 0;
  int dpi_ = 96;  // the rows' items are measured at it
  std::array<CIconButton, 2> buttons_;
};

}  // namespace vorlane::configurator
