// The file's lock as an edit takes and lets go of it: from its first read to
// its commit, never longer, and an edit that could not have it writes
// nothing. Whether the lock keeps other processes out is shown under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ini_document.h"
#include "settings/settings_edit.h"
#include "settings/settings_lock.h"
#include "settings/settings_model.h"
#include "shellext/shellix_logic.h"

namespace vorlane::settings {
namespace {

TEST(SettingsLockName, IsTheFnv1aOfThePathWithAsciiLettersUpperCased) {
  // Figures computed apart from the product, so that a script written from
  // the README's rule finds the same name.
  EXPECT_EQ(SettingsLockName(""), "Local\\VorlaneSettings-cbf29ce484222325");
  EXPECT_EQ(SettingsLockName("C:\\Program Files\\Vorlane\\vorlane.ini"),
            "Local\\VorlaneSettings-3f95163220b197a3");
  EXPECT_EQ(SettingsLockName("c:\\program files\\vorlane\\VORLANE.INI"),
            "Local\\VorlaneSettings-3f95163220b197a3");
  // Only a-z are folded: a letter of the code page stays as its byte.
  EXPECT_EQ(SettingsLockName("C:\\\xe4.ini"), "Local\\VorlaneSettings-ac84b7c09ea2fc4c");
  EXPECT_EQ(SettingsLockName("C:\\\xc4.ini"), "Local\\VorlaneSettings-96c11afd2dafbeec");
}

// An in-memory file that tells what was done to it, in order, and answers
// each Lock with the outcome the test sets.
class RecordingStore final : public SettingsStore {
 public:
  explicit RecordingStore(IniDocument& doc) : doc_(doc) {}

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t limit) override {
    log.push_back("read " + std::string(key));
    return doc_.ReadString(section, key, fallback, limit);
  }
  int ReadInt(std::string_view section, std::string_view key, int fallback) override {
    log.push_back("read " + std::string(key));
    return doc_.ReadInt(section, key, fallback);
  }
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override {
    log.push_back("write " + std::string(key));
    return doc_.WriteString(section, key, value);
  }
  SectionRead ReadSection(std::string_view section) override {
    log.push_back("read [" + std::string(section) + "]");
    return doc_.ReadSection(section);
  }
  bool WriteSection(std::string_view section, std::string_view data) override {
    log.push_back("write [" + std::string(section) + "]");
    return doc_.WriteSection(section, data);
  }
  std::optional<std::set<std::string>> SectionsWithHiddenLines() override {
    return doc_.SectionsWithHiddenLines();
  }
  LockOutcome Lock(LockPurpose purpose) override {
    log.push_back(purpose == LockPurpose::Read ? "lock read" : "lock write");
    if (Holds(outcome)) ++held;
    return outcome;
  }
  void Unlock() override {
    log.push_back("unlock");
    --held;
  }

  LockOutcome outcome = LockOutcome::Taken;
  int held = 0;
  std::vector<std::string> log;

 private:
  IniDocument& doc_;
};

IniDocument TwoItems() {
  return IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\nMenuName1=Tools\n"
      "[Program1]\nCount1=2\nProgram1=a.exe\nDes1=A\nProgram2=b.exe\nDes2=B\n");
}

TEST(SettingsEditLock, HeldOnceFromTheFirstReadToTheCommit) {
  IniDocument doc = TwoItems();
  RecordingStore file(doc);
  {
    SettingsEdit edit(file);
    EXPECT_TRUE(file.log.empty()) << "an edit that has done nothing holds nothing";
    const int count = edit.ReadInt("Program1", "Count1", 0);
    edit.WriteString("Program1", "Program3", "c.exe");
    edit.WriteString("Program1", "Count1", std::to_string(count + 1));
    EXPECT_EQ(file.held, 1);
    ASSERT_TRUE(edit.Commit());
    EXPECT_EQ(file.held, 0);
    const std::vector<std::string> expected{"lock write", "read [Program1]",
                                            "write Program3", "write Count1", "unlock"};
    EXPECT_EQ(file.log, expected);
  }
  EXPECT_EQ(file.held, 0);
  EXPECT_EQ(doc.ReadString("Program1", "Count1", "", 9), "3");
}

