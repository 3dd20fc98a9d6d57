// Letters typed in an open popup, as standard menus answer them.
#include <gtest/gtest.h>

#include "launcher/menu_keys.h"

namespace vorlane::launcher {
namespace {

// Stored descriptions are shown as they stand: "&" marks no letter.
TEST(MenuLetters, TheFirstCharacterThatShowsAmpersandsIncluded) {
  EXPECT_EQ(EntryLetter("Notepad"), 'N');
  EXPECT_EQ(EntryLetter("Tom & Jerry"), 'T');
  EXPECT_EQ(EntryLetter("AT&T manual"), 'A');
  EXPECT_EQ(EntryLetter("my &Games"), 'm');
  EXPECT_EQ(EntryLetter("&Co"), '&');
  EXPECT_EQ(EntryLetter("  7-Zip"), '7');
  EXPECT_EQ(EntryLetter(""), 0);
  EXPECT_EQ(EntryLetter("   "), 0);
}

TEST(MenuLetters, TheOnlyEntryIsChosenAndSharedLettersStepThroughTheEntries) {
  // Notepad, (separator), Net, calc, news
  const std::vector<char> letters = {'N', 0, 'N', 'c', 'n'};
  using Action = MenuCharAnswer::Action;
  const MenuCharAnswer calc = AnswerMenuChar(letters, -1, 'c');
  EXPECT_EQ(calc.action, Action::Choose);
  EXPECT_EQ(calc.position, 3);

  EXPECT_EQ(AnswerMenuChar(letters, -1, 'n').position, 0);
  EXPECT_EQ(AnswerMenuChar(letters, -1, 'n').action, Action::Select);
  EXPECT_EQ(AnswerMenuChar(letters, 0, 'N').position, 2);
  EXPECT_EQ(AnswerMenuChar(letters, 2, 'N').position, 4);
  EXPECT_EQ(AnswerMenuChar(letters, 4, 'N').position, 0) << "wraps to the top";
  EXPECT_EQ(AnswerMenuChar(letters, 3, 'N').position, 4);

  EXPECT_EQ(AnswerMenuChar(letters, 0, 'x').action, Action::Ignore);
  EXPECT_EQ(AnswerMenuChar(letters, 0, ' ').action, Action::Ignore);
  EXPECT_EQ(AnswerMenuChar(letters, 0, 0).action, Action::Ignore) << "separators have none";
  EXPECT_EQ(AnswerMenuChar({}, -1, 'a').action, Action::Ignore);
}

}  // namespace
}  // namespace vorlane::launcher
