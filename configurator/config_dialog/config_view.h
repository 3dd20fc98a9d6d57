// What the main dialog shows, decided without a window: the look of an
// item row and which controls a selection enables.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorlane::configurator {

// Where a row's image comes from.
enum class RowImage {
  GivenIcon,         // the item's own icon (Icon<i>)
  Batch,             // the batch picture
  InternetShortcut,  // the shell's icon of "*.url"
  ShellIcon,         // the shell's icon of the location
  Separator,
};

struct RowLook {
  RowImage image;
  std::string text;
  // Whether the location must exist on disk: with a given icon the row is
  // bad when it does not; with the shell's icon, when the shell knows no
  // icon for it.
  bool checked;
};

inline constexpr char kSeparatorRowText[] = "----------------------";

RowLook ChooseRowLook(std::string_view location, std::string_view description,
                      bool iconGiven);

std::string BadItemText(std::string_view description);

struct ControlState {
  int id;
  bool enabled;
};

// The controls that a selection in the menu list switches, and the mode it
// puts the dialog in. `entries` counts the lines with "Email Menu".
struct MenuSelectionView {
  bool contactMode;
  std::vector<ControlState> controls;
};
MenuSelectionView MenuSelectionControls(int position, int entries);

// The controls a click on row `row` switches; `separator` when the row's
// location and description are both empty.
std::vector<ControlState> ItemClickControls(bool contactMode, int row,
                                            int itemCount, bool separator);

// A location as typed or pasted: blanks around it dropped, and the quotes
// that Explorer's "Copy as path" puts around a path taken off.
std::wstring LocationTyped(std::wstring_view text);

// The radio button of an open mode; 0 for a mode that has none.
int OpenModeButton(int openMode);

}  // namespace vorlane::configurator
