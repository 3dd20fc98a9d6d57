// Several processes change one settings file at once through the code of
// the extension and the configurator: no change is lost or torn. Without
// the lock an add made during another is lost, which shows what the lock
// keeps out. (The launcher's menu read while another process writes is
// tested with its popup, in popup_menu_test.cpp.)
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "configurator/item_list/item_operations.h"
#include "settings/profile_store_win32.h"
#include "settings/settings_edit.h"
#include "settings/settings_lock.h"
#include "settings/settings_model.h"
#include "shellext/shellix_logic.h"
#include "test_support.h"
#include "win32/handles.h"

namespace vorlane::settings {
namespace {

using test::ChildProcess;
using test::NamedEvent;
using test::TempFolder;

constexpr auto kLongestRun = std::chrono::seconds(60);

std::string StressProgram() { return test::BinDirectory() + "\\vorlane_settings_stress.exe"; }

// Processes of the stress program, started at once by one event and ended
// by force when a test leaves any running.
class Stress {
 public:
  explicit Stress(std::string file) : file_(std::move(file)), go_("go") {}

  void Start(const std::string& arguments) {
    auto process = std::make_unique<ChildProcess>();
    const std::string line = "\"" + StressProgram() + "\" " + arguments;
    ASSERT_TRUE(process->Start(StressProgram(), line)) << line;
    processes_.push_back(std::move(process));
  }
  // The usual arguments: mode, file, go-event.
  std::string Args(const std::string& mode) const {
    return mode + " \"" + file_ + "\" " + go_.Name();
  }
  void Go() const { go_.Set(); }
  // Sets them going and collects their exit codes.
  std::vector<DWORD> Run() {
    Go();
    std::vector<DWORD> codes;
    for (auto& process : processes_) codes.push_back(process->WaitForExit(kLongestRun));
    return codes;
  }

 private:
  std::string file_;
  NamedEvent go_;
  std::vector<std::unique_ptr<ChildProcess>> processes_;
};

std::string OneMenu() {
  return "[Settings]\r\nMenuCount=1\r\nMenuOrder=1*\r\nMenuName1=Standard\r\nCount1=0\r\n";
}

struct Census {
  int count = 0;
  std::map<std::string, int> seen;  // description -> times
  std::vector<std::string> torn;    // items whose location is not their own
};

Census ItemsOfStandardMenu(const std::string& path) {
  ProfileStore store(path);
  Census census;
  census.count = ReadCount(store, kCount, 1);
  const std::string section = ProgramSection(1);
  for (int i = 1; i <= census.count; ++i) {
    const std::string des = store.ReadString(section, NumberedName("Des", i), "", 255);
    const std::string program = store.ReadString(section, NumberedName("Program", i), "", 300);
    ++census.seen[des];
    if (des.empty() || program != "C:\\stress\\" + des + ".exe") {
      census.torn.push_back(std::to_string(i) + ": " + program + " / " + des);
    }
  }
  return census;
}

// Every add of every process is there once, whole.
::testing::AssertionResult HoldsEveryAdd(const Census& census,
                                         const std::map<std::string, int>& adds) {
  int expected = 0;
  for (const auto& [tag, count] : adds) expected += count;
  std::string faults;
  if (census.count != expected) {
    faults += "Count1=" + std::to_string(census.count) + " after " +
              std::to_string(expected) + " adds\n";
  }
  for (const auto& [tag, count] : adds) {
    for (int i = 1; i <= count; ++i) {
      const std::string name = tag + "-" + std::to_string(i);
      const auto found = census.seen.find(name);
      const int times = found == census.seen.end() ? 0 : found->second;
      if (times != 1 && faults.size() < 2000) {
        faults += name + " is there " + std::to_string(times) + " times\n";
      }
    }
  }
  for (const std::string& item : census.torn) faults += "torn " + item + "\n";
  if (faults.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << faults;
}

class SettingsLock : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTextFile(path_, OneMenu());
  }
  // Another process that takes the file's lock and keeps it until ended.
  ::testing::AssertionResult HoldTheLock(ChildProcess& holder) const {
    NamedEvent held("held");
    const std::string line =
        "\"" + StressProgram() + "\" hold \"" + path_ + "\" " + held.Name();
    if (!holder.Start(StressProgram(), line)) {
      return ::testing::AssertionFailure() << "the holder did not start";
    }
    if (!held.WaitSet()) return ::testing::AssertionFailure() << "the holder never took the lock";
    return ::testing::AssertionSuccess();
  }

