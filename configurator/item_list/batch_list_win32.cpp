// The batch area: entries gathered one by one and joined into one item's
// location when it is added.
#include "configurator/config_dialog/config_dialog_win32.h"

#include "config_ids.h"
#include "configurator/controls/file_dialogs_win32.h"
#include "configurator/item_list/item_list_shared_win32.h"
#include "configurator/item_list/item_operations.h"

namespace vorlane::configurator {

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

}  // namespace vorlane::configurator
