// What the options dialog decides without a window: the pause shown and
// stored, the radio buttons of OpenMenu and Theme, the font keys from the font
// dialog's answer, the registration tool's command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/hotkey.h"

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
// The radio button that Theme checks: a missing or damaged value checks
// "As Windows", as the launcher then follows Windows.
int ThemeButton(int theme);

// The font keys for a font chosen in the system's font dialog. The size
// stored is the chosen font's height, which the launcher makes its font
// with, so that the menu shows the size picked. The dialog shows a stored
// height only rounded to a size of its list, and a face it does not know
// as another face: what the user left as the dialog showed it keeps the
// stored value, so that OK without a change leaves every key as it was.
struct ChosenFont {
  std::string face;
  int height;           // the LOGFONT's, negative for a character height
  int pointSizeTenths;  // what the dialog reports
  int weight;
  bool italic;
  bool strikeOut;
  bool underline;
};
struct StoredFont {
  std::string face;
  int size;
};
// What the dialog showed when it opened; a size of -1 and an empty face
// when that is not known.
struct ShownFont {
  std::string face;
  int pointSizeTenths = -1;
};
struct FontKeys {
  std::string face;
  int size;
  int weight;
  int italic;
  int strikeOut;
  int underline;
};
FontKeys FontKeysFor(const ChosenFont& chosen, const StoredFont& stored,
                     const ShownFont& shown);

// A size as the font dialog's size box shows it ("10", "7.5"), in tenths
// of a point; nothing for text that is no size.
std::optional<int> PointSizeTenths(std::string_view text);

// What Save does with the hotkey field, given what the file holds (nothing
// when the key is absent). The file is written whenever it holds other text
// than the field would store, so that a value the launcher cannot use is
// mended by clearing the field; an empty field removes the key.
struct HotkeySave {
  enum class Action { Keep, Write, Remove, Refuse } action = Action::Keep;
  std::string value;  // Write: the text stored
  // Write: a hotkey other than the stored one, which the launcher holds;
  // whether another program holds it is to be seen first.
  bool tryFirst = false;
  settings::HotkeyProblem problem = settings::HotkeyProblem::kNone;  // Refuse
};
HotkeySave PlanHotkeySave(std::string_view typed,
                          const std::optional<std::string>& stored);

// "regsvr32.exe /s \"<library>\"", with "/u" to unregister: silent, as the
// options say themselves what came of it.
std::string RegistrationCommand(std::string_view library, bool unregister);

// What the options say when the box's click did not change what is
// registered: the tool's exit code, or nothing when it did not end in time.
std::string RegistrationFailureText(bool registering, std::string_view library,
                                    const std::optional<unsigned long>& exitCode);

// A file beside the program: `programPath` cut before its last "\", then
// "\" and `name`.
std::string BesideProgram(std::string_view programPath, std::string_view name);

}  // namespace vorlane::configurator
