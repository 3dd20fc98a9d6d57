// The flat push button with a small icon beside its caption that every
// configurator dialog uses, and the off-screen surface it paints through.
#pragma once

#include <windows.h>

#include "win32/handles.h"

namespace vorlane::configurator {

// Draws into an off-screen copy of the target's clip box and copies it to
// the target in one step when it goes out of scope; on a printer context it
// draws on the target directly.
class CMemoryDC {
 public:
  explicit CMemoryDC(HDC target);
  ~CMemoryDC();
  CMemoryDC(const CMemoryDC&) = delete;
  CMemoryDC& operator=(const CMemoryDC&) = delete;

  HDC Get() const;

 private:
  HDC target_;
  RECT area_{};
  win32::UniqueMemoryDc memory_;
  win32::UniqueBitmap bitmap_;
  HGDIOBJ previousBitmap_ = nullptr;
};

class CIconButton {
 public:
  CIconButton();
  ~CIconButton();
  CIconButton(const CIconButton&) = delete;
  CIconButton& operator=(const CIconButton&) = delete;

  // What the button's window text is: the caption painted beside the
  // icon, or only the button's name, which screen readers and
  // GetWindowText read while the icon stands alone.
  enum class Caption { Painted, NameOnly };

  // Subclasses the dialog's button `id` and makes it owner-drawn; false
  // when there is no such control.
  bool Attach(HWND dialog, int id, Caption caption = Caption::Painted);
  // Hot and normal icon from `resources`, at the size for the button's
  // dpi; a normalIconId of 0 uses the hot icon in both states.
  void SetIcons(HINSTANCE resources, int hotIconId, int normalIconId);
  // The window moved to a display of another dpi: icons and lines follow.
  void OnDpiChanged();

  HWND Window() const { return window_; }
  bool IsHot() const { return hot_; }

 private:
  static LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam,
                                     LPARAM lParam);
  // Hands the window back to the procedure it had before Attach.
  void Detach();
  void LoadIcons();
  void OnMouseMove(WPARAM keys, LPARAM position);
  void OnKillFocus();
  void OnUpdateUiState(WPARAM wParam);
  void OnCaptureChanged(HWND newCapture);
  void DrawItem(const DRAWITEMSTRUCT& item);
  void DrawIcon(HDC dc, const RECT& button, RECT& caption, bool hasCaption,
                bool pressed, bool disabled);
  void DrawCaption(HDC dc, RECT caption, const char* text, int length,
                   bool pressed, bool disabled);

  HWND window_ = nullptr;
  WNDPROC previousProc_ = nullptr;
  bool hot_ = false;
  Caption caption_ = Caption::Painted;
  bool focusCueHidden_ = false;
  HINSTANCE resources_ = nullptr;
  int hotIconId_ = 0;
  int normalIconId_ = 0;
  int dpi_ = 96;
  win32::UniqueIcon hotIcon_;
  win32::UniqueIcon normalIcon_;  // empty when the hot icon serves both
  int iconHeight_ = 0;
  int iconWidth_ = 0;
  COLORREF normalBackground_;
  COLORREF normalText_;
  COLORREF hotBackground_;
  COLORREF hotText_;
};

}  // namespace vorlane::configurator
