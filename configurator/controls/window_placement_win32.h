#pragma once

#include <windows.h>

namespace vorlane::configurator {

// Moves `window` to the centre of the work area of the monitor under the
// mouse pointer: where the user is looking when a dialog opens.
void CentreOnPointerMonitor(HWND window);

}  // namespace vorlane::configurator
