// "Vorlane menu configurator": the menus on the left, the selected menu's
// items in the middle, one item's fields below, and a batch area that folds
// away. Every change is written to the settings file at once.
//
// One class, its code kept by the area of the window it serves: the frame
// here, the menu list in menu_list/menu_list_win32.cpp, the item rows and
// their edits in item_list/ (item_rows, item_edits), the batch area in
// item_list/batch_list_win32.cpp and dropped files in
// item_list/dropped_files_win32.cpp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "configurator/config_dialog/config_view.h"
#include "configurator/controls/icon_button_win32.h"
#include "configurator/controls/tooltips_win32.h"
#include "configurator/item_list/item_operations.h"
#include "settings/settings_edit.h"
#include "win32/dialog.h"
#include "win32/handles.h"

namespace vorlane::configurator {

class CConfigApp;

struct ImageListTraits {
  using Handle = HIMAGELIST;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { ImageList_Destroy(h); }
};
using UniqueImageList = win32::UniqueHandle<ImageListTraits>;

class CConfigDialog final : public win32::Dialog {
 public:
  explicit CConfigDialog(CConfigApp& app);

  // The fills read the file once; when it cannot be read they say so and
  // leave the list as it was, and answer false.
  bool FillMenuList();
  int MenuNumberAt() const;
  bool FillItemList(int menu);
  void AddItemRow(const std::string& location, const std::string& description,
                  bool iconGiven, const std::string& iconFile, int iconIndex);
  bool FillContactList();
  void AddContactRow(const std::string& name, const std::string& email);
  void OnMenuSelected();
  void OnItemClicked();
  void ToggleExpanded();
  // The submenu box follows the location field: enabled only while it names
  // an existing folder, and unchecked whenever it is not.
  void UpdateExpandFolder();
  bool ExpandFolderChecked() const;

  void AddItem();
  void AddSeparator();
  void ChangeItem();
  void RemoveSelectedItems();
  void MoveItemUp();
  void MoveItemDown();
  void BrowseProgram();
  void BrowseFolder();
  void BrowseBatchProgram();
  void AddBatchEntry();
  void AddDirectoryContents(const std::string& path);
  // Files made items as Add would make them one after another, in one edit:
  // only the location and description of each entry are used.
  void AddItems(const std::vector<ItemFields>& entries);
  void OnItemRightClicked();
  void SetItemIcon(bool custom);

  void AddMenu();
  void RenameMenu();
  void MoveMenuUp();
  void MoveMenuDown();
  void RemoveMenu();

 private:
  // A row whose image waits for the shell or for its icon file. A row of a
  // list that was replaced before its turn came keeps its place in the
  // queue with row -1: it is still checked, and reported if it is bad.
  struct PendingRow {
    int row;
    std::string location;
    std::string description;
    bool iconGiven;
    std::string iconFile;
    int iconIndex;
  };

  BOOL OnInit() override;
  bool OnCommand(int id, int notification) override;
  bool OnNotify(int id, const NMHDR& header, LRESULT& result) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam,
                 INT_PTR& result) override;
  void OnDropFiles(HDROP drop) override;

  void AttachButtons();
  void SetUpTooltips();
  void SetAlwaysOnTop();
  void ApplyControls(const std::vector<ControlState>& controls);
  void SelectFirstRow();
  int SelectedMenuLine() const;
  int MenuLineCount() const;
  void ClearRows();
  // A new image list for the rows, at the window's dpi.
  void NewImageList();
  // A resource icon at the rows' image size; the caller owns it.
  HICON RowIcon(int id) const;
  int AppendImage(HICON icon);
  void SetRowImage(int row, HICON icon);
  // Starts the look-ups of the rows whose images are still to come.
  void StartPendingIcons();
  void LoadPendingIcons();
  void ResolveRow(const PendingRow& pending);
  // Ends an edit: when the file could not be read, or could not be
  // written, says so once and answers false; nothing of an edit that read
  // a failed picture is written.
  bool Finish(settings::SettingsEdit& edit);
  // Whether the reads of `file` succeeded; says so once when they did not.
  bool ReadSucceeded(settings::SettingsEdit& file);
  void PaintMinimised();
  void OnDpiChanged(int dpi, const RECT& suggested);
  std::string EditText(int id) const;
  // A location typed, pasted, browsed or queued in the batch area, in the
  // form the settings file keeps; nothing (after saying why) when it cannot
  // keep it.
  std::optional<std::string> LocationFrom(int editId);
  // The item the fields describe, with the batch list's entries as its
  // location when `batch`; nothing, after saying why, when a field is
  // missing or the location cannot be kept.
  std::optional<ItemFields> ItemFromFields(bool batch);
  void ShowMissingFields();
  int FirstSelectedRow() const;
  std::vector<int> SelectedRows() const;
  std::string RowText(int row) const;
  // Selects the row as a step of an edit: the fields keep what they show.
  void SelectRow(int row);
  void SwapRows(int row, int other);
  void SendSelectedItemsTo(int target);
  void InsertRow(const std::string& text, HICON image);
  bool CheckAddress(const std::string& address);
  // The fields show row `row` of the list from now on, or no row (-1):
  // Change acts only on the row they show.
  void SetShownRow(int row);
  // A selection the user moved (keys, clicks with Ctrl or Shift): the
  // fields follow it.
  void OnRowSelectionChanged();
  void ClearBatchList();

  static constexpr UINT_PTR kIconTimer = 1;
  static constexpr UINT WM_SELECTION_MOVED = WM_APP + 1;

  CConfigApp& app_;
  bool contactMode_ = false;
  int currentMenu_ = 0;
  int itemCount_ = 0;
  int openMode_ = 0;
  int rowCount_ = 0;
  // The menu numbers of the menu list's lines, as last read, and the line
  // whose rows the item list shows.
  std::vector<int> menuNumbers_;
  int shownMenuLine_ = 0;
  // The row whose item the fields show, or -1.
  int shownRow_ = -1;
  // Set while the dialog itself moves the row selection.
  bool selecting_ = false;
  bool selectionMovePosted_ = false;
  std::vector<std::string> batch_;
  UniqueImageList images_;
  int imageSize_ = 16;
  std::vector<PendingRow> pending_;
  std::size_t nextPending_ = 0;
  bool reportingBadItem_ = false;
  bool expanded_ = false;
  int dpi_ = 96;  // the one the window's sizes were last taken at
  SIZE foldedSize_{};
  SIZE unfoldedSize_{};
  HICON appIcon_ = nullptr;  // a shared resource icon: never destroyed
  std::array<CIconButton, 17> buttons_;
  Tooltips tooltips_;
};

}  // namespace vorlane::configurator
