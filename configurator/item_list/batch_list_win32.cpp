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
  const std::optional<std::string> entry = LocationFrom(IDC_BATCH_ENTRY);
  if (!entry || entry->empty()) return;
  std::vector<std::string> longer = batch_;
  longer.push_back(*entry);
  // A location cut by its reader would start something else.
  if (!FitsLocation(JoinBatch(longer))) {
    MessageBoxA(Window(), kBatchTooLong, "Error", MB_OK | MB_ICONERROR);
    return;
  }
  batch_ = std::move(longer);
  SendMessageA(Item(IDC_BATCH_LIST), LB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(entry->c_str()));
  SetDlgItemTextA(Window(), IDC_BATCH_ENTRY, "");
  SetDlgItemTextA(Window(), IDC_LOCATION, "");
  EnableWindow(Item(IDC_LOCATION), FALSE);
}

void CConfigDialog::ClearBatchList() {
  batch_.clear();
  SendMessageA(Item(IDC_BATCH_LIST), LB_RESETCONTENT, 0, 0);
}

}  // namespace vorlane::configurator
