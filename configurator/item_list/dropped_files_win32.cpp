// Files and folders dropped on the main dialog, and a folder's entries
// added at once: each gathering becomes one edit.
#include "configurator/config_dialog/config_dialog_win32.h"

#include <shlobj.h>

#include "config_ids.h"
#include "configurator/config_app/config_app_win32.h"
#include "configurator/item_list/contact_operations.h"
#include "configurator/item_list/item_list_shared_win32.h"
#include "configurator/item_list/item_operations.h"
#include "settings/settings_edit.h"
#include "settings/stored_path_win32.h"
#include "win32/com_ptr.h"

namespace vorlane::configurator {

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
    const std::optional<std::string> entry = settings::StorablePath(prefix + name).text;
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
    if (!Finish(edit)) return;
    if (lastRow >= 0 && !FillContactList()) lastRow = -1;
  } else {
    if (!batch_.empty() && !FitsLocation(JoinBatch(batch_))) {
      MessageBoxA(Window(), kBatchTooLong, "Error", MB_OK | MB_ICONERROR);
      return;
    }
    const std::vector<ItemFields> added = AddFileItems(
        edit, MenuNumberAt(), entries, EditText(IDC_PARAMETERS), openMode_, batch_);
    full = added.size() < entries.size();
    if (!Finish(edit)) return;
    if (!added.empty() && !batch_.empty()) ClearBatchList();
    HWND list = Item(IDC_ITEM_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (const ItemFields& item : added) {
      AddItemRow(item.program, item.description, false, "", 0);
      lastRow = rowCount_ - 1;
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    StartPendingIcons();
  }
  if (lastRow >= 0) {
    for (int id : {IDC_PARAMETERS, IDC_DESCRIPTION, IDC_LOCATION}) {
      SetDlgItemTextA(Window(), id, "");
    }
    SelectRow(lastRow);
    SetShownRow(-1);
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
    const std::optional<std::string> stored = settings::StorablePath(path).text;
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
