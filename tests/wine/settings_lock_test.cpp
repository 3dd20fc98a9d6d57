// Several processes change one settings file at once through the code of
// the extension and the configurator, and the launcher's menu is planned
// while another process rewrites the file: no change is lost or torn, and no
// reader sees a change half made. Without the lock the same adds lose
// entries, which shows that these tests can fail.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "launcher/menu_model.h"
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
using test::TempFolder;

constexpr auto kLongestRun = std::chrono::seconds(150);

std::string StressProgram() { return test::BinDirectory() + "\\vorlane_settings_stress.exe"; }

// A named manual-reset event of this test, unique to the process.
class NamedEvent {
 public:
  explicit NamedEvent(const std::string& use, bool manualReset = true)
      : name_("VorlaneTest-" + use + "-" + std::to_string(GetCurrentProcessId())),
        event_(CreateEventA(nullptr, manualReset, FALSE, name_.c_str())) {}
  const std::string& Name() const { return name_; }
  void Set() const { SetEvent(event_.get()); }
  bool WaitSet() const {
    return WaitForSingleObject(event_.get(), 10000) == WAIT_OBJECT_0;
  }

 private:
  std::string name_;
  win32::UniqueKernelHandle event_;
};

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

TEST_F(SettingsLock, AddsOfTheExtensionAndTheConfiguratorAtOnceAreAllKept) {
  {
    Stress stress(path_);
    stress.Start(stress.Args("add-ext") + " A 200");
    stress.Start(stress.Args("add-config") + " B 200");
    EXPECT_EQ(stress.Run(), (std::vector<DWORD>{0, 0}));
  }
  EXPECT_TRUE(HoldsEveryAdd(ItemsOfStandardMenu(path_), {{"A", 200}, {"B", 200}}));

  // Two Explorer windows and two configurators, on the same file.
  test::WriteTextFile(path_, OneMenu());
  {
    Stress stress(path_);
    stress.Start(stress.Args("add-ext") + " A 200");
    stress.Start(stress.Args("add-ext") + " B 200");
    stress.Start(stress.Args("add-config") + " C 200");
    stress.Start(stress.Args("add-config") + " D 200");
    EXPECT_EQ(stress.Run(), (std::vector<DWORD>{0, 0, 0, 0}));
  }
  EXPECT_TRUE(HoldsEveryAdd(ItemsOfStandardMenu(path_),
                            {{"A", 200}, {"B", 200}, {"C", 200}, {"D", 200}}));
}

