// What a letter typed in an open popup does. The platform cannot match
// letters against owner-drawn entries, whose text it never sees, so the
// launcher answers WM_MENUCHAR itself, as standard menus behave: an entry's
// letter is the one after "&" in its text ("&&" is a plain "&"), else its
// first character; the only entry with the letter is chosen at once, and
// among several the next one after the selection is selected.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorlane::launcher {

// The entry's letter, upper-cased; 0 when its text has none (separators,
// the banner, empty text).
char EntryLetter(std::string_view text);

struct MenuCharAnswer {
  enum class Action { Ignore, Select, Choose } action = Action::Ignore;
  int position = -1;  // the entry's position in the popup
};

// `letters` holds each entry's letter by position (0 for none); `selected`
// is the selected position, or -1.
MenuCharAnswer AnswerMenuChar(const std::vector<char>& letters, int selected,
                              char typed);

}  // namespace vorlane::launcher
