// The item edits of the main dialog's buttons and the row's context menu,
// for program items and, in contact mode, for contacts.
#include "configurator/config_dialog/config_dialog_win32.h"

#include <algorithm>

#include "config_ids.h"
#include "configurator/choose_icon_dialog/choose_icon_dialog_win32.h"
#include "configurator/config_app/config_app_win32.h"
#include "configurator/controls/file_dialogs_win32.h"
#include "win32/shell_icon.h"
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

void CConfigDialog::SetShownRow(int row) {
  shownRow_ = row;
  // Change writes the fields over the row they came from, and no other.
  if (row < 0) EnableWindow(Item(IDC_CHANGE), FALSE);
}

void CConfigDialog::OnRowSelectionChanged() {
  const int row = FirstSelectedRow();
  if (row == shownRow_) return;
  if (row < 0) {
    SetShownRow(-1);
    return;
  }
  OnItemClicked();
}

void CConfigDialog::OnItemClicked() {
  const int row = FirstSelectedRow();
  if (row < 0) return;
  const int menu = MenuNumberAt();
  const int k = row + 1;
  settings::SettingsEdit file(app_.Profile(), settings::LockPurpose::Read);
  std::string location, description, parameters;
  int count = 0;
  int openMode = openMode_;
  bool expand = false;
  if (contactMode_) {
    count = settings::Read(file, kSettingsSection, settings::kContactCount);
    const Contact contact = ReadContact(file, k);
    location = contact.name;
    description = contact.address;
  } else {
    count = settings::Read(file, kSettingsSection, settings::kCount, menu);
    const ItemFields item = ReadItem(file, settings::ProgramSection(menu), k);
    location = item.program;
    description = item.description;
    parameters = item.parameters;
    openMode = item.openMode;
    expand = item.expand;
  }
  // Fields filled from a file that could not be read would show nothing
  // true; they keep what they held, and Change waits for a row.
  if (!ReadSucceeded(file)) {
    SetShownRow(-1);
    return;
  }
  currentMenu_ = menu;
  itemCount_ = count;
  openMode_ = openMode;
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
  CheckDlgButton(Window(), IDC_EXPAND_FOLDER, expand ? BST_CHECKED : BST_UNCHECKED);
  UpdateExpandFolder();
  shownRow_ = row;
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
    // The fields keep what was not stored, so that it can be tried again.
    if (!Finish(edit)) return;
    if (!number) {
      MessageBoxA(Window(), kItemCountDamaged, "Error", MB_OK | MB_ICONERROR);
      return;
    }
    for (int id : {IDC_PARAMETERS, IDC_DESCRIPTION, IDC_LOCATION}) {
      SetDlgItemTextA(Window(), id, "");
    }
    if (FillContactList()) SelectRow(*number - 1);
    return;
  }
  const bool batch = !batch_.empty();
  const std::optional<ItemFields> item = ItemFromFields(batch);
  if (!item) return;
  settings::SettingsEdit edit(app_.Profile());
  const std::optional<int> number =
      configurator::AddItem(edit, MenuNumberAt(), *item);
  // A list that shows what was not stored would mislead; the batch stays
  // for another try.
  if (!Finish(edit)) return;
  if (!number) {
    MessageBoxA(Window(), kItemCountDamaged, "Error", MB_OK | MB_ICONERROR);
    return;
  }
  if (batch) ClearBatchList();
  AddItemRow(item->program, item->description, false, "", 0);
  StartPendingIcons();
  for (int id : {IDC_PARAMETERS, IDC_DESCRIPTION, IDC_LOCATION}) {
    SetDlgItemTextA(Window(), id, "");
  }
  SelectRow(*number - 1);
  SetShownRow(-1);
}

void CConfigDialog::AddSeparator() {
  settings::SettingsEdit edit(app_.Profile());
  const std::optional<int> number =
      contactMode_ ? AddContact(edit, Contact{})
                   : configurator::AddSeparator(edit, MenuNumberAt());
  if (!Finish(edit)) return;
  if (!number) {
    MessageBoxA(Window(), kItemCountDamaged, "Error", MB_OK | MB_ICONERROR);
    return;
  }
  if (contactMode_) {
    FillContactList();
  } else {
    AddItemRow("", "", false, "", 0);
  }
}