TEST_F(SettingsLock, NewMenusOfTheExtensionAndTheConfiguratorAtOnceAreAllKept) {
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

TEST_F(SettingsLock, WithoutTheLockTheSameAddsLoseEntries) {
  {
    Stress stress(path_);
    stress.Start(stress.Args("add-ext") + " A 200 --no-lock");
    stress.Start(stress.Args("add-config") + " B 200 --no-lock");
    stress.Run();
  }
  EXPECT_FALSE(HoldsEveryAdd(ItemsOfStandardMenu(path_), {{"A", 200}, {"B", 200}}))
      << "400 adds at once without the lock kept every entry: the stress shows nothing";
}

// A file of a standard menu and 29 submenus "M1" .. "M29", each of 100 items
// "M<j>-<i>".
std::string ThirtyMenus() {
  std::string settings = "[Settings]\r\nMenuCount=30\r\nMenuOrder=";
  for (int n = 1; n <= 30; ++n) settings += std::to_string(n) + "*";
  settings += "\r\nMenuName1=Standard\r\n";
  std::string sections;
  for (int n = 1; n <= 30; ++n) {
    const std::string name = n == 1 ? "S" : "M" + std::to_string(n - 1);
    if (n > 1) settings += "MenuName" + std::to_string(n) + "=" + name + "\r\n";
    settings += "Count" + std::to_string(n) + "=100\r\n";
    sections += "[" + ProgramSection(n) + "]\r\n";
    for (int i = 1; i <= 100; ++i) {
      const std::string item = name + "-" + std::to_string(i);
      sections += "Program" + std::to_string(i) + "=C:\\stress\\" + item + ".exe\r\n";
      sections += "Des" + std::to_string(i) + "=" + item + "\r\n";
    }
  }
  return settings + sections;
}

// What a whole state of the churned file shows: a standard menu of S-1 ..
// S-100; submenus named by a run of consecutive numbers (the oldest are
// removed, the newest added last), 28 or 29 of them; and under a submenu's
// name exactly its own 100 items. Empty when the plan is one of those.
std::string Mixture(const launcher::MainMenuPlan& main,
                    const std::vector<launcher::PlannedEntry>& submenu,
                    int submenuIndex) {
  std::vector<std::string> labels;
  std::vector<std::string> standard;
  for (const launcher::PlannedEntry& entry : main.entries) {
    if (entry.slot != launcher::kMainSlot) continue;
    if (entry.kind == launcher::MenuEntryKind::Submenu && entry.text != "Vorlane") {
      labels.push_back(entry.text);
    } else if (entry.kind == launcher::MenuEntryKind::Item) {
      standard.push_back(entry.text);
    }
  }
  if (standard.size() != 100) return std::to_string(standard.size()) + " standard items";
  for (std::size_t i = 0; i < standard.size(); ++i) {
    if (standard[i] != "S-" + std::to_string(i + 1)) return "standard item " + standard[i];
  }
  if (labels.size() != 28 && labels.size() != 29) {
    return std::to_string(labels.size()) + " submenus";
  }
  const int first = std::atoi(labels.front().c_str() + 1);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (labels[i] != "M" + std::to_string(first + static_cast<int>(i))) {
      return "submenu " + std::to_string(i + 1) + " is " + labels[i];
    }
  }
  const std::string& name = labels[static_cast<std::size_t>(submenuIndex) % labels.size()];
  if (submenu.size() != 100) {
    return name + " holds " + std::to_string(submenu.size()) + " entries" +
           (submenu.empty() ? "" : ", the first " + submenu.front().text);
  }
  for (std::size_t i = 0; i < submenu.size(); ++i) {
    if (submenu[i].text != name + "-" + std::to_string(i + 1)) {
      return name + " holds " + submenu[i].text + " at " + std::to_string(i + 1);
    }
  }
  return {};
}

TEST_F(SettingsLock, TheLaunchersReaderSeesEachChangeWholeOrNotAtAll) {
  test::WriteTextFile(path_, ThirtyMenus());
  NamedEvent stop("stop");
  NamedEvent next("next", false);
  Stress stress(path_);
  stress.Start(stress.Args("churn") + " " + stop.Name() + " " + next.Name());
  const test::OnScopeExit stopping([&] { stop.Set(); });
  stress.Go();
  ProfileStore store(path_);
  std::set<std::string> states;
  int unlocked = 0;
  for (int round = 0; round < 1000; ++round) {
    // As the launcher reads for one opening of its menu, with a submenu
    // opened under the same lock. The launcher waits a second at most and then reads
    // without the lock, so that its menu always opens; a loaded host can
    // make one change of this file outlast that, and what is shown here is
    // what a held lock gives, so the reader waits as long as a writer would.
    SettingsEdit file(store, LockPurpose::Write);
    const launcher::MainMenuPlan main = launcher::PlanMainMenu(file);
    if (file.LockTimedOut()) ++unlocked;
    const int index = round % 28;
    const std::vector<launcher::PlannedEntry> submenu =
        launcher::PlanProgramMenu(file, index + 3, 0);
    const std::string mixture = Mixture(main, submenu, index);
    std::string state;
    for (const launcher::PlannedEntry& entry : main.entries) {
      if (entry.kind == launcher::MenuEntryKind::Submenu) state += entry.text + " ";
    }
    ASSERT_EQ(mixture, "") << "round " << round << " (lock timed out: " << file.LockTimedOut()
                           << "), submenus " << state;
    states.insert(state);
    // A change every 25 rounds, begun while the next round asks for the lock.
    if (round % 25 == 0) next.Set();
  }
  stop.Set();
  EXPECT_EQ(stress.Run(), std::vector<DWORD>{0}) << "the writer's changes were not all stored";
  std::printf("reader: %zu states seen\n", states.size());
  EXPECT_GE(states.size(), 20u) << "the writer hardly changed the file meanwhile";
  EXPECT_EQ(unlocked, 0) << "the writer held the lock past the reader's wait";
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
