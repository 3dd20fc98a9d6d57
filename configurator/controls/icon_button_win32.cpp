#include "configurator/controls/icon_button_win32.h"

#include <windowsx.h>

#include <string>

#include "win32/dialog.h"
#include "win32/display_dpi.h"
#include "win32/shell_icon.h"

namespace vorlane::configurator {
namespace {

// Where a subclassed button keeps its object and the procedure it had
// before. The procedure stays until the window ends: when a later subclass
// sits on top of ours, ours cannot leave the chain, and must still forward
// after its object has gone.
constexpr char kObjectProperty[] = "Vorlane.IconButton";
constexpr char kPreviousProcProperty[] = "Vorlane.IconButton.Proc";

// Gap between the left edge and an icon that has a caption beside it; the
// caption's area starts as far right of the icon. Sizes at 96 dpi.
constexpr int kIconInset = 3;
constexpr int kIconSize = 16;
// The focus rectangle lies this far inside the edges, clear of the hot
// edge and just outside the icon.
constexpr int kFocusInset = 2;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

CIconButton* ObjectOf(HWND window) {
  return static_cast<CIconButton*>(GetPropA(window, kObjectProperty));
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void Fill(HDC dc, COLORREF colour, const RECT& area) {
  const win32::UniqueBrush brush(CreateSolidBrush(colour));
  if (brush) FillRect(dc, &area, brush.get());
}

// Edges `thickness` pixels wide: `upperLeft` along the left and top,
// `lowerRight` along the bottom and right, which owns the two corners where
// they meet. Raised with light above, sunken with shadow above.
void DrawEdges(HDC dc, const RECT& r, COLORREF upperLeft, COLORREF lowerRight,
               int thickness) {
  Fill(dc, upperLeft, {r.left, r.top, r.left + thickness, r.bottom});
  Fill(dc, upperLeft, {r.left, r.top, r.right, r.top + thickness});
  Fill(dc, lowerRight, {r.left, r.bottom - thickness, r.right, r.bottom});
  Fill(dc, lowerRight, {r.right - thickness, r.top, r.right, r.bottom});
}

// Lines and the pressed offset grow by whole pixels only, so that they stay
// sharp: one pixel up to 191 dpi, two from 192.
int WholePixels(int dpi) { return dpi >= 2 * win32::kDefaultDpi ? dpi / win32::kDefaultDpi : 1; }

}  // namespace

CMemoryDC::CMemoryDC(HDC target) : target_(target) {
  if (GetDeviceCaps(target, TECHNOLOGY) == DT_RASPRINTER) return;
  GetClipBox(target, &area_);
  memory_.reset(CreateCompatibleDC(target));
  bitmap_.reset(CreateCompatibleBitmap(target, Width(area_), Height(area_)));
  if (!memory_ || !bitmap_) {
    // Flicker is better than a button never painted.
    bitmap_.reset();
    memory_.reset();
    return;
  }
  previousBitmap_ = SelectObject(memory_.get(), bitmap_.get());
  SetWindowOrgEx(memory_.get(), area_.left, area_.top, nullptr);
}

CMemoryDC::~CMemoryDC() {
  if (!memory_) return;
  BitBlt(target_, area_.left, area_.top, Width(area_), Height(area_),
         memory_.get(), area_.left, area_.top, SRCCOPY);
  SelectObject(memory_.get(), previousBitmap_);
}

HDC CMemoryDC::Get() const { return memory_ ? memory_.get() : target_; }

CIconButton::CIconButton()
    : normalBackground_(GetSysColor(COLOR_BTNFACE)),
      normalText_(GetSysColor(COLOR_BTNTEXT)),
      hotBackground_(GetSysColor(COLOR_BTNFACE)),
      hotText_(GetSysColor(COLOR_BTNTEXT)) {}

CIconButton::~CIconButton() { Detach(); }

bool CIconButton::Attach(HWND dialog, int id, Caption caption) {
  Detach();
  HWND button = GetDlgItem(dialog, id);
  if (button == nullptr || ObjectOf(button) != nullptr) return false;

  // A button this class drove before may keep our procedure in its chain.
  auto previous =
      reinterpret_cast<WNDPROC>(GetPropA(button, kPreviousProcProperty));
  const bool chained = previous != nullptr;
  if (!chained) {
    previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(button, GWLP_WNDPROC));
    if (!SetPropA(button, kPreviousProcProperty,
                  reinterpret_cast<HANDLE>(previous))) {
      return false;
    }
  }
  if (!SetPropA(button, kObjectProperty, this)) {
    if (!chained) RemovePropA(button, kPreviousProcProperty);
    return false;
  }
  window_ = button;
  previousProc_ = previous;
  hot_ = false;
  caption_ = caption;
  focusCueHidden_ = (SendMessageA(button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
  if (!chained) {
    SetWindowLongPtrA(button, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(&ButtonProc));
  }

  // The kind of button becomes owner-drawn; the other bits of the low byte
  // stay.
  const auto style = static_cast<WPARAM>(GetWindowLongPtrA(button, GWL_STYLE));
  SendMessageA(button, BM_SETSTYLE,
               (style & 0xFF & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW,
               TRUE);
  return true;
}

void CIconButton::Detach() {
  if (window_ == nullptr) return;
  HWND window = window_;
  if (hot_ && GetCapture() == window) ReleaseCapture();
  RemovePropA(window, kObjectProperty);
  if (GetWindowLongPtrA(window, GWLP_WNDPROC) ==
      reinterpret_cast<LONG_PTR>(&ButtonProc)) {
    SetWindowLongPtrA(window, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(previousProc_));
    RemovePropA(window, kPreviousProcProperty);
  }
  window_ = nullptr;
  previousProc_ = nullptr;
  hot_ = false;
}

void CIconButton::SetIcons(HINSTANCE resources, int hotIconId,
                           int normalIconId) {
  resources_ = resources;
  hotIconId_ = hotIconId;
  normalIconId_ = normalIconId;
  LoadIcons();
}

void CIconButton::OnDpiChanged() {
  if (hotIconId_ != 0) LoadIcons();
}

void CIconButton::LoadIcons() {
  dpi_ = window_ != nullptr ? win32::WindowDpi(window_) : win32::SystemDpi();
  const int size = win32::ScaleToDpi(kIconSize, dpi_);
  hotIcon_.reset(win32::ResourceIconAtSize(resources_, hotIconId_, size));
  normalIcon_.reset(normalIconId_ != 0
                        ? win32::ResourceIconAtSize(resources_, normalIconId_, size)
                        : nullptr);
  iconWidth_ = 0;
  iconHeight_ = 0;
  ICONINFO info{};
  if (hotIcon_ && GetIconInfo(hotIcon_.get(), &info)) {
    // GetIconInfo hands out copies of the icon's bitmaps.
    const win32::UniqueBitmap mask(info.hbmMask);
    const win32::UniqueBitmap colour(info.hbmColor);
    // An icon's hot spot is its centre.
    iconWidth_ = static_cast<int>(2 * info.xHotspot);
    iconHeight_ = static_cast<int>(2 * info.yHotspot);
  }
  if (window_ != nullptr) {
    RedrawWindow(window_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
}

LRESULT CALLBACK CIconButton::ButtonProc(HWND hwnd, UINT message,
                                         WPARAM wParam, LPARAM lParam) {
  const auto previous =
      reinterpret_cast<WNDPROC>(GetPropA(hwnd, kPreviousProcProperty));
  if (previous == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  CIconButton* self = ObjectOf(hwnd);

  if (message == WM_NCDESTROY) {
    if (self != nullptr) {
      self->window_ = nullptr;
      self->previousProc_ = nullptr;
      self->hot_ = false;
    }
    RemovePropA(hwnd, kObjectProperty);
    RemovePropA(hwnd, kPreviousProcProperty);
    if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) ==
        reinterpret_cast<LONG_PTR>(&ButtonProc)) {
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
  }
  if (self == nullptr) {
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
  }

  // Nothing may unwind through the platform's message dispatch. After the
  // standard processing the object is looked up again: a handler of the
  // dialog's may have ended it meanwhile.
  try {
    switch (message) {
      case WM_MOUSEMOVE: {
        const LRESULT result =
            CallWindowProcA(previous, hwnd, message, wParam, lParam);
        if ((self = ObjectOf(hwnd)) != nullptr) self->OnMouseMove(wParam, lParam);
        return result;
      }
      case WM_KILLFOCUS: {
        const LRESULT result =
            CallWindowProcA(previous, hwnd, message, wParam, lParam);
        if ((self = ObjectOf(hwnd)) != nullptr) self->OnKillFocus();
        return result;
      }
      case WM_UPDATEUISTATE: {
        const LRESULT result =
            CallWindowProcA(previous, hwnd, message, wParam, lParam);
        if ((self = ObjectOf(hwnd)) != nullptr) self->OnUpdateUiState(wParam);
        return result;
      }
      case WM_CAPTURECHANGED:
        self->OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return CallWindowProcA(previous, hwnd, message, wParam, lParam);
      case WM_LBUTTONDBLCLK:
        // An owner-drawn button reports a double click as BN_DOUBLECLICKED
        // instead of a second press; the dialogs expect two clicks.
        return CallWindowProcA(previous, hwnd, WM_LBUTTONDOWN, wParam, lParam);
      case win32::WM_REFLECTED_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item == nullptr || item->hwndItem != hwnd) break;
        self->DrawItem(*item);
        return TRUE;
      }
      default:
        break;
    }
  } catch (...) {
    return 0;
  }
  return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

// The button holds the mouse capture while it is hot, so that it hears of
// the pointer leaving.
void CIconButton::OnMouseMove(WPARAM keys, LPARAM position) {
  const bool leftDown = (keys & MK_LBUTTON) != 0;
  // A drag that began elsewhere does not light the button.
  if (leftDown && !hot_) return;

  const HWND active = GetActiveWindow();
  HWND owner = GetWindow(window_, GW_OWNER);
  if (owner == nullptr) owner = GetParent(window_);
  if (GetCapture() != window_ && active != nullptr && owner != nullptr) {
    hot_ = true;
    SetCapture(window_);
    InvalidateRect(window_, nullptr, TRUE);
    return;
  }

  // Client coordinates under the capture may be negative.
  POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  ClientToScreen(window_, &point);
  if (WindowFromPoint(point) == window_) return;

  if (hot_) {
    hot_ = false;
    InvalidateRect(window_, nullptr, TRUE);
  }
  // While the left button is down the capture belongs to the press.
  if (!leftDown && GetCapture() == window_) ReleaseCapture();
}

void CIconButton::OnKillFocus() {
  if (!hot_) return;
  hot_ = false;
  InvalidateRect(window_, nullptr, TRUE);
}

// The dialog tells its controls when the keyboard cues go (a dialog
// opened with the mouse) and come (the first Tab or Alt). The button keeps
// the focus cue's state as the system keeps a window's, and is painted
// again when it changed, as the system's own buttons are. Wine 8 keeps no
// such state for a window (WM_QUERYUISTATE stays 0) and shows the cues
// always, so there the button's own state is all there is.
void CIconButton::OnUpdateUiState(WPARAM wParam) {
  bool hidden = focusCueHidden_;
  if (LOWORD(wParam) == UIS_INITIALIZE) {
    hidden = (SendMessageA(window_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
  } else if ((HIWORD(wParam) & UISF_HIDEFOCUS) != 0 && LOWORD(wParam) == UIS_SET) {
    hidden = true;
  } else if ((HIWORD(wParam) & UISF_HIDEFOCUS) != 0 && LOWORD(wParam) == UIS_CLEAR) {
    hidden = false;
  }
  if (hidden == focusCueHidden_) return;
  focusCueHidden_ = hidden;
  InvalidateRect(window_, nullptr, TRUE);
}

// By now the capture belongs to `newCapture`: releasing it here would take
// it from whoever holds it, be that this button's own press or a menu or a
// drag elsewhere. A button without the capture cannot hear the pointer
// leave, so it stops being hot; the next move over it lights it again.
void CIconButton::OnCaptureChanged(HWND newCapture) {
  if (!hot_) return;
  if (newCapture != window_) hot_ = false;
  InvalidateRect(window_, nullptr, TRUE);
}

void CIconButton::DrawItem(const DRAWITEMSTRUCT& item) {
  const RECT& button = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool lit = hot_ || pressed;

  const CMemoryDC surface(item.hDC);
  const HDC dc = surface.Get();

  const win32::UniqueBrush background(
      CreateSolidBrush(lit ? hotBackground_ : normalBackground_));
  if (background) FillRect(dc, &button, background.get());

  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const int edge = WholePixels(dpi_);
  if (pressed) {
    DrawEdges(dc, button, shadow, light, edge);
  } else if (hot_) {
    DrawEdges(dc, button, light, shadow, edge);
  }

  RECT caption = button;
  const std::string text =
      caption_ == Caption::Painted ? WindowText(window_) : std::string();
  if (hotIcon_) {
    DrawIcon(dc, button, caption, !text.empty(), pressed, disabled);
  }
  if (!text.empty()) {
    DrawCaption(dc, caption, text.c_str(), static_cast<int>(text.size()),
                pressed, disabled);
  }
  const bool focusCue = (item.itemState & ODS_FOCUS) != 0 &&
                        (item.itemState & ODS_NOFOCUSRECT) == 0 && !focusCueHidden_;
  if (focusCue) {
    RECT focus = button;
    const int inset = kFocusInset * WholePixels(dpi_);
    InflateRect(&focus, -inset, -inset);
    DrawFocusRect(dc, &focus);
  }
}

void CIconButton::DrawIcon(HDC dc, const RECT& button, RECT& caption,
                           bool hasCaption, bool pressed, bool disabled) {
  RECT place = button;
  if (hasCaption) {
    const int inset = win32::ScaleToDpi(kIconInset, dpi_);
    place.left += inset;
    caption.left += iconWidth_ + inset;
  } else {
    place.left += (Width(place) - iconWidth_) / 2;
  }
  place.top += (Height(place) - iconHeight_) / 2;
  if (pressed) OffsetRect(&place, WholePixels(dpi_), WholePixels(dpi_));

  const HICON icon =
      hot_ || pressed || !normalIcon_ ? hotIcon_.get() : normalIcon_.get();
  DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0,
             place.left, place.top, Width(place), Height(place),
             DST_ICON | (disabled ? DSS_DISABLED : 0));
}

void CIconButton::DrawCaption(HDC dc, RECT caption, const char* text,
                              int length, bool pressed, bool disabled) {
  if (pressed) OffsetRect(&caption, WholePixels(dpi_), WholePixels(dpi_));
  const bool lit = hot_ || pressed;
  const auto font = reinterpret_cast<HFONT>(SendMessageA(window_, WM_GETFONT, 0, 0));
  const win32::SelectedObject selectedFont(dc, font);
  SetTextColor(dc, lit ? hotText_ : normalText_);
  SetBkColor(dc, lit ? hotBackground_ : normalBackground_);

  RECT measured = caption;
  DrawTextA(dc, text, length, &measured, DT_SINGLELINE | DT_CALCRECT);
  OffsetRect(&measured, (Width(caption) - Width(measured)) / 2,
             (Height(caption) - Height(measured)) / 2);
  SetBkMode(dc, TRANSPARENT);
  DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text),
             static_cast<WPARAM>(length), measured.left, measured.top,
             Width(measured), Height(measured),
             DST_PREFIXTEXT | (disabled ? DSS_DISABLED : 0));
}

}  // namespace vorlane::configurator