void CConfigDialog::ChangeItem() {
  const int row = FirstSelectedRow();
  // The fields may hold another row's item, or another menu's.
  if (row < 0 || row != shownRow_) return;
  if (contactMode_) {
    const Contact contact{EditText(IDC_LOCATION), EditText(IDC_DESCRIPTION)};
    if (contact.name.empty() || contact.address.empty()) {
      ShowMissingFields();
      return;
    }
    if (!CheckAddress(contact.address)) return;
    settings::SettingsEdit edit(app_.Profile());
    ChangeContact(edit, row + 1, contact);
    if (!Finish(edit)) return;
    LVITEMA text{};
    text.pszText = const_cast<char*>(contact.name.c_str());
    SendMessageA(Item(IDC_ITEM_LIST), LVM_SETITEMTEXTA, row,
                 reinterpret_cast<LPARAM>(&text));
    SelectRow(row);
    return;
  }
  const std::optional<ItemFields> fields = ItemFromFields(false);
  if (!fields) return;
  const ItemFields& item = *fields;
  settings::SettingsEdit edit(app_.Profile());
  configurator::ChangeItem(edit, MenuNumberAt(), row + 1, item);
  if (!Finish(edit)) return;
  // The row shows the shell's icon of the new location until the list is
  // built again; its own icon, if any, comes back then.
  win32::UniqueIcon icon(win32::ShellIconAtSize(item.program.c_str(), 0, 0, imageSize_));
  if (icon) SetRowImage(row, icon.get());
  // A look-up still on its way belongs to the item as it is now.
  for (std::size_t i = nextPending_; i < pending_.size(); ++i) {
    if (pending_[i].row != row) continue;
    pending_[i].location = item.program;
    pending_[i].description = item.description;
  }
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
  const int menu = MenuNumberAt();
  if (contactMode_) {
    RemoveContacts(edit, numbers);
  } else {
    RemoveItems(edit, menu, numbers);
  }
  if (!Finish(edit)) return;
  if (contactMode_) {
    FillContactList();
  } else {
    FillItemList(menu);
  }
}

void CConfigDialog::MoveItemUp() {
  const int row = FirstSelectedRow();
  if (row <= 0) return;
  settings::SettingsEdit edit(app_.Profile());
  const bool swapped = contactMode_ ? SwapContactWithNext(edit, row)
                                    : SwapWithNext(edit, MenuNumberAt(), row);
  if (!Finish(edit) || !swapped) return;
  SwapRows(row - 1, row);
  // The fields go on showing the item they showed, now one row higher.
  const int shown = shownRow_ == row ? row - 1 : -1;
  SelectRow(row - 1);
  SetShownRow(shown);
  EnableWindow(Item(IDC_ITEM_DOWN), TRUE);
}

void CConfigDialog::MoveItemDown() {
  const int row = FirstSelectedRow();
  if (row < 0) return;
  settings::SettingsEdit edit(app_.Profile());
  const bool swapped = contactMode_ ? SwapContactWithNext(edit, row + 1)
                                    : SwapWithNext(edit, MenuNumberAt(), row + 1);
  if (!Finish(edit) || !swapped) return;
  SwapRows(row, row + 1);
  const int shown = shownRow_ == row ? row + 1 : -1;
  SelectRow(row + 1);
  SetShownRow(shown);
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
    settings::SettingsEdit file(app_.Profile(), settings::LockPurpose::Read);
    std::vector<MenuLine> menus = ReadMenuList(file);
    if (!ReadSucceeded(file)) return;
    file.Release();  // not held while the popup is open
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
  if (!Finish(edit)) return;
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
    settings::SettingsEdit file(app_.Profile(), settings::LockPurpose::Read);
    const std::string program =
        ReadItem(file, settings::ProgramSection(menu), row + 1).program;
    if (!ReadSucceeded(file) || program.empty()) return;
    file.Release();  // not held while the chooser is open
    CChooseIconDialog dialog(Resources(), program);
    if (dialog.DoModal(Window()) != IDOK) return;
    const std::optional<std::string> chosen =
        IconSpecOrSay(Window(), dialog.IconFile(), dialog.IconIndex());
    if (!chosen) return;
    spec = *chosen;
  }
  settings::SettingsEdit edit(app_.Profile());
  const bool set = configurator::SetItemIcon(edit, menu, row + 1, spec);
  if (!Finish(edit) || !set) return;
  FillItemList(menu);
}

std::optional<ItemFields> CConfigDialog::ItemFromFields(bool batch) {
  ItemFields item{"", EditText(IDC_DESCRIPTION), EditText(IDC_PARAMETERS), "",
                  openMode_, ExpandFolderChecked()};
  if (item.description.empty()) {
    ShowMissingFields();
    return std::nullopt;
  }
  if (batch) {
    item.program = JoinBatch(batch_);
    if (!FitsLocation(item.program)) {
      MessageBoxA(Window(), kBatchTooLong, "Error", MB_OK | MB_ICONERROR);
      return std::nullopt;
    }
  } else {
    const std::optional<std::string> location = LocationFrom(IDC_LOCATION);
    if (!location) return std::nullopt;
    item.program = *location;
  }
  if (item.program.empty()) {
    ShowMissingFields();
    return std::nullopt;
  }
  return item;
}

std::optional<std::string> CConfigDialog::LocationFrom(int editId) {
  HWND edit = Item(editId);
  const int length = GetWindowTextLengthW(edit);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  const std::wstring location = LocationTyped(text);
  if (location.empty()) return std::string();
  return StorablePathOrSay(Window(), location);
}

}  // namespace vorlane::configurator
