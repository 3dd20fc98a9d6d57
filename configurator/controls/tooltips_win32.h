// The tooltips of a dialog's controls. A modal dialog's loop offers no step
// in which the dialog could relay the mouse messages to the tooltip
// control, so each tool subclasses its control (TTF_SUBCLASS) and the
// control relays its own messages.
#pragma once

#include <windows.h>

namespace vorlane::configurator {

class Tooltips {
 public:
  Tooltips() = default;
  ~Tooltips();
  Tooltips(const Tooltips&) = delete;
  Tooltips& operator=(const Tooltips&) = delete;

  // Creates the tooltip control of `dialog`; false when it cannot.
  bool Create(HWND dialog);
  void Add(int controlId, const char* text);
  // How long the pointer rests before a tip shows; the system's default
  // when never set.
  void SetInitialDelay(int milliseconds);
  void Activate();

  HWND Window() const { return tooltip_; }

 private:
  HWND dialog_ = nullptr;
  HWND tooltip_ = nullptr;
};

// The tooltip setting: tips only when ShowTooltips is exactly 1.
bool TooltipsWanted(int showTooltips);

}  // namespace vorlane::configurator
