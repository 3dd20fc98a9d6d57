// What the options dialog decides without a window: the pause shown and
// stored, the radio button of OpenMenu, the font keys from the font
// dialog's answer, the registration tool's command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlane::configurator {

// Seconds shown for a stored BatchPause: above 10000 as 10000, below 500
// as 1000.
int PauseSecondsShown(int batchPause);
// BatchPause stored for the seconds typed (0 when the text is no number):
// kept within 1 .. 10 seconds.
int PauseToStore(int seconds);

// The radio button that OpenMenu checks (0 reads as "Mouse Over"); 0 for a
// value that checks none.
int OpenMenuButton(int openMenu);

// The font keys for a font chosen in the system's font dialog.
struct FontKeys {
  std::string face;
  int size;  // minus the point size
  int weight;
  int italic;
  int strikeOut;
  int underline;
};
FontKeys FontKeysFor(std::string_view face, int pointSizeTenths, int weight,
                     bool italic, bool strikeOut, bool underline);

// "regsvr32.exe \"<library>\"", with "/u" to unregister.
std::string RegistrationCommand(std::string_view library, bool unregister);

// A file beside the program: `programPath` cut before its last "\", then
// "\" and `name`.
std::string BesideProgram(std::string_view programPath, std::string_view name);

}  // namespace vorlane::configurator
