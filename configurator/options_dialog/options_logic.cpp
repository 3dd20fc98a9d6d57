#include "options_logic.h"

#include <algorithm>

#include "config_ids.h"

namespace vorlane::configurator {

int PauseSecondsShown(int batchPause) {
  if (batchPause > 10000) batchPause = 10000;
  if (batchPause < 500) batchPause = 1000;
  return batchPause / 1000;
}

int PauseToStore(int seconds) { return std::clamp(seconds, 1, 10) * 1000; }

int OpenMenuButton(int openMenu) {
  switch (openMenu) {
    case 0:
    case 1: return IDC_MOUSE_OVER;
    case 2: return IDC_LEFT_CLICK;
    case 3: return IDC_RIGHT_CLICK;
    case 4: return IDC_BOTH_CLICKS;
    default: return 0;
  }
}

FontKeys FontKeysFor(std::string_view face, int pointSizeTenths, int weight,
                     bool italic, bool strikeOut, bool underline) {
  return FontKeys{std::string(face), pointSizeTenths / -10, weight,
                  italic ? 1 : 0, strikeOut ? 1 : 0, underline ? 1 : 0};
}

std::string RegistrationCommand(std::string_view library, bool unregister) {
  return std::string(unregister ? "regsvr32.exe /u \"" : "regsvr32.exe \"") +
         std::string(library) + "\"";
}

std::string BesideProgram(std::string_view programPath, std::string_view name) {
  const std::size_t slash = programPath.rfind('\\');
  const std::string_view folder =
      slash == std::string_view::npos ? std::string_view(".") : programPath.substr(0, slash);
  return std::string(folder) + "\\" + std::string(name);
}

}  // namespace vorlane::configurator
