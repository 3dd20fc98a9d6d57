// A small base for modal dialogs made from templates: the object rides in
// the window's user data from WM_INITDIALOG on, and each dialog overrides
// only the handlers it needs.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "win32/system_theme.h"

namespace vorlane::win32 {

// WM_DRAWITEM sent on to the owner-drawn control it is for, so that a
// control class draws itself; the control answers TRUE when it drew.
inline constexpr UINT WM_REFLECTED_DRAWITEM = WM_APP + 0x2B;

class Dialog {
 public:
  // `wideControls` makes the dialog's controls Unicode windows: an edit of
  // an ANSI dialog keeps its text in the ANSI code page, so a name typed or
  // pasted outside it is lost before anybody reads it.
  Dialog(HINSTANCE resources, int templateId, bool wideControls = false)
      : resources_(resources), templateId_(templateId), wide_(wideControls) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally; its end code, or -1 when it could not be made.
  INT_PTR DoModal(HWND parent = nullptr) {
    if (wide_) {
      return DialogBoxParamW(resources_, MAKEINTRESOURCEW(templateId_), parent,
                             DialogProc, reinterpret_cast<LPARAM>(this));
    }
    return DialogBoxParamA(resources_, MAKEINTRESOURCEA(templateId_), parent,
                           DialogProc, reinterpret_cast<LPARAM>(this));
  }

  HWND Window() const { return window_; }

 protected:
  // From its creation on, the title bar is dark while the app mode chosen
  // in Windows is, and turns with the mode while the dialog is open. The
  // controls keep the look the system gives them. Called before DoModal.
  void FollowAppModeInTitleBar() { followAppMode_ = true; }
  // The title bar's colours asked of the system; systems without dark
  // title bars keep their own.
  virtual void ShowTitleBarDark(bool dark) { UseDarkTitleBar(window_, dark); }

  virtual BOOL OnInit() { return TRUE; }
  // A command from a control or the keyboard; true when handled.
  virtual bool OnCommand(int id, int notification) {
    (void)notification;
    if (id == IDOK) {
      OnOK();
      return true;
    }
    if (id == IDCANCEL) {
      OnCancel();
      return true;
    }
    return false;
  }
  virtual void OnOK() { EndDialog(window_, IDOK); }
  virtual void OnCancel() { EndDialog(window_, IDCANCEL); }
  // A notification from a common control; `result` is what the dialog
  // answers. True when handled.
  virtual bool OnNotify(int id, const NMHDR& header, LRESULT& result) {
    (void)id, (void)header, (void)result;
    return false;
  }
  virtual void OnDropFiles(HDROP drop) { DragFinish(drop); }
  // An owner-drawn control the dialog draws itself; false leaves it to the
  // control's own class.
  virtual bool OnDrawItem(const DRAWITEMSTRUCT& item) {
    (void)item;
    return false;
  }
  // Any other message; true (with the dialog procedure's answer in
  // `result`) when handled.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam,
                         INT_PTR& result) {
    (void)message, (void)wParam, (void)lParam, (void)result;
    return false;
  }

  HWND Item(int id) const { return GetDlgItem(window_, id); }
  HINSTANCE Resources() const { return resources_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                     LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
      self = reinterpret_cast<Dialog*>(lParam);
      self->window_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
    } else {
      self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) {
      return FALSE;
    }
    // Nothing may unwind through the platform's dialog loop.
    try {
      if (self->followAppMode_) self->FollowAppMode(message, lParam);
      switch (message) {
        case WM_INITDIALOG:
          return self->OnInit();
        case WM_COMMAND:
          return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_NOTIFY: {
          const auto* header = reinterpret_cast<const NMHDR*>(lParam);
          LRESULT result = 0;
          if (!self->OnNotify(static_cast<int>(header->idFrom), *header,
                              result)) {
            return FALSE;
          }
          SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
          return TRUE;
        }
        case WM_DRAWITEM: {
          const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
          if (item->CtlType == ODT_MENU) return FALSE;
          if (self->OnDrawItem(*item)) return TRUE;
          return SendMessageA(item->hwndItem, WM_REFLECTED_DRAWITEM, wParam,
                              lParam) != 0;
        }
        case WM_DROPFILES:
          self->OnDropFiles(reinterpret_cast<HDROP>(wParam));
          return TRUE;
        default: {
          INT_PTR result = FALSE;
          return self->OnMessage(message, wParam, lParam, result) ? result
                                                                  : FALSE;
        }
      }
    } catch (...) {
      EndDialog(hwnd, -1);
      return TRUE;
    }
  }

  // The title bar starts as the system's own, light one: it is asked for
  // only when dark.
  void FollowAppMode(UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG && AppsUseDarkMode()) {
      ShowTitleBarDark(true);
    } else if (message == WM_SETTINGCHANGE && SaysColourSetChangedHere(lParam)) {
      ShowTitleBarDark(AppsUseDarkMode());
      // Windows 10 shows a changed title bar of an open window only once
      // its frame is drawn again.
      SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                       SWP_FRAMECHANGED);
    }
  }
  // A dialog of wide controls hears the setting's name in wide characters.
  bool SaysColourSetChangedHere(LPARAM lParam) const {
    if (!wide_) return SaysColourSetChanged(lParam);
    const auto* area = reinterpret_cast<const wchar_t*>(lParam);
    return area != nullptr && lstrcmpiW(area, L"ImmersiveColorSet") == 0;
  }

  HINSTANCE resources_;
  int templateId_;
  bool wide_;
  bool followAppMode_ = false;
  HWND window_ = nullptr;
};

}  // namespace vorlane::win32
