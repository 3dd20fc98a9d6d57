#include "menu_keys.h"

#include <cctype>

namespace vorlane::launcher {
namespace {
bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
}  // namespace

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char EntryLetter(std::string_view text) {
  for (char c : text) {
    if (!IsBlank(c)) return c;
  }
  return 0;
}

MenuCharAnswer AnswerMenuChar(const std::vector<char>& letters, int selected,
                              char typed, CaseFold fold) {
  if (typed == 0 || IsBlank(typed)) return {};
  const char letter = fold(typed);
  const int count = static_cast<int>(letters.size());
  int first = -1;
  int matches = 0;
  int next = -1;
  for (int position = 0; position < count; ++position) {
    const char own = letters[static_cast<std::size_t>(position)];
    if (own == 0 || fold(own) != letter) continue;
    ++matches;
    if (first < 0) first = position;
    if (next < 0 && position > selected) next = position;
  }
  if (matches == 0) return {};
  if (matches == 1) return {MenuCharAnswer::Action::Choose, first};
  return {MenuCharAnswer::Action::Select, next >= 0 ? next : first};
}

}  // namespace vorlane::launcher
