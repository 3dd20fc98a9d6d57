#include "configurator/choose_icon_dialog/choose_icon_dialog_win32.h"

#include <shellapi.h>

#include "config_ids.h"
#include "configurator/controls/file_dialogs_win32.h"
#include "configurator/controls/window_placement_win32.h"
#include "win32/display_dpi.h"
#include "win32/handles.h"
#include "win32/shell_icon.h"

namespace vorlane::configurator {
namespace {

// Sizes at 96 dpi. The selection frame is two rings, 2 and 3 pixels in.
constexpr int kRowSize = 42;
constexpr int kIconSize = 32;
constexpr int kIconInset = 5;
constexpr int kFrameInset = 2;
constexpr int kFrameRings = 2;

HWND IconList(HWND dialog) { return GetDlgItem(dialog, IDC_ICON_LIST); }

void Frame(HDC dc, RECT row, int colourIndex, int dpi) {
  const win32::UniqueBrush brush(CreateSolidBrush(GetSysColor(colourIndex)));
  const int first = win32::ScaleToDpi(kFrameInset, dpi);
  const int rings = win32::ScaleToDpi(kFrameRings, dpi);
  for (int inset = first; inset < first + rings; ++inset) {
    RECT frame = row;
    InflateRect(&frame, -inset, -inset);
    FrameRect(dc, &frame, brush.get());
  }
}

}  // namespace

CChooseIconDialog::CChooseIconDialog(HINSTANCE resources, std::string iconFile)
    : Dialog(resources, IDD_CHOOSE_ICON), iconFile_(std::move(iconFile)) {
  FollowAppModeInTitleBar();
}

CChooseIconDialog::~CChooseIconDialog() = default;

BOOL CChooseIconDialog::OnInit() {
  CentreOnPointerMonitor(Window());
  dpi_ = win32::WindowDpi(Window());
  buttons_[0].Attach(Window(), IDOK);
  buttons_[0].SetIcons(Resources(), IDI_DISKETTE, IDI_DISKETTE_GREY);
  buttons_[1].Attach(Window(), IDCANCEL);
  buttons_[1].SetIcons(Resources(), IDI_DOOR, IDI_DOOR_GREY);
  iconIndex_ = 0;
  FillIconList(iconFile_);
  return TRUE;
}

bool CChooseIconDialog::OnCommand(int id, int notification) {
  if (id == IDC_ICON_BROWSE) {
    Browse();
    return true;
  }
  if (id == IDC_ICON_LIST && notification == LBN_SELCHANGE) {
    iconIndex_ = static_cast<int>(SendMessageA(IconList(Window()), LB_GETCURSEL, 0, 0));
    return true;
  }
  if (id == IDOK || id == IDCANCEL) ReleaseIcons();
  return Dialog::OnCommand(id, notification);
}

bool CChooseIconDialog::OnMessage(UINT message, WPARAM, LPARAM lParam,
                                  INT_PTR& result) {
  if (message == WM_MEASUREITEM) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (item->CtlID != IDC_ICON_LIST) return false;
    item->itemWidth = static_cast<UINT>(win32::ScaleToDpi(kRowSize, dpi_));
    item->itemHeight = static_cast<UINT>(win32::ScaleToDpi(kRowSize, dpi_));
    result = TRUE;
    return true;
  }
  if (message == WM_DESTROY) ReleaseIcons();
  return false;
}

void CChooseIconDialog::ReleaseIcons() {
  HWND list = IconList(Window());
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    DestroyIcon(reinterpret_cast<HICON>(SendMessageA(list, LB_GETITEMDATA, row, 0)));
  }
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
}

void CChooseIconDialog::FillIconList(const std::string& file) {
  iconFile_ = file;
  SetDlgItemTextA(Window(), IDC_ICON_FILE, file.c_str());
  ReleaseIcons();
  HWND list = IconList(Window());
  for (UINT index = 0; !file.empty(); ++index) {
    HICON icon = win32::FileIconAtSize(file.c_str(), static_cast<int>(index),
                                   win32::ScaleToDpi(kIconSize, dpi_));
    if (icon == nullptr) break;
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(icon));
  }
}

void CChooseIconDialog::Browse() {
  const std::optional<std::string> file =
      ChooseFile(Window(), "All Files (*.*)|*.*||", "Browse for a file containing icons");
  if (!file) return;
  FillIconList(*file);
  // An index the new file does not hold would name no icon at all: the
  // first icon is taken instead, and shown as chosen.
  const int rows = static_cast<int>(SendMessageA(IconList(Window()), LB_GETCOUNT, 0, 0));
  if (iconIndex_ >= rows) iconIndex_ = 0;
  SendMessageA(IconList(Window()), LB_SETCURSEL, rows > 0 ? iconIndex_ : -1, 0);
}

bool CChooseIconDialog::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID != IDC_ICON_LIST) return false;
  if (item.itemID == static_cast<UINT>(-1)) return true;
  if (item.itemAction & ODA_DRAWENTIRE) {
    const int inset = win32::ScaleToDpi(kIconInset, dpi_);
    const int size = win32::ScaleToDpi(kIconSize, dpi_);
    DrawIconEx(item.hDC, item.rcItem.left + inset, item.rcItem.top + inset,
               reinterpret_cast<HICON>(item.itemData), size, size, 0, nullptr, DI_NORMAL);
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  if (selected && (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
    Frame(item.hDC, item.rcItem, COLOR_HIGHLIGHT, dpi_);
  } else if (!selected && (item.itemAction & ODA_SELECT)) {
    Frame(item.hDC, item.rcItem, COLOR_WINDOW, dpi_);
  }
  return true;
}

}  // namespace vorlane::configurator