  TempFolder folder_;
  const std::string path_ = folder_.File("vorlane.ini");
};

// Many processes at once: the 64-bit suite alone runs them, as the lock is
// the same code in both and these are among the slowest tests.
class SettingsLockStress : public SettingsLock {
 protected:
  void SetUp() override {
    if (sizeof(void*) < 8) GTEST_SKIP() << "the lock's stress runs in the 64-bit suite";
    SettingsLock::SetUp();
  }
};

// Sizes at which a lock that keeps nothing out loses entries in every run.
constexpr int kAddsEach = 50;

TEST_F(SettingsLockStress, AddsOfTheExtensionAndTheConfiguratorAtOnceAreAllKept) {
  const std::string adds = " " + std::to_string(kAddsEach);
  {
    Stress stress(path_);
    stress.Start(stress.Args("add-ext") + " A" + adds);
    stress.Start(stress.Args("add-config") + " B" + adds);
    EXPECT_EQ(stress.Run(), (std::vector<DWORD>{0, 0}));
  }
  EXPECT_TRUE(HoldsEveryAdd(ItemsOfStandardMenu(path_), {{"A", kAddsEach}, {"B", kAddsEach}}));

  // Two Explorer windows and two configurators, on the same file.
  test::WriteTextFile(path_, OneMenu());
  {
    Stress stress(path_);
    stress.Start(stress.Args("add-ext") + " A" + adds);
    stress.Start(stress.Args("add-ext") + " B" + adds);
    stress.Start(stress.Args("add-config") + " C" + adds);
    stress.Start(stress.Args("add-config") + " D" + adds);
    EXPECT_EQ(stress.Run(), (std::vector<DWORD>{0, 0, 0, 0}));
  }
  EXPECT_TRUE(HoldsEveryAdd(ItemsOfStandardMenu(path_), {{"A", kAddsEach},
                                                         {"B", kAddsEach},
                                                         {"C", kAddsEach},
                                                         {"D", kAddsEach}}));
}

TEST_F(SettingsLockStress, NewMenusOfTheExtensionAndTheConfiguratorAtOnceAreAllKept) {
  {
    Stress stress(path_);
    stress.Start(stress.Args("new-ext") + " 100");
    stress.Start(stress.Args("new-config") + " 100");
    EXPECT_EQ(stress.Run(), (std::vector<DWORD>{0, 0}));
  }
  ProfileStore store(path_);
  EXPECT_EQ(ReadCount(store, kMenuCount), 201);
  const std::string order = Read(store, "Settings", kMenuOrder);
  const std::vector<int> tokens = MenuOrderTokens(order);
  const std::set<int> distinct(tokens.begin(), tokens.end());
  EXPECT_EQ(tokens.size(), 201u) << order;
  EXPECT_EQ(distinct.size(), tokens.size()) << order;
  EXPECT_EQ(*distinct.begin(), 1);
  EXPECT_EQ(*distinct.rbegin(), 201);
}

// An add of another process between this edit's read and its commit:
// without the lock this commit writes over it; with the lock the other
// waits for the commit, and both are kept.
TEST_F(SettingsLock, AnAddMadeDuringAnotherIsLostWithoutTheLockAndKeptWithIt) {
  const configurator::ItemFields b1{"C:\\stress\\B-1.exe", "B-1", "", "", 0};
  {
    ProfileStore store(path_, FileLocking::Off);
    SettingsEdit edit(store);
    ASSERT_TRUE(configurator::AddItem(edit, 1, b1));
    Stress stress(path_);
    stress.Start(stress.Args("add-ext") + " A 1 --no-lock");
    EXPECT_EQ(stress.Run(), std::vector<DWORD>{0});
    ASSERT_TRUE(edit.Commit());
  }
  EXPECT_FALSE(HoldsEveryAdd(ItemsOfStandardMenu(path_), {{"A", 1}, {"B", 1}}))
      << "an add made between another's read and write was kept without the lock";

  test::WriteTextFile(path_, OneMenu());
  {
    ProfileStore store(path_);
    SettingsEdit edit(store);
    ASSERT_TRUE(configurator::AddItem(edit, 1, b1));
    Stress stress(path_);
    stress.Start(stress.Args("add-ext") + " A 1");
    stress.Go();
    ASSERT_TRUE(edit.Commit());
    EXPECT_EQ(stress.Run(), std::vector<DWORD>{0});
  }
  EXPECT_TRUE(HoldsEveryAdd(ItemsOfStandardMenu(path_), {{"A", 1}, {"B", 1}}));
}

// The launcher takes the path it was started with, the extension its
// registered path: an 8.3 short spelling of the file is the same lock.
TEST_F(SettingsLock, TheShortAndTheLongPathOfAFileShareOneLock) {
  ChildProcess holder;
  ASSERT_TRUE(HoldTheLock(holder));
  const std::string shortFolder = test::ShortPathOf(folder_.Path());
  ASSERT_NE(shortFolder, "");
  const std::string shortPath = shortFolder + "\\vorlane.ini";
  ASSERT_NE(shortPath, path_) << "the folder has no short name";
  ProfileStore store(shortPath);
  EXPECT_EQ(store.Lock(LockPurpose::Read), LockOutcome::TimedOut)
      << "two locks for one file: " << SettingsFileIdentity(shortPath);
  ASSERT_TRUE(TerminateProcess(holder.Handle(), 9));
}

TEST_F(SettingsLock, ALockLeftByAProgramThatDiedIsTakenOverAtOnce) {
  ChildProcess holder;
  ASSERT_TRUE(HoldTheLock(holder));
  // A writer waiting for the lock when its holder dies.
  char full[MAX_PATH] = {};
  ASSERT_NE(GetFullPathNameA(path_.c_str(), MAX_PATH, full, nullptr), 0u);
  const win32::UniqueKernelHandle waiting(
      OpenMutexA(SYNCHRONIZE, FALSE, SettingsLockName(full).c_str()));
  ASSERT_TRUE(waiting) << "no lock named " << SettingsLockName(full);
  ASSERT_TRUE(TerminateProcess(holder.Handle(), 9));
  ASSERT_EQ(holder.WaitForExit(), 9u);

  ProfileStore store(path_);
  {
    const LockHold hold(store, LockPurpose::Write);
    EXPECT_EQ(hold.Outcome(), LockOutcome::TakenOver);
  }
  EXPECT_EQ(shellext::AddFileToMenu(store, 1, "C:\\stress\\A-1.exe", "A-1"),
            shellext::AddResult::Added);
  EXPECT_TRUE(HoldsEveryAdd(ItemsOfStandardMenu(path_), {{"A", 1}}));
}

}  // namespace
}  // namespace vorlane::settings
