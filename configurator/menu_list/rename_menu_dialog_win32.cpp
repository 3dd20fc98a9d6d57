#include "configurator/menu_list/rename_menu_dialog_win32.h"

#include <vector>

#include "config_ids.h"
#include "configurator/controls/window_placement_win32.h"

namespace vorlane::configurator {

CRenameMenuDialog::CRenameMenuDialog(HINSTANCE resources)
    : Dialog(resources, IDD_RENAME_MENU) {
  FollowAppModeInTitleBar();
}

BOOL CRenameMenuDialog::OnInit() {
  CentreOnPointerMonitor(Window());
  buttons_[0].Attach(Window(), IDOK);
  buttons_[0].SetIcons(Resources(), IDI_CHECK, IDI_CHECK_GREY);
  buttons_[1].Attach(Window(), IDCANCEL);
  buttons_[1].SetIcons(Resources(), IDI_CROSS, IDI_CROSS_GREY);
  EnableWindow(Item(IDOK), FALSE);
  return TRUE;
}

bool CRenameMenuDialog::OnCommand(int id, int notification) {
  if (id == IDC_NEW_NAME && notification == EN_CHANGE) {
    EnableWindow(Item(IDOK), GetWindowTextLengthA(Item(IDC_NEW_NAME)) > 0);
    return true;
  }
  return Dialog::OnCommand(id, notification);
}

void CRenameMenuDialog::OnOK() {
  // Enter reaches OnOK even while the button is disabled.
  const int length = GetWindowTextLengthA(Item(IDC_NEW_NAME));
  if (length <= 0) return;
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(Item(IDC_NEW_NAME), text.data(), length + 1);
  name_ = text.data();
  EndDialog(Window(), IDOK);
}

}  // namespace vorlane::configurator
