// The dots per inch of the display something is drawn on. Windows 8.1 and
// later know a dpi per monitor; older Windows, and Wine, know one for the
// whole system. The per-monitor calls are looked up at run time, so that the
// programs still start where they are missing.
#pragma once

#include <windows.h>

namespace vorlane::win32 {

inline constexpr int kDefaultDpi = 96;

// The dpi every window of the session starts at: the display setting, as
// the process sees it.
inline int SystemDpi() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) {
    return kDefaultDpi;
  }
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultDpi;
}

// The dpi of `monitor`, or the system's where there is no per-monitor dpi.
inline int MonitorDpi(HMONITOR monitor) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const GetDpiForMonitorFn getDpiForMonitor = [] {
    HMODULE shcore = LoadLibraryA("shcore.dll");
    return shcore == nullptr
               ? nullptr
               : reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void*>(
                     GetProcAddress(shcore, "GetDpiForMonitor")));
  }();
  UINT x = 0, y = 0;
  constexpr int kEffectiveDpi = 0;
  if (monitor != nullptr && getDpiForMonitor != nullptr &&
      SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0) {
    return static_cast<int>(x);
  }
  return SystemDpi();
}

// The dpi of the monitor that holds `point` (screen coordinates).
inline int DpiAtPoint(POINT point) {
  return MonitorDpi(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

// The dpi a window is drawn at.
inline int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const GetDpiForWindowFn getDpiForWindow =
      reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (window != nullptr && getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(window); dpi > 0) {
      return static_cast<int>(dpi);
    }
  }
  return MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

// A size given at 96 dpi, at `dpi`.
inline int ScaleToDpi(int value, int dpi) {
  return MulDiv(value, dpi, kDefaultDpi);
}

}  // namespace vorlane::win32
