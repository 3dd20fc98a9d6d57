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

// An in-memory file that answers each Lock with the outcome the test sets,
// and counts the reads and writes made while it was not held.
class LockedFile final : public SettingsStore {
 public:
  explicit LockedFile(IniDocument& doc) : doc_(doc) {}

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t limit) override {
    Touch();
    return doc_.ReadString(section, key, fallback, limit);
  }
  int ReadInt(std::string_view section, std::string_view key, int fallback) override {
    Touch();
    return doc_.ReadInt(section, key, fallback);
  }
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override {
    Touch();
    return doc_.WriteString(section, key, value);
  }
  bool DeleteKey(std::string_view section, std::string_view key) override {
    Touch();
    return doc_.DeleteKey(section, key);
  }
  SectionRead ReadSection(std::string_view section) override {
    Touch();
    return doc_.ReadSection(section);
  }
  bool WriteSection(std::string_view section, std::string_view data) override {
    Touch();
    return doc_.WriteSection(section, data);
  }
  std::optional<std::set<std::string>> SectionsWithHiddenLines() override {
    return doc_.SectionsWithHiddenLines();
  }
  LockOutcome Lock(LockPurpose purpose) override {
    ++locks;
    lastPurpose = purpose;
    if (Holds(outcome)) ++held;
    return outcome;
  }
  void Unlock() override { --held; }

  LockOutcome outcome = LockOutcome::Taken;
  int locks = 0;
  int held = 0;  // below 0 when a lock never had was let go
  int outside = 0;
  LockPurpose lastPurpose = LockPurpose::Write;

 private:
  void Touch() {
    if (held <= 0) ++outside;
  }
  IniDocument& doc_;
};

IniDocument TwoItems() {
  return IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\nMenuName1=Tools\n"
      "[Program1]\nCount1=2\nProgram1=a.exe\nDes1=A\nProgram2=b.exe\nDes2=B\n");
}

TEST(SettingsEditLock, HeldOnceFromTheFirstReadToTheCommit) {
  IniDocument doc = TwoItems();
  LockedFile file(doc);
  {
    SettingsEdit edit(file);
    EXPECT_EQ(file.locks, 0) << "an edit that has done nothing holds nothing";
    const int count = edit.ReadInt("Program1", "Count1", 0);
    edit.WriteString("Program1", "Program3", "c.exe");
    edit.WriteString("Program1", "Count1", std::to_string(count + 1));
    EXPECT_EQ(file.held, 1);
    ASSERT_TRUE(edit.Commit());
    EXPECT_EQ(file.held, 0);
  }
  EXPECT_EQ(file.locks, 1);
  EXPECT_EQ(file.held, 0);
  EXPECT_EQ(file.outside, 0) << "the file was read or written without the lock";
  EXPECT_EQ(doc.Text(),
            "[Settings]\r\nMenuOrder=1*\r\nMenuName1=Tools\r\n"
            "[Program1]\r\nCount1=3\r\nProgram1=a.exe\r\nDes1=A\r\nProgram2=b.exe\r\nDes2=B\r\n"
            "Program3=c.exe\r\n");
}

TEST(SettingsEditLock, LetGoWhenTheEditEndsWithoutCommitOrIsReleased) {
  IniDocument doc = TwoItems();
  LockedFile file(doc);
  {
    SettingsEdit edit(file, LockPurpose::Read);
    edit.ReadString("Settings", "MenuName1", "", 99);
    EXPECT_EQ(file.lastPurpose, LockPurpose::Read);
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
  EXPECT_EQ(file.outside, 0);
}

TEST(SettingsEditLock, AWriteOnlyEditTakesItBeforeItsFirstWrite) {
  IniDocument doc;
  LockedFile file(doc);
  SettingsEdit edit(file);
  WriteDefaultFile(edit, "C:\\WINDOWS", false);
  ASSERT_TRUE(edit.Commit());
  EXPECT_EQ(file.locks, 1);
  EXPECT_EQ(file.held, 0);
  EXPECT_EQ(file.outside, 0);
  EXPECT_EQ(doc.ReadString("Settings", "MenuName1", "", 99), "Standard Menu");
}

TEST(SettingsEditLock, AnEditThatWaitedInVainWritesNothing) {
  IniDocument doc = TwoItems();
  const std::string before = doc.Text();
  LockedFile file(doc);
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
  EXPECT_EQ(file.held, 0) << "a lock never had was let go";
}

TEST(SettingsEditLock, ALockTakenOverOrNotThereStillLetsTheEditWrite) {
  for (const LockOutcome outcome : {LockOutcome::TakenOver, LockOutcome::Unlocked}) {
    IniDocument doc = TwoItems();
    LockedFile file(doc);
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
  LockedFile file(doc);
  SettingsEdit edit(file);
  EXPECT_TRUE(edit.Commit());
  EXPECT_EQ(file.locks, 0);
}

}  // namespace
}  // namespace vorlane::settings
