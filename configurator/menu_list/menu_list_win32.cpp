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

void CConfigDialog::FillMenuList() {
  HWND list = Item(IDC_MENU_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const MenuLine& line : ReadMenuList(app_.Profile())) {
    SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(line.name.c_str()));
  }
  SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(kEmailMenuLine));
  SendMessageA(list, LB_SETCURSEL, 0, 0);
}

int CConfigDialog::MenuNumberAt() {
  return configurator::MenuNumberAt(app_.Profile(), SelectedMenuLine());
}

void CConfigDialog::OnMenuSelected() {
  const MenuSelectionView view =
      MenuSelectionControls(SelectedMenuLine(), MenuLineCount());
  contactMode_ = view.contactMode;
  SetDlgItemTextA(Window(), IDC_LOCATION_LABEL, contactMode_ ? "Name" : "Location");
  SetDlgItemTextA(Window(), IDC_DESCRIPTION_LABEL,
                  contactMode_ ? "Email" : "Description");
  SetDlgItemTextA(Window(), IDC_ITEM_GROUP,
                  contactMode_ ? "Contact list" : "Program list");
  ApplyControls(view.controls);
  if (contactMode_) {
    FillContactList();
  } else {
    FillItemList(MenuNumberAt());
  }
  SelectFirstRow();
}

void CConfigDialog::AddMenu() {
  settings::SettingsEdit edit(app_.Profile());
  if (!settings::AddMenu(edit)) {
    MessageBoxA(Window(), kMenuCountDamaged, "Error", MB_OK | MB_ICONERROR);
    return;
  }
  Finish(edit.Commit());
  FillMenuList();
  OnMenuSelected();
}

void CConfigDialog::RenameMenu() {
  const int position = SelectedMenuLine();
  if (position < 0 || position == MenuLineCount() - 1) return;
  CRenameMenuDialog dialog(Resources());
  if (dialog.DoModal(Window()) != IDOK) return;
  settings::SettingsEdit edit(app_.Profile());
  configurator::RenameMenu(edit, position, dialog.Name());
  Finish(edit.Commit());
  FillMenuList();
  OnMenuSelected();
}

void CConfigDialog::MoveMenuUp() {
  const int position = SelectedMenuLine();
  settings::SettingsEdit edit(app_.Profile());
  if (!configurator::MoveMenuUp(edit, position)) return;
  Finish(edit.Commit());
  FillMenuList();
  SendMessageA(Item(IDC_MENU_LIST), LB_SETCURSEL, position - 1, 0);
  ApplyControls(MenuSelectionControls(position - 1, MenuLineCount()).controls);
}

void CConfigDialog::MoveMenuDown() {
  const int position = SelectedMenuLine();
  settings::SettingsEdit edit(app_.Profile());
  if (!configurator::MoveMenuDown(edit, position)) return;
  Finish(edit.Commit());
  FillMenuList();
  SendMessageA(Item(IDC_MENU_LIST), LB_SETCURSEL, position + 1, 0);
  ApplyControls(MenuSelectionControls(position + 1, MenuLineCount()).controls);
}

void CConfigDialog::RemoveMenu() {
  if (MessageBoxA(Window(), kRemoveQuestion, "Warning",
                  MB_YESNO | MB_ICONINFORMATION) != IDYES) {
    return;
  }
  settings::SettingsEdit edit(app_.Profile());
  if (!configurator::RemoveMenu(edit, SelectedMenuLine())) return;
  Finish(edit.Commit());
  FillMenuList();
  OnMenuSelected();
}

}  // namespace vorlane::configurator
