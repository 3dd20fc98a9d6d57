#include "configurator/config_dialog/config_dialog_win32.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>

#include "config_ids.h"
#include "configurator/choose_icon_dialog/choose_icon_dialog_win32.h"
#include "configurator/config_app/config_app_win32.h"
#include "configurator/controls/file_dialogs_win32.h"
#include "configurator/item_list/contact_operations.h"
#include "configurator/item_list/item_operations.h"
#include "configurator/menu_list/menu_operations.h"
#include "configurator/menu_list/rename_menu_dialog_win32.h"
#include "settings/menu_edits.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"
#include "settings/stored_path_win32.h"
#include "win32/com_ptr.h"

namespace vorlane::configurator {
namespace {

using settings::kSettingsSection;

constexpr UINT_PTR kIconTimer = 1;
// Icons are looked up in slices this long, so that the dialog keeps
// answering while a long menu's images arrive.
constexpr auto kIconSlice = std::chrono::milliseconds(15);
constexpr int kImageGrowth = 50;

constexpr char kRemoveQuestion[] =
    "Are you sure you want to remove the selected menu?\rThis could take a few "
    "seconds so please have patience.";
constexpr char kProgramFilter[] =
    "Programs|*.exe; *.com|Text documents|*.txt; *.doc|Html documents|*.htm; "
    "*.html; *.js; *.css|Images|*.bmp; *.gif; *.jpg; *.jpeg; *.tga; *.tif; "
    "*.pcx|Sound files|*.wav; *.mp3; *.mod; *.xm; *.s3m; *.m3u|All Files "
    "(*.*)|*.*||";
constexpr char kRemoveItemsQuestion[] =
    "Are you sure you want to remove the selected item(s)?";
constexpr char kMissingFields[] = "Not all fields were filled out!";
constexpr char kItemCountDamaged[] =
    "The item count of this menu in the settings file holds a number that "
    "cannot be right, so nothing was added. Correct it in vorlane.ini.";
constexpr char kMenuCountDamaged[] =
    "MenuCount in the settings file holds a number that cannot be right, so "
    "no menu was added. Correct it in vorlane.ini.";

struct ButtonIcons {
  int id, hot, normal;
};
constexpr ButtonIcons kButtons[] = {
    {IDC_ADD_ITEM, IDI_CHECK, IDI_CHECK_GREY},
    {IDC_ADD_MENU, IDI_CHECK, IDI_CHECK_GREY},
    {IDC_SEPARATOR, IDI_DASHES, IDI_DASHES_GREY},
    {IDC_REMOVE_ITEM, IDI_CROSS, IDI_CROSS_GREY},
    {IDC_REMOVE_MENU, IDI_CROSS, IDI_CROSS_GREY},
    {IDC_CHANGE, IDI_TURN_ARROWS, IDI_TURN_ARROWS_GREY},
    {IDC_RENAME_MENU, IDI_TURN_ARROWS, IDI_TURN_ARROWS_GREY},
    {IDC_ITEM_UP, IDI_ARROW_UP, IDI_ARROW_UP_GREY},
    {IDC_MENU_UP, IDI_ARROW_UP, IDI_ARROW_UP_GREY},
    {IDC_ITEM_DOWN, IDI_ARROW_DOWN, IDI_ARROW_DOWN_GREY},
    {IDC_MENU_DOWN, IDI_ARROW_DOWN, IDI_ARROW_DOWN_GREY},
    {IDOK, IDI_DOOR, IDI_DOOR_GREY},
    {IDC_BROWSE_PROGRAM, IDI_FOLDER_PAGE, IDI_FOLDER_PAGE_GREY},
    {IDC_BROWSE_BATCH, IDI_FOLDER_PAGE, IDI_FOLDER_PAGE_GREY},
    {IDC_BROWSE_FOLDER, IDI_FOLDER_OPEN, IDI_FOLDER_OPEN_GREY},
    {IDC_EXPAND, 0, 0},
    {IDC_ADD_BATCH, 0, 0},
};

struct Tip {
  int id;
  const char* text;
};
constexpr Tip kTips[] = {
    {IDC_ITEM_LIST, "Displays the contents of the currently selected menu"},
    {IDC_ADD_ITEM, "Adds the currently entered program / description to the menu"},
    {IDC_REMOVE_ITEM, "Removes the currently selected item from the menu"},
    {IDC_ITEM_UP, "Moves the selected item one place up in the menu"},
    {IDC_ITEM_DOWN, "Moves the selected item one place down in the menu"},
    {IDC_MENU_UP, "Moves the selected menu one place up"},
    {IDC_MENU_DOWN, "Moves the selected menu one place down"},
    {IDC_CHANGE,
     "Change the selected item into currently entered program / description"},
    {IDC_BROWSE_PROGRAM, "Browse for a program you want to add"},
    {IDC_BROWSE_BATCH, "Browse for a program you want to add"},
    {IDC_BROWSE_FOLDER, "Browse for a folder you want to add"},
    {IDC_SEPARATOR, "Adds a separator to the menu"},
    {IDC_ADD_MENU, "Adds a submenu to the main Vorlane menu"},
    {IDC_REMOVE_MENU, "Removes the selected submenu including contents"},
    {IDC_RENAME_MENU, "Rename the selected submenu"},
    {IDC_ALWAYS_ON_TOP,
     "Select this option to make the config stay on top useful for drag and drop"},
    {IDC_OPEN_MIN, "Opens the program minimized"},
    {IDC_OPEN_MAX, "Opens the program maximized"},
    {IDC_OPEN_NORMAL, "Opens the program as it normally would"},
    {IDC_OPEN_HIDDEN, "Opens the program hidden"},
    {IDC_DESCRIPTION, "Enter description of program here"},
    {IDC_LOCATION, "Enter location of program here"},
    {IDC_PARAMETERS, "Enter additional parameters here"},
    {IDOK, "Exit"},
    {IDC_EXPAND, "Additional options"},
    {IDC_BATCH_LIST, "Add multiple programs to launch with one menuitem"},
    {IDC_ADD_BATCH, "Add program to batch list"},
    {IDC_BATCH_ENTRY, "Add program to batch list"},
    {IDC_ADD_DIRECTORY,
     "If a directory is added when this option is selected all files will be "
     "added."},
};

HICON ShellSmallIcon(const char* path, DWORD attributes, UINT extraFlags) {
  SHFILEINFOA info{};
  if (SHGetFileInfoA(path, attributes, &info, sizeof(info),
                     SHGFI_ICON | SHGFI_SMALLICON | extraFlags) == 0) {
    return nullptr;
  }
  return info.hIcon;
}

}  // namespace

CConfigDialog::CConfigDialog(CConfigApp& app)
    : Dialog(app.Instance(), IDD_CONFIG), app_(app) {}

BOOL CConfigDialog::OnInit() {
  RECT window{}, line{};
  GetWindowRect(Window(), &window);
  GetWindowRect(Item(IDC_FOLD_LINE), &line);
  unfoldedSize_ = {window.right - window.left + 1, window.bottom - window.top + 1};
  foldedSize_ = {window.right - window.left + 1, line.top - window.top};
  SetWindowPos(Window(), nullptr, 0, 0, foldedSize_.cx, foldedSize_.cy,
               SWP_NOMOVE | SWP_NOZORDER);
  SetDlgItemTextA(Window(), IDC_EXPAND, ">>");
  expanded_ = false;

  appIcon_ = LoadIconA(Resources(), MAKEINTRESOURCEA(IDI_CONFIG_PROGRAM));
  SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
  AttachButtons();
  SetUpTooltips();

  contactMode_ = false;
  CheckRadioButton(Window(), IDC_OPEN_MIN, IDC_OPEN_HIDDEN, IDC_OPEN_NORMAL);
  openMode_ = 0;

  HWND list = Item(IDC_ITEM_LIST);
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = 150;
  column.pszText = const_cast<char*>("Program List");
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  rowCount_ = 0;
  NewImageList();

  FillMenuList();
  OnMenuSelected();
  return TRUE;
}

void CConfigDialog::AttachButtons() {
  for (std::size_t i = 0; i < std::size(kButtons); ++i) {
    buttons_[i].Attach(Window(), kButtons[i].id);
    if (kButtons[i].hot != 0) {
      buttons_[i].SetIcons(Resources(), kButtons[i].hot, kButtons[i].normal);
    }
  }
}

void CConfigDialog::SetUpTooltips() {
  const int show = app_.GetProfileInt(kSettingsSection, settings::kShowTooltips.name,
                                      settings::kShowTooltips.fallback);
  if (!TooltipsWanted(show) || !tooltips_.Create(Window())) return;
  for (const Tip& tip : kTips) tooltips_.Add(tip.id, tip.text);
  tooltips_.SetInitialDelay(10);
  tooltips_.Activate();
}

bool CConfigDialog::OnCommand(int id, int notification) {
  switch (id) {
    case IDC_MENU_LIST:
      if (notification == LBN_SELCHANGE) OnMenuSelected();
      if (notification == LBN_DBLCLK) RenameMenu();
      return true;
    case IDC_ADD_ITEM:
      AddItem();
      return true;
    case IDC_SEPARATOR:
      AddSeparator();
      return true;
    case IDC_CHANGE:
      ChangeItem();
      return true;
    case IDC_REMOVE_ITEM:
      RemoveSelectedItems();
      return true;
    case IDC_ITEM_UP:
      MoveItemUp();
      return true;
    case IDC_ITEM_DOWN:
      MoveItemDown();
      return true;
    case IDC_BROWSE_PROGRAM:
      BrowseProgram();
      return true;
    case IDC_BROWSE_FOLDER:
      BrowseFolder();
      return true;
    case IDC_BROWSE_BATCH:
      BrowseBatchProgram();
      return true;
    case IDC_ADD_BATCH:
      AddBatchEntry();
      return true;
    case IDC_ADD_MENU:
      AddMenu();
      return true;
    case IDC_REMOVE_MENU:
      RemoveMenu();
      return true;
    case IDC_RENAME_MENU:
      RenameMenu();
      return true;
    case IDC_MENU_UP:
      MoveMenuUp();
      return true;
    case IDC_MENU_DOWN:
      MoveMenuDown();
      return true;
    case IDC_EXPAND:
      ToggleExpanded();
      return true;
    case IDC_ALWAYS_ON_TOP:
      SetAlwaysOnTop();
      return true;
    case IDC_OPEN_MIN:
    case IDC_OPEN_NORMAL:
    case IDC_OPEN_MAX:
    case IDC_OPEN_HIDDEN:
      openMode_ = id == IDC_OPEN_MIN ? 1 : id == IDC_OPEN_MAX ? 2
                : id == IDC_OPEN_HIDDEN ? 3 : 0;
      return true;
    default:
      return Dialog::OnCommand(id, notification);
  }
}

bool CConfigDialog::OnNotify(int id, const NMHDR& header, LRESULT& result) {
  if (id == IDC_ITEM_LIST && header.code == NM_CLICK) {
    OnItemClicked();
    result = 0;
    return true;
  }
  if (id == IDC_ITEM_LIST && header.code == NM_RCLICK) {
    OnItemRightClicked();
    result = 0;
    return true;
  }
  return false;
}

bool CConfigDialog::OnMessage(UINT message, WPARAM wParam, LPARAM,
                              INT_PTR& result) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kIconTimer) return false;
      LoadPendingIcons();
      result = TRUE;
      return true;
    case WM_PAINT:
      if (!IsIconic(Window())) return false;
      PaintMinimised();
      result = TRUE;
      return true;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<INT_PTR>(appIcon_);
      return true;
    default:
      return false;
  }
}

