// Paths and icon specifications as the settings file keeps them: whole when
// their reader takes them whole, else in their short form, else refused
// with the reason.
#include <gtest/gtest.h>

#include <string>

#include "settings/settings_names.h"
#include "settings/stored_path_win32.h"
#include "test_support.h"
#include "win32/handles.h"

namespace vorlane::settings {
namespace {

using Refusal = StoredText::Refusal;

std::wstring Widened(const std::string& text) { return std::wstring(text.begin(), text.end()); }

using test::ShortPathOf;

class StoredPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_LT(folder.Path().size(), 100u) << folder.Path();
  }
  void TearDown() override {
    if (!file_.empty()) DeleteFileA(file_.c_str());
    if (!subfolder_.empty()) RemoveDirectoryA(subfolder_.c_str());
  }

  // A file in a folder of a long name, its whole path `length` characters.
  std::string LongFile(std::size_t length) {
    subfolder_ = folder.File(std::string(length - folder.Path().size() - 7, 'd'));
    file_ = subfolder_ + "\\a.txt";
    EXPECT_EQ(file_.size(), length);
    EXPECT_TRUE(CreateDirectoryA(subfolder_.c_str(), nullptr));
    test::WriteTextFile(file_, "x");
    return file_;
  }

  // A path under the folder that names nothing, `length` characters long.
  std::string Missing(std::size_t length) const {
    return folder.File(std::string(length - folder.Path().size() - 1, 'm'));
  }

  test::TempFolder folder;
  std::string subfolder_, file_;
};

// The launcher starts what it reads with 254 characters: a path of 255 to
// 259 used to be stored whole and never started.
TEST_F(StoredPathTest, PathsTheLauncherStartsWholeAreKeptAsTheyAre) {
  const std::size_t limit = kProgramToLaunch.limit;
  const StoredText fits = StorablePath(Widened(Missing(limit)));
  EXPECT_EQ(fits.text, Missing(limit));
  EXPECT_EQ(fits.refusal, Refusal::None);

  for (std::size_t length : {limit + 1, std::size_t{259}, std::size_t{400}}) {
    const StoredText refused = StorablePath(Widened(Missing(length)));
    EXPECT_EQ(refused.text, std::nullopt) << length;
    EXPECT_EQ(refused.refusal, Refusal::TooLong) << length;
  }
}

TEST_F(StoredPathTest, LongerPathsThatExistAreKeptInTheirShortForm) {
  const std::string file = LongFile(258);
  const std::string shortForm = ShortPathOf(file);
  ASSERT_FALSE(shortForm.empty());
  ASSERT_LE(shortForm.size(), kProgramToLaunch.limit);
  const StoredText stored = StorablePath(Widened(file));
  EXPECT_EQ(stored.text, shortForm);
  EXPECT_EQ(stored.refusal, Refusal::None);
}

// A name the ANSI code page cannot hold, and no file to take a short name
// from: refused for its characters, however long it is.
TEST_F(StoredPathTest, CharactersWithoutAShortFormAreTheReason) {
  const std::wstring name = L"\u0416\u0443\u043a";  // Zhuk
  BOOL lost = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, nullptr, 0,
                      nullptr, &lost);
  if (!lost) GTEST_SKIP() << "the ANSI code page " << GetACP() << " holds it";
  for (const std::wstring& path : {Widened(folder.Path()) + L"\\" + name,
                                   Widened(Missing(300)) + name}) {
    const StoredText refused = StorablePath(path);
    EXPECT_EQ(refused.text, std::nullopt);
    EXPECT_EQ(refused.refusal, Refusal::Characters);
  }
}

// The item icon reader takes 259 characters of "file,index".
TEST_F(StoredPathTest, IconSpecificationsFitTheIconReader) {
  const std::string exact = Missing(kItemIcon.limit - 3);
  EXPECT_EQ(StorableIconSpec(exact, 12).text, exact + ",12");
  EXPECT_EQ(StorableIconSpec("C:\\i.dll", -3).text, "C:\\i.dll,-3");

  const StoredText missing = StorableIconSpec(exact, 123);
  EXPECT_EQ(missing.text, std::nullopt);
  EXPECT_EQ(missing.refusal, Refusal::TooLong);

  const std::string file = LongFile(255);
  const std::string shortForm = ShortPathOf(file);
  ASSERT_FALSE(shortForm.empty());
  EXPECT_EQ(StorableIconSpec(file, 3).text, file + ",3");
  const StoredText shortened = StorableIconSpec(file, 12345);
  EXPECT_EQ(shortened.text, shortForm + ",12345");
  EXPECT_EQ(shortened.refusal, Refusal::None);
}

}  // namespace
}  // namespace vorlane::settings
