#include "configurator/controls/window_placement_win32.h"

#include "configurator/controls/window_placement.h"

namespace vorlane::configurator {

void CentreOnPointerMonitor(HWND window) {
  POINT pointer{};
  RECT frame{};
  if (!GetCursorPos(&pointer) || !GetWindowRect(window, &frame)) return;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoA(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return;
  }
  const RECT& work = monitor.rcWork;
  const ScreenPoint corner =
      CentredOn({work.left, work.top, work.right, work.bottom}, frame.right - frame.left,
                frame.bottom - frame.top);
  SetWindowPos(window, nullptr, corner.x, corner.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vorlane::configurator