void CConfigDialog::PaintMinimised() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(Window(), &paint);
  SendMessageA(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  GetClientRect(Window(), &client);
  const int width = GetSystemMetrics(SM_CXICON);
  const int height = GetSystemMetrics(SM_CYICON);
  DrawIcon(dc, (client.right - width + 1) / 2, (client.bottom - height + 1) / 2,
           appIcon_);
  EndPaint(Window(), &paint);
}

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

void CConfigDialog::ApplyControls(const std::vector<ControlState>& controls) {
  for (const ControlState& control : controls) {
    EnableWindow(Item(control.id), control.enabled ? TRUE : FALSE);
  }
}

void CConfigDialog::SelectFirstRow() {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(Item(IDC_ITEM_LIST), LVM_SETITEMSTATE, 0,
               reinterpret_cast<LPARAM>(&item));
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

void CConfigDialog::NewImageList() {
  images_.reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, kImageGrowth));
  SendMessageA(Item(IDC_ITEM_LIST), LVM_SETIMAGELIST, LVSIL_SMALL,
               reinterpret_cast<LPARAM>(images_.get()));
}

int CConfigDialog::AppendImage(HICON icon) {
  return ImageList_ReplaceIcon(images_.get(), -1, icon);
}

void CConfigDialog::SetRowImage(int row, HICON icon) {
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iImage = AppendImage(icon);
  SendMessageA(Item(IDC_ITEM_LIST), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

// Rows and images are rebuilt together, and an image still on its way
// for a row that is gone is dropped.
void CConfigDialog::ClearRows() {
  SendMessageA(Item(IDC_ITEM_LIST), LVM_DELETEALLITEMS, 0, 0);
  pending_.clear();
  nextPending_ = 0;
  KillTimer(Window(), kIconTimer);
  if (rowCount_ != 0) {
    NewImageList();
    rowCount_ = 0;
  }
}

void CConfigDialog::FillItemList(int menu) {
  ClearRows();
  // One whole read of the section answers every key of the list.
  settings::SettingsEdit file(app_.Profile());
  const int count = ItemsToShow(file, menu);
  const std::string section = settings::ProgramSection(menu);
  HWND list = Item(IDC_ITEM_LIST);
  // A long menu is inserted in one go and painted once.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_SETITEMCOUNT, count, 0);
  for (int i = 1; i <= count; ++i) {
    const ItemFields item = ReadItem(file, section, i);
    const settings::IconSpec spec = settings::ParseIconSpec(item.icon);
    AddItemRow(item.program, item.description, !item.icon.empty(), spec.file,
               spec.index);
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  if (!pending_.empty()) SetTimer(Window(), kIconTimer, USER_TIMER_MINIMUM, nullptr);
}

void CConfigDialog::FillContactList() {
  ClearRows();
  settings::SettingsEdit file(app_.Profile());
  const int count = settings::ReadCount(file, settings::kContactCount);
  for (int j = 1; j <= count; ++j) {
    const Contact contact = ReadContact(file, j);
    AddContactRow(contact.name, contact.address);
  }
}

void CConfigDialog::AddContactRow(const std::string& name, const std::string& email) {
  const bool blank = name.empty() && email.empty();
  InsertRow(blank ? "" : name,
            LoadIconA(Resources(), MAKEINTRESOURCEA(blank ? IDI_DASHES : IDI_CONTACT)));
}

void CConfigDialog::InsertRow(const std::string& text, HICON image) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = rowCount_;
  item.iImage = image != nullptr ? AppendImage(image) : I_IMAGENONE;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(Item(IDC_ITEM_LIST), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  ++rowCount_;
}

bool CConfigDialog::CheckAddress(const std::string& address) {
  if (IsAcceptedAddress(address)) return true;
  MessageBoxA(Window(), kInvalidAddressText, kInvalidAddressCaption,
              MB_OK | MB_ICONINFORMATION);
  return false;
}

void CConfigDialog::AddItemRow(const std::string& location,
                               const std::string& description, bool iconGiven,
                               const std::string& iconFile, int iconIndex) {
  const RowLook look = ChooseRowLook(location, description, iconGiven);
  HICON image = nullptr;
  win32::UniqueIcon shell;
  switch (look.image) {
    case RowImage::Separator:
      image = LoadIconA(Resources(), MAKEINTRESOURCEA(IDI_DASHES));
      break;
    case RowImage::Batch:
      image = LoadIconA(Resources(), MAKEINTRESOURCEA(IDI_BATCH_PAGES));
      break;
    case RowImage::InternetShortcut:
      shell.reset(ShellSmallIcon("*.url", 0, SHGFI_USEFILEATTRIBUTES));
      if (shell) image = shell.get();
      break;
    case RowImage::GivenIcon:
    case RowImage::ShellIcon:
      // Looked up after the list is shown: the shell can take long.
      pending_.push_back(PendingRow{rowCount_, location, description, iconGiven,
                                   iconFile, iconIndex});
      break;
  }
  // A row whose image is still to come shows none until it arrives.
  InsertRow(look.text, image);
}

void CConfigDialog::LoadPendingIcons() {
  // A bad-item box runs its own message loop, which brings more ticks.
  if (reportingBadItem_) return;
  const auto end = std::chrono::steady_clock::now() + kIconSlice;
  while (nextPending_ < pending_.size() && std::chrono::steady_clock::now() < end) {
    const PendingRow pending = pending_[nextPending_++];
    ResolveRow(pending);
  }
  if (nextPending_ >= pending_.size()) {
    KillTimer(Window(), kIconTimer);
    pending_.clear();
    nextPending_ = 0;
  }
}

void CConfigDialog::ResolveRow(const PendingRow& pending) {
  win32::UniqueIcon icon;
  bool bad = false;
  if (pending.iconGiven) {
    HICON extracted = ExtractIconA(Resources(), pending.iconFile.c_str(),
                                   static_cast<UINT>(pending.iconIndex));
    // ExtractIcon answers 1 for a file that is no icon source at all.
    if (extracted != nullptr && extracted != reinterpret_cast<HICON>(1)) {
      icon.reset(extracted);
      bad = GetFileAttributesA(pending.location.c_str()) == INVALID_FILE_ATTRIBUTES;
    }
  }
  if (!icon && !bad) {
    const RowLook look = ChooseRowLook(pending.location, pending.description, false);
    if (look.image == RowImage::ShellIcon) {
      icon.reset(ShellSmallIcon(pending.location.c_str(), 0, 0));
      bad = !icon;
    } else if (look.image == RowImage::Batch) {
      SetRowImage(pending.row, LoadIconA(Resources(), MAKEINTRESOURCEA(IDI_BATCH_PAGES)));
      return;
    } else if (look.image == RowImage::InternetShortcut) {
      icon.reset(ShellSmallIcon("*.url", 0, SHGFI_USEFILEATTRIBUTES));
    } else {
      SetRowImage(pending.row, LoadIconA(Resources(), MAKEINTRESOURCEA(IDI_DASHES)));
      return;
    }
  }
  if (bad) {
    SetRowImage(pending.row, LoadIconA(Resources(), MAKEINTRESOURCEA(IDI_CROSS)));
    reportingBadItem_ = true;
    MessageBoxA(Window(), BadItemText(pending.description).c_str(), kAppTitle,
                MB_OK | MB_ICONINFORMATION);
    reportingBadItem_ = false;
    return;
  }
  if (icon) SetRowImage(pending.row, icon.get());
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

void CConfigDialog::ToggleExpanded() {
  const SIZE size = expanded_ ? foldedSize_ : unfoldedSize_;
  SetWindowPos(Window(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
  SetDlgItemTextA(Window(), IDC_EXPAND, expanded_ ? ">>" : "<<");
  expanded_ = !expanded_;
}

void CConfigDialog::SetAlwaysOnTop() {
  const bool onTop = IsDlgButtonChecked(Window(), IDC_ALWAYS_ON_TOP) == BST_CHECKED;
  SetWindowPos(Window(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | (onTop ? SWP_NOACTIVATE : 0));
}

bool CConfigDialog::Finish(bool written) {
  if (!written) app_.ReportWriteFailure(Window());
  return written;
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

std::string CConfigDialog::EditText(int id) const {
  const int length = GetWindowTextLengthA(Item(id));
  if (length <= 0) return {};
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(Item(id), text.data(), length + 1);
  return text.data();
}

void CConfigDialog::ShowMissingFields() {
  MessageBoxA(Window(), kMissingFields, "Error", MB_OK | MB_ICONERROR);
}

int CConfigDialog::FirstSelectedRow() const {
  return static_cast<int>(SendMessageA(Item(IDC_ITEM_LIST), LVM_GETNEXTITEM,
                                       static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::vector<int> CConfigDialog::SelectedRows() const {
  std::vector<int> rows;
  for (int row = FirstSelectedRow(); row >= 0;
       row = static_cast<int>(SendMessageA(Item(IDC_ITEM_LIST), LVM_GETNEXTITEM,
                                           row, LVNI_SELECTED))) {
    rows.push_back(row);
  }
  return rows;
}

void CConfigDialog::SelectRow(int row) {
  HWND list = Item(IDC_ITEM_LIST);
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(&item));
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
}

// Two rows trade text and image in place: rebuilding the list would look
// every icon up again and repeat every bad-item box.
void CConfigDialog::SwapRows(int row, int other) {
  HWND list = Item(IDC_ITEM_LIST);
  char texts[2][256] = {};
  LVITEMA items[2] = {};
  const int rows[2] = {row, other};
  for (int i = 0; i < 2; ++i) {
    items[i].mask = LVIF_TEXT | LVIF_IMAGE;
    items[i].iItem = rows[i];
    items[i].pszText = texts[i];
    items[i].cchTextMax = sizeof(texts[i]);
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&items[i]));
  }
  std::swap(items[0].iItem, items[1].iItem);
  for (LVITEMA& item : items) {
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  // An image still on its way goes to where its row went.
  for (PendingRow& pending : pending_) {
    if (pending.row == row) {
      pending.row = other;
    } else if (pending.row == other) {
      pending.row = row;
    }
  }
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
  if (!pending_.empty()) SetTimer(Window(), kIconTimer, USER_TIMER_MINIMUM, nullptr);
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

void CConfigDialog::BrowseBatchProgram() {
  const std::optional<std::string> path = ChooseFile(
      Window(), kProgramFilter, "Browse for a program you want to add to the batchlist");
  if (path) SetDlgItemTextA(Window(), IDC_BATCH_ENTRY, path->c_str());
}

void CConfigDialog::AddBatchEntry() {
  const std::string entry = EditText(IDC_BATCH_ENTRY);
  if (entry.empty()) return;
  SendMessageA(Item(IDC_BATCH_LIST), LB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(entry.c_str()));
  SetDlgItemTextA(Window(), IDC_BATCH_ENTRY, "");
  SetDlgItemTextA(Window(), IDC_LOCATION, "");
  EnableWindow(Item(IDC_LOCATION), FALSE);
}

std::string CConfigDialog::JoinBatchList() { return JoinBatch(TakeBatchList()); }

std::vector<std::string> CConfigDialog::TakeBatchList() {
  HWND list = Item(IDC_BATCH_LIST);
  std::vector<std::string> entries;
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const int length = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, i, 0));
    std::vector<char> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    entries.emplace_back(text.data());
  }
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  return entries;
}

namespace {

std::wstring Wide(const std::string& text) {
  const int needed = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), needed);
  wide.resize(wide.size() - 1);
  return wide;
}

// The target of a shell link; empty for anything that is no link.
std::wstring ResolveShortcut(const std::wstring& path) {
  win32::ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IShellLinkW, reinterpret_cast<void**>(link.put())))) {
    return {};
  }
  win32::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile,
                                  reinterpret_cast<void**>(file.put()))) ||
      FAILED(file->Load(path.c_str(), STGM_READ))) {
    return {};
  }
  std::vector<wchar_t> target(32768, L'\0');
  if (FAILED(link->GetPath(target.data(), static_cast<int>(target.size()), nullptr,
                           SLGP_UNCPRIORITY))) {
    return {};
  }
  return target.data();
}

}  // namespace

