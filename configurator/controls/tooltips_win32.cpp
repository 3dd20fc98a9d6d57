#include "configurator/controls/tooltips_win32.h"

#include <commctrl.h>

namespace vorlane::configurator {

Tooltips::~Tooltips() {
  if (tooltip_ != nullptr && IsWindow(tooltip_)) DestroyWindow(tooltip_);
}

bool Tooltips::Create(HWND dialog) {
  dialog_ = dialog;
  tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, 0, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             dialog, nullptr, nullptr, nullptr);
  return tooltip_ != nullptr;
}

void Tooltips::Add(int controlId, const char* text) {
  HWND control = GetDlgItem(dialog_, controlId);
  if (tooltip_ == nullptr || control == nullptr) return;
  TOOLINFOA tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  // The control keeps its own copy of the text.
  tool.lpszText = const_cast<char*>(text);
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void Tooltips::SetInitialDelay(int milliseconds) {
  if (tooltip_ == nullptr) return;
  SendMessageA(tooltip_, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(milliseconds, 0));
}

void Tooltips::Activate() {
  if (tooltip_ != nullptr) SendMessageA(tooltip_, TTM_ACTIVATE, TRUE, 0);
}

bool TooltipsWanted(int showTooltips) { return showTooltips == 1; }

}  // namespace vorlane::configurator
