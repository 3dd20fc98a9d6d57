// A small base for modal dialogs made from templates: the object rides in
// the window's user data from WM_INITDIALOG on, and each dialog overrides
// only the handlers it needs.
#pragma once

#include <windows.h>

namespace vorlane::win32 {

class Dialog {
 public:
  Dialog(HINSTANCE resources, int templateId)
      : resources_(resources), templateId_(templateId) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally; its end code, or -1 when it could not be made.
  INT_PTR DoModal(HWND parent = nullptr) {
    return DialogBoxParamA(resources_, MAKEINTRESOURCEA(templateId_), parent,
                           DialogProc, reinterpret_cast<LPARAM>(this));
  }

  HWND Window() const { return window_; }

 protected:
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
      switch (message) {
        case WM_INITDIALOG:
          return self->OnInit();
        case WM_COMMAND:
          return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        default:
          return FALSE;
      }
    } catch (...) {
      EndDialog(hwnd, -1);
      return TRUE;
    }
  }

  HINSTANCE resources_;
  int templateId_;
  HWND window_ = nullptr;
};

}  // namespace vorlane::win32
