#include "menu_keys.h"

#include <cctype>

namespace vorlane::launcher {
namespace {
char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
}  // namespace

char EntryLetter(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;  // a plain "&"
      continue;
    }
    return Upper(text[i + 1]);
  }
  // No marked letter: the first character that shows ("&&" shows one "&").
  for (char c : text) {
    if (!std::isspace(static_cast<unsigned char>(c))) return Upper(c);
  }
  return 0;
}

MenuCharAnswer AnswerMenuChar(const std::vector<char>& letters, int selected,
                              char typed) {
  const char letter = Upper(typed);
  const int count = static_cast<int>(letters.size());
  if (letter == 0 || std::isspace(static_cast<unsigned char>(letter))) return {};
  int first = -1;
  int matches = 0;
  int next = -1;
  for (int position = 0; position < count; ++position) {
    if (letters[static_cast<std::size_t>(position)] != letter) continue;
    ++matches;
    if (first < 0) first = position;
    if (next < 0 && position > selected) next = position;
  }
  if (matches == 0) return {};
  if (matches == 1) return {MenuCharAnswer::Action::Choose, first};
  return {MenuCharAnswer::Action::Select, next >= 0 ? next : first};
}

}  // namespace vorlane::launcher
