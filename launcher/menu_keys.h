// What a letter typed in an open popup does. The platform cannot match
// letters against owner-drawn entries, whose text it never sees, so the
// launcher answers WM_MENUCHAR itself, as standard menus behave: an entry's
// letter is the first character of its text that shows; the only entry
// with the letter is chosen at once, and among several the next one after
// the selection is selected. Descriptions are shown exactly as stored, so
// "&" marks nothing: "Tom & Jerry" answers to T.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorlane::launcher {

// How letters are compared without regard to case. The launcher folds as
// the ANSI code page does ("ä" reaches "Äpfel"); plain ASCII otherwise.
using CaseFold = char (*)(char);
char AsciiUpper(char c);

// The entry's letter as stored; 0 when its text has none (separators, the
// banner, empty text).
char EntryLetter(std::string_view text);

struct MenuCharAnswer {
  enum class Action { Ignore, Select, Choose } action = Action::Ignore;
  int position = -1;  // the entry's position in the popup
};

// `letters` holds each entry's letter by position (0 for none); `selected`
// is the selected position, or -1.
MenuCharAnswer AnswerMenuChar(const std::vector<char>& letters, int selected,
                              char typed, CaseFold fold = AsciiUpper);

}  // namespace vorlane::launcher
