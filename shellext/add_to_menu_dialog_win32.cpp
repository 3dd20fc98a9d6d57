#include "shellext/add_to_menu_dialog.h"

#include "settings/menu_edits.h"
#include "settings/profile_store_win32.h"
#include "shellext/shellix_logic.h"
#include "shellext/shellix_module.h"

namespace vorlane::shellext {

CAddToMenuDialog::CAddToMenuDialog(std::string path, std::string description)
    : Dialog(ModuleInstance(), IDD_ADD_TO_MENU),
      path_(std::move(path)),
      description_(std::move(description)) {}

BOOL CAddToMenuDialog::OnInit() {
  FillMenuList();
  // Only a folder's contents can make a submenu; unchecked until asked for.
  const DWORD attributes = path_.empty() ? INVALID_FILE_ATTRIBUTES
                                         : GetFileAttributesA(path_.c_str());
  EnableWindow(Item(IDC_EXPAND_FOLDER),
               attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  return TRUE;
}

bool CAddToMenuDialog::OnCommand(int id, int notification) {
  if (id == IDC_NEW_MENU) {
    AddMenu();
    return true;
  }
  return Dialog::OnCommand(id, notification);
}

void CAddToMenuDialog::FillMenuList() {
  HWND list = Item(IDC_MENU_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  std::vector<std::string> names;
  {
    // One picture of the list, not one half changed by another program.
    settings::ProfileStore store(SettingsPath());
    const settings::LockHold hold(store, settings::LockPurpose::Read);
    names = MenuNames(store);
  }
  for (const std::string& name : names) {
    SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(name.c_str()));
  }
  SendMessageA(list, LB_SETCURSEL, 0, 0);
}

void CAddToMenuDialog::ShowFailure(const char* text) {
  MessageBoxA(Window(), text, "Failed", MB_OK | MB_ICONHAND);
}

void CAddToMenuDialog::AddMenu() {
  settings::ProfileStore store(SettingsPath());
  const AddResult result = AddMenuToFile(store);
  if (result != AddResult::Added) {
    ShowFailure(FailureText(result));
    return;
  }
  FillMenuList();
}

void CAddToMenuDialog::OnOK() {
  settings::ProfileStore store(SettingsPath());
  const int line =
      static_cast<int>(SendMessageA(Item(IDC_MENU_LIST), LB_GETCURSEL, 0, 0));
  HWND expand = Item(IDC_EXPAND_FOLDER);
  const bool expanded = IsWindowEnabled(expand) &&
                        SendMessageA(expand, BM_GETCHECK, 0, 0) == BST_CHECKED;
  const AddResult result =
      AddFileToMenu(store, line + 1, path_, description_, expanded);
  if (result == AddResult::Added) {
    path_.clear();
    description_.clear();
  } else {
    ShowFailure(FailureText(result));
    // A file that cannot be added closes the dialog; otherwise another menu,
    // or a later try, may still take it.
    if (result != AddResult::NothingToAdd) return;
  }
  EndDialog(Window(), IDOK);
}

}  // namespace vorlane::shellext
