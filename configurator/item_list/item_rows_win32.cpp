// The rows of the item list: program items and contacts, their images
// looked up after the list is shown, and the selection.
#include "configurator/config_dialog/config_dialog_win32.h"

#include <chrono>

#include "config_ids.h"
#include "configurator/config_app/config_app_win32.h"
#include "configurator/item_list/contact_operations.h"
#include "configurator/item_list/item_list_shared_win32.h"
#include "configurator/menu_list/menu_operations.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"
#include "win32/display_dpi.h"
#include "win32/shell_icon.h"

namespace vorlane::configurator {
namespace {

// Icons are looked up in slices this long, so that the dialog keeps
// answering while a long menu's images arrive.
constexpr auto kIconSlice = std::chrono::milliseconds(15);
constexpr int kImageGrowth = 50;
constexpr int kRowImageSize = 16;  // at 96 dpi

}  // namespace

// The first row is selected for the keyboard's sake; the fields show no
// row until one is chosen.
void CConfigDialog::SelectFirstRow() {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  selecting_ = true;
  SendMessageA(Item(IDC_ITEM_LIST), LVM_SETITEMSTATE, 0,
               reinterpret_cast<LPARAM>(&item));
  selecting_ = false;
  SetShownRow(-1);
}

void CConfigDialog::NewImageList() {
  imageSize_ = win32::ScaleToDpi(kRowImageSize, win32::WindowDpi(Window()));
  images_.reset(ImageList_Create(imageSize_, imageSize_, ILC_COLOR32 | ILC_MASK, 0,
                                 kImageGrowth));
  SendMessageA(Item(IDC_ITEM_LIST), LVM_SETIMAGELIST, LVSIL_SMALL,
               reinterpret_cast<LPARAM>(images_.get()));
}

HICON CConfigDialog::RowIcon(int id) const {
  return win32::ResourceIconAtSize(Resources(), id, imageSize_);
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

// Rows and images are rebuilt together. A row whose look-up had not come
// yet is still checked: every bad item is reported each time its menu is
// shown, however soon another menu replaces it.
void CConfigDialog::ClearRows() {
  selecting_ = true;
  SendMessageA(Item(IDC_ITEM_LIST), LVM_DELETEALLITEMS, 0, 0);
  selecting_ = false;
  SetShownRow(-1);
  std::vector<PendingRow> unchecked;
  for (std::size_t i = nextPending_; i < pending_.size(); ++i) {
    unchecked.push_back(pending_[i]);
    unchecked.back().row = -1;
  }
  pending_ = std::move(unchecked);
  nextPending_ = 0;
  if (rowCount_ != 0) {
    NewImageList();
    rowCount_ = 0;
  }
}

bool CConfigDialog::FillItemList(int menu) {
  // One whole read of the section answers every key of the list.
  settings::SettingsEdit file(app_.Profile(), settings::LockPurpose::Read);
  const int count = ItemsToShow(file, menu);
  if (!ReadSucceeded(file)) return false;
  ClearRows();
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
  StartPendingIcons();
  return true;
}

bool CConfigDialog::FillContactList() {
  settings::SettingsEdit file(app_.Profile(), settings::LockPurpose::Read);
  const int count = settings::ReadCount(file, settings::kContactCount);
  std::vector<Contact> contacts;
  for (int j = 1; j <= count; ++j) contacts.push_back(ReadContact(file, j));
  if (!ReadSucceeded(file)) return false;
  ClearRows();
  for (const Contact& contact : contacts) AddContactRow(contact.name, contact.address);
  StartPendingIcons();
  return true;
}

void CConfigDialog::AddContactRow(const std::string& name, const std::string& email) {
  const bool blank = name.empty() && email.empty();
  const win32::UniqueIcon image(RowIcon(blank ? IDI_DASHES : IDI_CONTACT));
  InsertRow(blank ? "" : name, image.get());
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

void CConfigDialog::AddItemRow(const std::string& location,
                               const std::string& description, bool iconGiven,
                               const std::string& iconFile, int iconIndex) {
  const RowLook look = ChooseRowLook(location, description, iconGiven);
  win32::UniqueIcon image;
  switch (look.image) {
    case RowImage::Separator:
      image.reset(RowIcon(IDI_DASHES));
      break;
    case RowImage::Batch:
      image.reset(RowIcon(IDI_BATCH_PAGES));
      break;
    case RowImage::InternetShortcut:
      image.reset(win32::ShellIconAtSize("*.url", 0, SHGFI_USEFILEATTRIBUTES, imageSize_));
      break;
    case RowImage::GivenIcon:
    case RowImage::ShellIcon:
      // Looked up after the list is shown: the shell can take long.
      pending_.push_back(PendingRow{rowCount_, location, description, iconGiven,
                                   iconFile, iconIndex});
      break;
  }
  // A row whose image is still to come shows none until it arrives.
  InsertRow(look.text, image.get());
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
    icon.reset(win32::FileIconAtSize(pending.iconFile.c_str(), pending.iconIndex, imageSize_));
    if (icon) {
      bad = GetFileAttributesA(pending.location.c_str()) == INVALID_FILE_ATTRIBUTES;
    }
  }
  if (!icon && !bad) {
    const RowLook look = ChooseRowLook(pending.location, pending.description, false);
    if (look.image == RowImage::ShellIcon) {
      icon.reset(win32::ShellIconAtSize(pending.location.c_str(), 0, 0, imageSize_));
      bad = !icon;
    } else if (look.image == RowImage::Batch) {
      if (pending.row >= 0) {
        SetRowImage(pending.row, win32::UniqueIcon(RowIcon(IDI_BATCH_PAGES)).get());
      }
      return;
    } else if (look.image == RowImage::InternetShortcut) {
      icon.reset(win32::ShellIconAtSize("*.url", 0, SHGFI_USEFILEATTRIBUTES, imageSize_));
    } else {
      if (pending.row >= 0) {
        SetRowImage(pending.row, win32::UniqueIcon(RowIcon(IDI_DASHES)).get());
      }
      return;
    }
  }
  if (pending.row < 0) {
    // The row is gone; only its report is due.
    if (!bad) return;
  } else if (bad) {
    SetRowImage(pending.row, win32::UniqueIcon(RowIcon(IDI_CROSS)).get());
  }
  if (bad) {
    reportingBadItem_ = true;
    MessageBoxA(Window(), BadItemText(pending.description).c_str(), kAppTitle,
                MB_OK | MB_ICONINFORMATION);
    reportingBadItem_ = false;
    return;
  }
  if (icon) SetRowImage(pending.row, icon.get());
}

void CConfigDialog::StartPendingIcons() {
  if (!pending_.empty()) SetTimer(Window(), kIconTimer, USER_TIMER_MINIMUM, nullptr);
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
  selecting_ = true;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(&item));
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  selecting_ = false;
  SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
}

std::string CConfigDialog::RowText(int row) const {
  std::vector<char> text(256, '\0');
  for (;;) {
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto copied = static_cast<std::size_t>(SendMessageA(
        Item(IDC_ITEM_LIST), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
    // A text that filled the buffer may have been cut.
    if (copied + 1 < text.size()) return std::string(text.data(), copied);
    text.assign(text.size() * 2, '\0');
  }
}

// Two rows trade text and image in place: rebuilding the list would look
// every icon up again and repeat every bad-item box.
void CConfigDialog::SwapRows(int row, int other) {
  HWND list = Item(IDC_ITEM_LIST);
  std::string texts[2] = {RowText(row), RowText(other)};
  LVITEMA items[2] = {};
  const int rows[2] = {row, other};
  for (int i = 0; i < 2; ++i) {
    items[i].mask = LVIF_IMAGE;
    items[i].iItem = rows[i];
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&items[i]));
  }
  std::swap(items[0].iItem, items[1].iItem);
  for (int i = 0; i < 2; ++i) {
    items[i].mask = LVIF_TEXT | LVIF_IMAGE;
    items[i].pszText = texts[i].data();
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&items[i]));
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

}  // namespace vorlane::configurator
