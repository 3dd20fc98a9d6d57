// The item edits of the main dialog's buttons and the row's context menu,
// for program items and, in contact mode, for contacts.
#include "configurator/config_dialog/config_dialog_win32.h"

#include <algorithm>

#include "config_ids.h"
#include "configurator/choose_icon_dialog/choose_icon_dialog_win32.h"
#include "configurator/config_app/config_app_win32.h"
#include "configurator/controls/file_dialogs_win32.h"
#include "configurator/item_list/contact_operations.h"
#include "configurator/item_list/item_list_shared_win32.h"
#include "configurator/item_list/item_operations.h"
#include "configurator/menu_list/menu_operations.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"

namespace vorlane::configurator {
namespace {

using settings::kSettingsSection;

constexpr char kRemoveItemsQuestion[] =
    "Are you sure you want to remove the selected item(s)?";
constexpr char kMissingFields[] = "Not all fields were filled out!";

}  // namespace

void CConfigDialog::ShowMissingFields() {
  MessageBoxA(Window(), kMissingFields, "Error", MB_OK | MB_ICONERROR);
}

bool CConfigDialog::CheckAddress(const std::string& address) {
  if (IsAcceptedAddress(address)) return true;
  MessageBoxA(Window(), kInvalidAddressText, kInvalidAddressCaption,
              MB_OK | MB_ICONINFORMATION);
  return false;
}

void CConfigDialog::OnItemClicked() {
  HWND list = Item(IDC_ITEM_LIST);
  const int row = static_cast<int>(
      SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row < 0) return;
  currentMenu_ = MenuNumberAt();
  const int k = row + 1;
  settings::ProfileStore& file = app_.Profile();
  std::string location, description, parameters;
  if (contactMode_) {
    itemCount_ = settings::Read(file, kSettingsSection, settings::kContactCount);
    const Contact contact = ReadContact(file, k);
    location = contact.name;
    description = contact.address;
  } else {
    itemCount_ = settings::Read(file, kSettingsSection, settings::kCount, currentMenu_);
    const ItemFields item = ReadItem(file, settings::ProgramSection(currentMenu_), k);
    location = item.program;
    description = item.description;
    parameters = item.parameters;
    openMode_ = item.openMode;
  }
  const bool separator = location.empty() && description.empty();
  ApplyControls(ItemClickControls(contactMode_, row, itemCount_, separator));
  if (!separator && !contactMode_) {
    if (const int button = OpenModeButton(openMode_)) {
      CheckRadioButton(Window(), IDC_OPEN_MIN, IDC_OPEN_HIDDEN, button);
    }
  }
  SetDlgItemTextA(Window(), IDC_LOCATION, location.c_str());
  SetDlgItemTextA(Window(), IDC_DESCRIPTION, description.c_str());
  SetDlgItemTextA(Window(), IDC_PARAMETERS, parameters.c_str());
}

void CConfigDialog::AddItem() {
  if (contactMode_) {
    const Contact contact{EditText(IDC_LOCATION), EditText(IDC_DESCRIPTION)};
    if (contact.address.empty()) {
      ShowMissingFields();
      return;
    }
    if (!CheckAddress(contact.address)) return;
    settings::SettingsEdit edit(app_.Profile());
    const std::optional<int> number = AddContact(edit, contact);
    if (!number) {
      MessageBoxA(Window(), kItemCountDamaged, "Error", MB_OK | MB_ICONERROR);
      return;
    }
    Finish(edit.Commit());
    for (int id : {IDC_PARAMETERS, IDC_DESCRIPTION, IDC_LOCATION}) {
      SetDlgItemTextA(Window(), id, "");
    }
    FillContactList();
    SelectRow(*number - 1);
    return;
  }
  ItemFields item{EditText(IDC_LOCATION), EditText(IDC_DESCRIPTION),
                  EditText(IDC_PARAMETERS), "", openMode_};
  if (item.description.empty()) {
    ShowMissingFields();
    return;
  }
  if (SendMessageA(Item(IDC_BATCH_LIST), LB_GETCOUNT, 0, 0) > 0) {
    item.program = JoinBatchList();
  }
  if (item.program.empty()) {
    ShowMissingFields();
    return;
  }
  settings::SettingsEdit edit(app_.Profile());
  const std::optional<int> number =
      configurator::AddItem(edit, MenuNumberAt(), item);
  if (!number) {
    MessageBoxA(Window(), kItemCountDamaged, "Error", MB_OK | MB_ICONERROR);
    return;
  }
  // A list that shows what was not stored would mislead.
  if (!Finish(edit.Commit())) return;
  AddItemRow(item.program, item.description, false, "", 0);
  StartPendingIcons();
  for (int id : {IDC_PARAMETERS, IDC_DESCRIPTION, IDC_LOCATION}) {
    SetDlgItemTextA(Window(), id, "");
  }
  SelectRow(*number - 1);
}

void CConfigDialog::AddSeparator() {
  if (contactMode_) {
    settings::SettingsEdit edit(app_.Profile());
    if (!AddContact(edit, Contact{})) {
      MessageBoxA(Window(), kItemCountDamaged, "Error", MB_OK | MB_ICONERROR);
      return;
    }
    Finish(edit.Commit());
    FillContactList();
    return;
  }
  settings::SettingsEdit edit(app_.Profile());
  if (!configurator::AddSeparator(edit, MenuNumberAt())) {
    MessageBoxA(Window(), kItemCountDamaged, "Error", MB_OK | MB_ICONERROR);
    return;
  }
  if (!Finish(edit.Commit())) return;
  AddItemRow("", "", false, "", 0);
}

void CConfigDialog::ChangeItem() {
  const int row = FirstSelectedRow();
  if (row < 0) return;
  if (contactMode_) {
    const Contact contact{EditText(IDC_LOCATION), EditText(IDC_DESCRIPTION)};
    if (contact.name.empty() || contact.address.empty()) {
      ShowMissingFields();
      return;
    }
    if (!CheckAddress(contact.address)) return;
    settings::SettingsEdit edit(app_.Profile());
    ChangeContact(edit, row + 1, contact);
    if (!Finish(edit.Commit())) return;
    LVITEMA text{};
    text.pszText = const_cast<char*>(contact.name.c_str());
    SendMessageA(Item(IDC_ITEM_LIST), LVM_SETITEMTEXTA, row,
                 reinterpret_cast<LPARAM>(&text));
    SelectRow(row);
    return;
  }
  const ItemFields item{EditText(IDC_LOCATION), EditText(IDC_DESCRIPTION),
                        EditText(IDC_PARAMETERS), "", openMode_};
  if (item.description.empty() || item.program.empty()) {
    ShowMissingFields();
    return;
  }
  settings::SettingsEdit edit(app_.Profile());
  configurator::ChangeItem(edit, MenuNumberAt(), row + 1, item);
  if (!Finish(edit.Commit())) return;
  // The row shows the shell's icon of the new location until the list is
  // built again; its own icon, if any, comes back then.
  win32::UniqueIcon icon(ShellSmallIcon(item.program.c_str(), 0, 0));
  if (icon) SetRowImage(row, icon.get());
  LVITEMA text{};
  text.iSubItem = 0;
  text.pszText = const_cast<char*>(item.description.c_str());
  SendMessageA(Item(IDC_ITEM_LIST), LVM_SETITEMTEXTA, row,
               reinterpret_cast<LPARAM>(&text));
  SelectRow(row);
}

void CConfigDialog::RemoveSelectedItems() {
  if (MessageBoxA(Window(), kRemoveItemsQuestion, "Warning",
                  MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  std::vector<int> numbers;
  for (int row : rows) numbers.push_back(row + 1);
  settings::SettingsEdit edit(app_.Profile());
  if (contactMode_) {
    RemoveContacts(edit, numbers);
    Finish(edit.Commit());
    FillContactList();
    return;
  }
  const int menu = MenuNumberAt();
  RemoveItems(edit, menu, numbers);
  Finish(edit.Commit());
  FillItemList(menu);
}

void CConfigDialog::MoveItemUp() {
  const int row = FirstSelectedRow();
  if (row <= 0) return;
  settings::SettingsEdit edit(app_.Profile());
  const bool swapped = contactMode_ ? SwapContactWithNext(edit, row)
                                    : SwapWithNext(edit, MenuNumberAt(), row);
  if (!swapped) return;
  if (!Finish(edit.Commit())) return;
  SwapRows(row - 1, row);
  SelectRow(row - 1);
  EnableWindow(Item(IDC_ITEM_DOWN), TRUE);
}

void CConfigDialog::MoveItemDown() {
  const int row = FirstSelectedRow();
  if (row < 0) return;
  settings::SettingsEdit edit(app_.Profile());
  const bool swapped = contactMode_ ? SwapContactWithNext(edit, row + 1)
                                    : SwapWithNext(edit, MenuNumberAt(), row + 1);
  if (!swapped) return;
  if (!Finish(edit.Commit())) return;
  SwapRows(row, row + 1);
  SelectRow(row + 1);
  EnableWindow(Item(IDC_ITEM_UP), TRUE);
}

void CConfigDialog::BrowseProgram() {
  const std::optional<std::string> path =
      ChooseFile(Window(), kProgramFilter, "Browse for a program you want to add");
  if (!path) return;
  SetDlgItemTextA(Window(), IDC_LOCATION, path->c_str());
  SetDlgItemTextA(Window(), IDC_DESCRIPTION, BrowsedDescription(*path).c_str());
}

void CConfigDialog::BrowseFolder() {
  const std::optional<std::string> path =
      ChooseFolder(Window(), "Browse for a folder you want to add.");
  if (!path) return;
  if (IsDlgButtonChecked(Window(), IDC_ADD_DIRECTORY) == BST_CHECKED) {
    AddDirectoryContents(*path);
    return;
  }
  SetDlgItemTextA(Window(), IDC_LOCATION, path->c_str());
  SetDlgItemTextA(Window(), IDC_DESCRIPTION, FolderDescription(*path).c_str());
}

void CConfigDialog::OnItemRightClicked() {
  if (FirstSelectedRow() < 0) return;
  win32::UniqueMenu menu(LoadMenuA(Resources(), MAKEINTRESOURCEA(IDM_ITEM_MENU)));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu.get(), 0);
  // The "Send to" popup changes owner: the item popup destroys it.
  HMENU sendTo = GetSubMenu(menu.get(), 1);
  ::RemoveMenu(menu.get(), 1, MF_BYPOSITION);
  win32::UniqueMenu sendToOwner(sendTo);
  DeleteMenu(sendTo, IDM_SEND_TO_PLACEHOLDER, MF_BYCOMMAND);
  if (contactMode_) {
    DeleteMenu(popup, IDM_CHANGE_ICON, MF_BYCOMMAND);
    DeleteMenu(popup, IDM_DEFAULT_ICON, MF_BYCOMMAND);
  } else {
    // Only menus the launcher shows take items: one sent elsewhere would
    // vanish from sight.
    const int current = MenuNumberAt();
    std::vector<MenuLine> menus = ReadMenuList(app_.Profile());
    std::sort(menus.begin(), menus.end(),
              [](const MenuLine& a, const MenuLine& b) { return a.number < b.number; });
    for (const MenuLine& line : menus) {
      if (line.number == current) continue;
      AppendMenuA(sendTo, MF_STRING, static_cast<UINT_PTR>(line.number),
                  line.name.c_str());
    }
    AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(sendToOwner.release()),
                "Send to");
  }
  POINT at{};
  GetCursorPos(&at);
  const int command = static_cast<int>(TrackPopupMenu(
      popup, TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD, at.x, at.y, 0,
      GetAncestor(Window(), GA_ROOT), nullptr));
  switch (command) {
    case 0:
      return;
    case IDM_REMOVE_ITEMS:
      RemoveSelectedItems();
      return;
    case IDM_CHANGE_ICON:
      SetItemIcon(true);
      return;
    case IDM_DEFAULT_ICON:
      SetItemIcon(false);
      return;
    default:
      SendSelectedItemsTo(command);
      return;
  }
}

void CConfigDialog::SendSelectedItemsTo(int target) {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  const int menu = MenuNumberAt();
  settings::SettingsEdit edit(app_.Profile());
  std::vector<int> sent;
  for (int row : rows) {
    // An item that could not be copied stays where it is.
    if (CopyItemToMenu(edit, menu, target, row + 1)) sent.push_back(row + 1);
  }
  RemoveItems(edit, menu, sent);
  Finish(edit.Commit());
  if (sent.size() < rows.size()) {
    MessageBoxA(Window(), kItemCountDamaged, "Error", MB_OK | MB_ICONERROR);
  }
  FillItemList(menu);
}

void CConfigDialog::SetItemIcon(bool custom) {
  const int row = FirstSelectedRow();
  if (row < 0) return;
  const int menu = MenuNumberAt();
  std::string spec;
  if (custom) {
    const std::string program = ReadItem(app_.Profile(),
                                         settings::ProgramSection(menu), row + 1)
                                    .program;
    if (program.empty()) return;
    CChooseIconDialog dialog(Resources(), program);
    if (dialog.DoModal(Window()) != IDOK) return;
    spec = dialog.IconFile() + "," + std::to_string(dialog.IconIndex());
  }
  settings::SettingsEdit edit(app_.Profile());
  if (!configurator::SetItemIcon(edit, menu, row + 1, spec)) return;
  Finish(edit.Commit());
  FillItemList(menu);
}

}  // namespace vorlane::configurator