TEST(SettingsEditLock, LetGoWhenTheEditEndsWithoutCommitOrIsReleased) {
  IniDocument doc = TwoItems();
  RecordingStore file(doc);
  {
    SettingsEdit edit(file, LockPurpose::Read);
    edit.ReadString("Settings", "MenuName1", "", 99);
    EXPECT_EQ(file.log.front(), "lock read");
    EXPECT_EQ(file.held, 1);
  }
  EXPECT_EQ(file.held, 0);

  // Released for a box or a popup, the edit takes the lock again for its
  // next read and sees what another program wrote in between.
  SettingsEdit edit(file, LockPurpose::Read);
  EXPECT_EQ(edit.ReadString("Settings", "MenuName1", "", 99), "Tools");
  edit.Release();
  EXPECT_EQ(file.held, 0);
  doc.WriteString("Settings", "MenuName1", "Games");
  EXPECT_EQ(edit.ReadString("Settings", "MenuName1", "", 99), "Games");
  EXPECT_EQ(file.held, 1);
  edit.Release();
  edit.Release();
  EXPECT_EQ(file.held, 0);
}

TEST(SettingsEditLock, AWriteOnlyEditTakesItBeforeItsFirstWrite) {
  IniDocument doc;
  RecordingStore file(doc);
  SettingsEdit edit(file);
  WriteDefaultFile(edit, "C:\\WINDOWS", false);
  EXPECT_EQ(file.log.front(), "lock write");
  ASSERT_TRUE(edit.Commit());
  EXPECT_EQ(file.log.back(), "unlock");
  EXPECT_EQ(file.held, 0);
  EXPECT_FALSE(doc.Sections().empty());
}

TEST(SettingsEditLock, AnEditThatWaitedInVainWritesNothing) {
  IniDocument doc = TwoItems();
  const std::string before = doc.Text();
  RecordingStore file(doc);
  file.outcome = LockOutcome::TimedOut;
  SettingsEdit edit(file);
  // Its reads still answer, from a picture another program may be changing.
  EXPECT_EQ(edit.ReadInt("Program1", "Count1", 0), 2);
  edit.WriteString("Program1", "Count1", "3");
  EXPECT_TRUE(edit.LockTimedOut());
  EXPECT_FALSE(edit.Commit());
  // The extension's Add and New say that another program holds the file
  // rather than report a success.
  EXPECT_EQ(shellext::AddFileToMenu(file, 1, "C:\\x.exe", "X"), shellext::AddResult::Busy);
  EXPECT_EQ(shellext::AddMenuToFile(file), shellext::AddResult::Busy);
  EXPECT_EQ(doc.Text(), before);
  for (const std::string& step : file.log) {
    EXPECT_NE(step.rfind("write", 0), 0u) << step;
    EXPECT_NE(step, "unlock") << "a lock never had was let go";
  }
}

TEST(SettingsEditLock, ALockTakenOverOrNotThereStillLetsTheEditWrite) {
  for (const LockOutcome outcome : {LockOutcome::TakenOver, LockOutcome::Unlocked}) {
    IniDocument doc = TwoItems();
    RecordingStore file(doc);
    file.outcome = outcome;
    SettingsEdit edit(file);
    edit.WriteString("Program1", "Count1", "1");
    EXPECT_FALSE(edit.LockTimedOut());
    EXPECT_TRUE(edit.Commit());
    EXPECT_EQ(doc.ReadString("Program1", "Count1", "", 9), "1");
    EXPECT_EQ(file.held, 0);
  }
}

TEST(SettingsEditLock, ACommitOfNothingTakesNoLock) {
  IniDocument doc = TwoItems();
  RecordingStore file(doc);
  SettingsEdit edit(file);
  EXPECT_TRUE(edit.Commit());
  EXPECT_TRUE(file.log.empty());
}

}  // namespace
}  // namespace vorlane::settings
