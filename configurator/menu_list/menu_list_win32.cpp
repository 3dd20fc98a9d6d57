// The menu list of the main dialog: filled from MenuOrder, and the menu
// operations of its buttons.
#include "configurator/config_dialog/config_dialog_win32.h"

#include "config_ids.h"
#include "configurator/config_app/config_app_win32.h"
#include "configurator/menu_list/menu_operations.h"
#include "configurator/menu_list/rename_menu_dialog_win32.h"
#include "settings/menu_edits.h"
#include "settings/settings_edit.h"

namespace vorlane::configurator {
namespace {

constexpr char kRemoveQuestion[] =
    "Are you sure you want to remove the selected menu?\rThis could take a few "
    "seconds so please have patience.";
constexpr char kMenuCountDamaged[] =
    "MenuCount in the settings file holds a number that cannot be right, so "
    "no menu was added. Correct it in vorlane.ini.";

}  // namespace

int CConfigDialog::SelectedMenuLine() const {
  return static_cast<int>(SendMessageA(Item(IDC_MENU_LIST), LB_GETCURSEL, 0, 0));
}

int CConfigDialog::MenuLineCount() const {
  return static_cast<int>(SendMessageA(Item(IDC_MENU_LIST), LB_GETCOUNT, 0, 0));
}

bool CConfigDialog::FillMenuList() {
  settings::SettingsEdit file(app_.Profile(), settings::LockPurpose::Read);
  const std::vector<MenuLine> lines = ReadMenuList(file);
  if (!ReadSucceeded(file)) return false;
  HWND list = Item(IDC_MENU_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  menuNumbers_.clear();
  for (const MenuLine& line : lines) {
    SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(line.name.c_str()));
    menuNumbers_.push_back(line.number);
  }
  SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(kEmailMenuLine));
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  return true;
}

// The number of the menu whose line is selected, as the list was read: an
// edit acts on the menu the user sees.
int CConfigDialog::MenuNumberAt() const {
  const int line = SelectedMenuLine();
  if (line < 0 || line >= static_cast<int>(menuNumbers_.size())) return 0;
  return menuNumbers_[static_cast<std::size_t>(line)];
}

void CConfigDialog::OnMenuSelected() {
  const int line = SelectedMenuLine();
  const MenuSelectionView view = MenuSelectionControls(line, MenuLineCount());
  const bool filled = view.contactMode ? FillContactList() : FillItemList(MenuNumberAt());
  if (!filled) {
    // The rows still show the menu that was selected before.
    SendMessageA(Item(IDC_MENU_LIST), LB_SETCURSEL, shownMenuLine_, 0);
    return;
  }
  shownMenuLine_ = line;
  contactMode_ = view.contactMode;
  SetDlgItemTextA(Window(), IDC_LOCATION_LABEL, contactMode_ ? "Name" : "Location");
  SetDlgItemTextA(Window(), IDC_DESCRIPTION_LABEL,
                  contactMode_ ? "Email" : "Description");
  SetDlgItemTextA(Window(), IDC_ITEM_GROUP,
                  contactMode_ ? "Contact list" : "Program list");
  ApplyControls(view.controls);
  UpdateExpandFolder();
  SelectFirstRow();
}

void CConfigDialog::AddMenu() {
  settings::SettingsEdit edit(app_.Profile());
  const std::optional<int> added = settings::AddMenu(edit);
  if (!Finish(edit)) return;
  if (!added) {
    MessageBoxA(Window(), kMenuCountDamaged, "Error", MB_OK | MB_ICONERROR);
    return;
  }
  if (FillMenuList()) OnMenuSelected();
}

void CConfigDialog::RenameMenu() {
  const int position = SelectedMenuLine();
  if (position < 0 || position == MenuLineCount() - 1) return;
  CRenameMenuDialog dialog(Resources());
  if (dialog.DoModal(Window()) != IDOK) return;
  settings::SettingsEdit edit(app_.Profile());
  configurator::RenameMenu(edit, position, dialog.Name());
  if (!Finish(edit)) return;
  if (FillMenuList()) OnMenuSelected();
}

void CConfigDialog::MoveMenuUp() {
  const int position = SelectedMenuLine();
  settings::SettingsEdit edit(app_.Profile());
  const bool moved = configurator::MoveMenuUp(edit, position);
  // The selection moves only with a menu that moved in the file.
  if (!Finish(edit) || !moved || !FillMenuList()) return;
  SendMessageA(Item(IDC_MENU_LIST), LB_SETCURSEL, position - 1, 0);
  shownMenuLine_ = position - 1;
  ApplyControls(MenuSelectionControls(position - 1, MenuLineCount()).controls);
}

void CConfigDialog::MoveMenuDown() {
  const int position = SelectedMenuLine();
  settings::SettingsEdit edit(app_.Profile());
  const bool moved = configurator::MoveMenuDown(edit, position);
  if (!Finish(edit) || !moved || !FillMenuList()) return;
  SendMessageA(Item(IDC_MENU_LIST), LB_SETCURSEL, position + 1, 0);
  shownMenuLine_ = position + 1;
  ApplyControls(MenuSelectionControls(position + 1, MenuLineCount()).controls);
}

void CConfigDialog::RemoveMenu() {
  if (MessageBoxA(Window(), kRemoveQuestion, "Warning",
                  MB_YESNO | MB_ICONINFORMATION) != IDYES) {
    return;
  }
  settings::SettingsEdit edit(app_.Profile());
  const bool removed = configurator::RemoveMenu(edit, SelectedMenuLine());
  if (!Finish(edit) || !removed) return;
  if (FillMenuList()) OnMenuSelected();
}

}  // namespace vorlane::configurator
