#include "configurator/config_dialog/config_dialog_win32.h"

#include "config_ids.h"
#include "configurator/config_app/config_app_win32.h"
#include "configurator/controls/window_placement_win32.h"
#include "settings/settings_model.h"
#include "win32/display_dpi.h"

namespace vorlane::configurator {
namespace {

using settings::kSettingsSection;

constexpr int kColumnWidth = 150;  // at 96 dpi

// The browse buttons show only their icons; their window text names them.
constexpr auto kNameOnly = CIconButton::Caption::NameOnly;
struct ButtonIcons {
  int id, hot, normal;
  CIconButton::Caption caption = CIconButton::Caption::Painted;
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
    {IDC_BROWSE_PROGRAM, IDI_FOLDER_PAGE, IDI_FOLDER_PAGE_GREY, kNameOnly},
    {IDC_BROWSE_BATCH, IDI_FOLDER_PAGE, IDI_FOLDER_PAGE_GREY, kNameOnly},
    {IDC_BROWSE_FOLDER, IDI_FOLDER_OPEN, IDI_FOLDER_OPEN_GREY, kNameOnly},
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
    {IDC_EXPAND_FOLDER, "Shows the folder's contents as a submenu of the menu"},
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

}  // namespace

CConfigDialog::CConfigDialog(CConfigApp& app)
    : Dialog(app.Instance(), IDD_CONFIG, true), app_(app) {
  FollowAppModeInTitleBar();
}

BOOL CConfigDialog::OnInit() {
  dpi_ = win32::WindowDpi(Window());
  RECT window{}, line{};
  GetWindowRect(Window(), &window);
  GetWindowRect(Item(IDC_FOLD_LINE), &line);
  unfoldedSize_ = {window.right - window.left + 1, window.bottom - window.top + 1};
  foldedSize_ = {window.right - window.left + 1, line.top - window.top};
  SetWindowPos(Window(), nullptr, 0, 0, foldedSize_.cx, foldedSize_.cy,
               SWP_NOMOVE | SWP_NOZORDER);
  SetDlgItemTextA(Window(), IDC_EXPAND, ">>");
  expanded_ = false;
  CentreOnPointerMonitor(Window());

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
  column.cx = win32::ScaleToDpi(kColumnWidth, dpi_);
  column.pszText = const_cast<char*>("Program List");
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  rowCount_ = 0;
  NewImageList();

  if (FillMenuList()) OnMenuSelected();
  return TRUE;
}

void CConfigDialog::AttachButtons() {
  for (std::size_t i = 0; i < std::size(kButtons); ++i) {
    buttons_[i].Attach(Window(), kButtons[i].id, kButtons[i].caption);
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
    case IDC_LOCATION:
      if (notification != EN_CHANGE) return Dialog::OnCommand(id, notification);
      UpdateExpandFolder();
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
  if (id == IDC_ITEM_LIST && header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    const bool selection = (change.uChanged & LVIF_STATE) != 0 &&
                           ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) != 0;
    // One look once the list has settled: a click with Shift changes many
    // rows at once.
    if (selection && !selecting_ && !selectionMovePosted_) {
      selectionMovePosted_ = true;
      PostMessageA(Window(), WM_SELECTION_MOVED, 0, 0);
    }
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

bool CConfigDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam,
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
    case WM_SELECTION_MOVED:
      selectionMovePosted_ = false;
      OnRowSelectionChanged();
      result = TRUE;
      return true;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      // The dialog manager goes on to scale the controls and their fonts.
      return false;
    default:
      return false;
  }
}

// Moved to a display of another dpi. The rows are built again, as when
// their menu is chosen, so that every image is looked up at the new size.
void CConfigDialog::OnDpiChanged(int dpi, const RECT& suggested) {
  for (SIZE* size : {&foldedSize_, &unfoldedSize_}) {
    size->cx = MulDiv(size->cx, dpi, dpi_);
    size->cy = MulDiv(size->cy, dpi, dpi_);
  }
  dpi_ = dpi;
  SetWindowPos(Window(), nullptr, suggested.left, suggested.top,
               suggested.right - suggested.left, suggested.bottom - suggested.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (CIconButton& button : buttons_) button.OnDpiChanged();
  SendMessageA(Item(IDC_ITEM_LIST), LVM_SETCOLUMNWIDTH, 0,
               win32::ScaleToDpi(kColumnWidth, dpi));
  NewImageList();
  if (contactMode_ ? FillContactList() : FillItemList(MenuNumberAt())) SelectFirstRow();
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

void CConfigDialog::ApplyControls(const std::vector<ControlState>& controls) {
  for (const ControlState& control : controls) {
    EnableWindow(Item(control.id), control.enabled ? TRUE : FALSE);
  }
}

void CConfigDialog::ToggleExpanded() {
  const SIZE& size = expanded_ ? foldedSize_ : unfoldedSize_;
  SetWindowPos(Window(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
  SetDlgItemTextA(Window(), IDC_EXPAND, expanded_ ? ">>" : "<<");
  expanded_ = !expanded_;
}

void CConfigDialog::UpdateExpandFolder() {
  HWND location = Item(IDC_LOCATION);
  bool folder = false;
  if (!contactMode_ && IsWindowEnabled(location)) {
    const int length = GetWindowTextLengthW(location);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(location, text.data(), static_cast<int>(text.size()))));
    // Wide, so that a folder named outside the ANSI code page is found too;
    // the field is read the way Add reads it.
    const std::wstring path = LocationTyped(text);
    const DWORD attributes =
        path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    folder = attributes != INVALID_FILE_ATTRIBUTES &&
             (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  HWND box = Item(IDC_EXPAND_FOLDER);
  if (!folder) CheckDlgButton(Window(), IDC_EXPAND_FOLDER, BST_UNCHECKED);
  EnableWindow(box, folder ? TRUE : FALSE);
}

bool CConfigDialog::ExpandFolderChecked() const {
  return IsWindowEnabled(Item(IDC_EXPAND_FOLDER)) &&
         IsDlgButtonChecked(Window(), IDC_EXPAND_FOLDER) == BST_CHECKED;
}

void CConfigDialog::SetAlwaysOnTop() {
  const bool onTop = IsDlgButtonChecked(Window(), IDC_ALWAYS_ON_TOP) == BST_CHECKED;
  SetWindowPos(Window(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | (onTop ? SWP_NOACTIVATE : 0));
}

bool CConfigDialog::ReadSucceeded(settings::SettingsEdit& file) {
  if (!file.ReadFailed()) return true;
  // Other programs may change the file while the user reads the box.
  file.Release();
  app_.ReportReadFailure(Window());
  return false;
}

bool CConfigDialog::Finish(settings::SettingsEdit& edit) {
  // An edit computed from a picture the file did not give must not be
  // stored: it would write over what it could not see.
  if (!ReadSucceeded(edit)) return false;
  if (edit.Commit()) return true;
  app_.ReportWriteFailure(Window());
  return false;
}

std::string CConfigDialog::EditText(int id) const {
  const int length = GetWindowTextLengthA(Item(id));
  if (length <= 0) return {};
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(Item(id), text.data(), length + 1);
  return text.data();
}

}  // namespace vorlane::configurator
