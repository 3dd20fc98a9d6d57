#include <windows.h>

#include "launcher/launcher_state.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return vorlane::launcher::RunLauncher(instance);
}