namespace {

// Every entry of the folder, files and folders alike, hidden ones too,
// without descending; in the order the file system gives them.
void CollectDirectoryContents(const std::string& path, std::vector<ItemFields>& entries) {
  const std::wstring folder = Wide(path);
  const std::wstring pattern =
      folder + (!folder.empty() && folder.back() == L'\\' ? L"*.*" : L"\\*.*");
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  const win32::UniqueFind owner(search);
  const std::wstring prefix = pattern.substr(0, pattern.size() - 3);
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    // A name the settings file cannot keep is passed over: storing it full
    // of "?" would make a batch of it.
    const std::optional<std::string> entry = settings::StorablePath(prefix + name);
    if (!entry) continue;
    entries.push_back(ItemFields{*entry, BrowsedDescription(*entry), "", "", 0});
  } while (FindNextFileW(search, &found));
}

}  // namespace

void CConfigDialog::AddDirectoryContents(const std::string& path) {
  std::vector<ItemFields> entries;
  CollectDirectoryContents(path, entries);
  AddItems(entries);
}

void CConfigDialog::AddItems(const std::vector<ItemFields>& entries) {
  if (entries.empty()) return;
  settings::SettingsEdit edit(app_.Profile());
  int lastRow = -1;
  bool rejected = false;
  bool full = false;
  if (contactMode_) {
    // The name field holds the location and the address field the
    // description, which a file's name rarely makes an address of. One
    // message per drop: a folder of thousands would otherwise ask for
    // thousands of clicks.
    for (const ItemFields& entry : entries) {
      if (!IsAcceptedAddress(entry.description)) {
        rejected = true;
        continue;
      }
      const std::optional<int> number =
          AddContact(edit, Contact{entry.program, entry.description});
      if (!number) {
        full = true;
        break;
      }
      lastRow = *number - 1;
    }
    if (!Finish(edit.Commit())) return;
    if (lastRow >= 0) FillContactList();
  } else {
    std::vector<std::string> batch;
    if (SendMessageA(Item(IDC_BATCH_LIST), LB_GETCOUNT, 0, 0) > 0) batch = TakeBatchList();
    const std::vector<ItemFields> added = AddFileItems(
        edit, MenuNumberAt(), entries, EditText(IDC_PARAMETERS), openMode_, batch);
    full = added.size() < entries.size();
    if (!Finish(edit.Commit())) return;
    HWND list = Item(IDC_ITEM_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (const ItemFields& item : added) {
      AddItemRow(item.program, item.description, false, "", 0);
      lastRow = rowCount_ - 1;
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    if (!pending_.empty()) SetTimer(Window(), kIconTimer, USER_TIMER_MINIMUM, nullptr);
  }
  if (lastRow >= 0) {
    for (int id : {IDC_PARAMETERS, IDC_DESCRIPTION, IDC_LOCATION}) {
      SetDlgItemTextA(Window(), id, "");
    }
    SelectRow(lastRow);
  }
  if (rejected) {
    MessageBoxA(Window(), kInvalidAddressText, kInvalidAddressCaption,
                MB_OK | MB_ICONINFORMATION);
  }
  if (full) MessageBoxA(Window(), kItemCountDamaged, "Error", MB_OK | MB_ICONERROR);
}

void CConfigDialog::OnDropFiles(HDROP drop) {
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(length);
    paths.push_back(std::move(path));
  }
  DragFinish(drop);
  // The whole drop is one edit, however many files it holds.
  const bool contents = IsDlgButtonChecked(Window(), IDC_ADD_DIRECTORY) == BST_CHECKED;
  std::vector<ItemFields> entries;
  for (std::wstring path : paths) {
    if (const std::wstring target = ResolveShortcut(path); !target.empty()) {
      path = target;
    }
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    const std::optional<std::string> stored = settings::StorablePath(path);
    if (!stored) continue;
    if (contents) {
      // A dropped file adds nothing here: its pattern finds nothing.
      CollectDirectoryContents(*stored, entries);
    } else {
      entries.push_back(ItemFields{*stored, DroppedDescription(*stored), "", "", 0});
    }
  }
  AddItems(entries);
}

}  // namespace vorlane::configurator
