#include "config_view.h"

#include <initializer_list>

#include "config_ids.h"
#include "settings/settings_model.h"

namespace vorlane::configurator {
namespace {

bool Holds(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

void Set(std::vector<ControlState>& controls, std::initializer_list<int> ids,
         bool enabled) {
  for (int id : ids) controls.push_back(ControlState{id, enabled});
}

// The controls that edit a program item but not a contact.
constexpr std::initializer_list<int> kProgramOnly = {
    IDC_BROWSE_PROGRAM, IDC_BROWSE_FOLDER, IDC_OPEN_MIN, IDC_OPEN_NORMAL,
    IDC_OPEN_MAX, IDC_OPEN_HIDDEN, IDC_BROWSE_BATCH, IDC_BATCH_ENTRY,
    IDC_EXPAND, IDC_ADD_BATCH};

}  // namespace

RowLook ChooseRowLook(std::string_view location, std::string_view description,
                      bool iconGiven) {
  if (iconGiven) return RowLook{RowImage::GivenIcon, std::string(description), true};
  if (location.empty() && description.empty()) {
    return RowLook{RowImage::Separator, kSeparatorRowText, false};
  }
  const bool web = Holds(location, ".htm") || Holds(location, "http:") ||
                   Holds(location, "www.") || settings::BeginsWithUrlScheme(location);
  if (Holds(location, "?") || Holds(location, "http://") || web) {
    return RowLook{web ? RowImage::InternetShortcut : RowImage::Batch,
                   std::string(description), false};
  }
  return RowLook{RowImage::ShellIcon, std::string(description), true};
}

std::string BadItemText(std::string_view description) {
  return "There's a problem with this menuitem:\r\n" + std::string(description) +
         "\r\nPlease check if the item still exists on your PC.\r\nBad items "
         "are marked with a red cross.";
}

MenuSelectionView MenuSelectionControls(int position, int entries) {
  MenuSelectionView view{position == entries - 1, {}};
  if (view.contactMode) {
    Set(view.controls, {IDC_ADD_ITEM, IDC_LOCATION, IDC_DESCRIPTION}, true);
    Set(view.controls, {IDC_PARAMETERS}, false);
    Set(view.controls, kProgramOnly, false);
    Set(view.controls,
        {IDC_REMOVE_MENU, IDC_RENAME_MENU, IDC_MENU_UP, IDC_MENU_DOWN}, false);
    return view;
  }
  Set(view.controls, kProgramOnly, true);
  Set(view.controls, {IDC_RENAME_MENU}, true);
  const bool lastProgramMenu = position == entries - 2;
  Set(view.controls, {IDC_REMOVE_MENU}, position >= 1);
  Set(view.controls, {IDC_MENU_UP}, position >= 2);
  Set(view.controls, {IDC_MENU_DOWN}, position >= 1 && !lastProgramMenu);
  return view;
}

std::vector<ControlState> ItemClickControls(bool contactMode, int row,
                                            int itemCount, bool separator) {
  std::vector<ControlState> controls;
  Set(controls, {IDC_ITEM_DOWN}, row + 1 != itemCount);
  Set(controls, {IDC_ITEM_UP}, row != 0);
  if (separator) {
    Set(controls, {IDC_LOCATION, IDC_DESCRIPTION, IDC_PARAMETERS, IDC_CHANGE,
                   IDC_ADD_ITEM},
        false);
    Set(controls, kProgramOnly, false);
    return controls;
  }
  if (!contactMode) {
    Set(controls, {IDC_PARAMETERS}, true);
    Set(controls, kProgramOnly, true);
  }
  Set(controls, {IDC_LOCATION, IDC_DESCRIPTION, IDC_CHANGE, IDC_ADD_ITEM}, true);
  return controls;
}

std::wstring LocationTyped(std::wstring_view text) {
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
    text = text.substr(1, text.size() - 2);
  }
  return std::wstring(text);
}

int OpenModeButton(int openMode) {
  switch (openMode) {
    case 0: return IDC_OPEN_NORMAL;
    case 1: return IDC_OPEN_MIN;
    case 2: return IDC_OPEN_MAX;
    case 3: return IDC_OPEN_HIDDEN;
    default: return 0;
  }
}

}  // namespace vorlane::configurator
