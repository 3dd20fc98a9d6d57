#include <windows.h>

#include "configurator/config_app/config_app_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  vorlane::configurator::CConfigApp app(instance);
  return app.Run(GetCommandLineA());
}
