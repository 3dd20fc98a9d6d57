// Plain Win32 popups with nothing of the launcher in them, shown by the
// benchmark itself so that the launcher's menus have something to be
// compared with: the cost the platform has anyway.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace vorlane::bench {

// One item of a plain popup.
struct BareItem {
  enum class Kind { Text, Separator, Submenu };
  Kind kind = Kind::Text;
  std::string text;
  int submenuItems = 0;  // Submenu: how many text items it holds
};
using BareLayout = std::vector<BareItem>;

BareItem TextItem(std::string text);
BareItem SeparatorItem();
BareItem SubmenuItem(std::string text, int items);

// A hidden window on a thread of its own that shows a plain popup on
// request, at the cursor, the way the launcher shows its own. TrackPopupMenu
// keeps its thread in the menu loop until the menu closes, and the thread
// that times the popup and drives it with keys has to stay free.
class BareMenuHost {
 public:
  BareMenuHost();
  ~BareMenuHost();
  BareMenuHost(const BareMenuHost&) = delete;
  BareMenuHost& operator=(const BareMenuHost&) = delete;

  bool Ready() const { return window_ != nullptr; }

  // Asks for the popup and returns at once; false when the request could
  // not be posted. `layout` has to outlive the popup.
  bool Show(const BareLayout& layout) const;

 private:
  HWND window_ = nullptr;
  std::thread thread_;
};

}  // namespace vorlane::bench
