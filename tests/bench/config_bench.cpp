// How long the configurator makes a user wait, measured under Wine: the
// removal of a menu from a large settings file, stored through one edit and,
// for comparison, key by key as the platform's functions would store it;
// the entries of a folder of thousands added to a menu in one edit; and the
// menu dialog with a long menu of distinct programs, from its start until it
// is shown, answers, and has loaded its row images, beside the same dialog
// with a single item. Slow figures are printed, never treated as an error;
// the exit code says only whether anything could be measured.
//
//   vorlane_config_bench [runs]
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "configurator/item_list/item_operations.h"
#include "configurator/menu_list/menu_operations.h"
#include "settings/menu_edits.h"
#include "settings/profile_store_win32.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"
#include "test_support.h"

namespace vorlane::bench {
namespace {

using test::TempFolder;
using Clock = std::chrono::steady_clock;

constexpr char kSettingsFile[] = "vorlane.ini";
constexpr auto kRunTimeout = std::chrono::seconds(30);
// Wine re-reads a settings file younger than about two seconds on every
// access; a user's file has settled long before an edit.
constexpr auto kSettleFile = std::chrono::milliseconds(2500);

constexpr int kMenus = 30;
constexpr int kItemsPerMenu = 100;
// Key by key, the removal rewrites the whole file for every key it moves,
// so its cost grows with the square of the file: the full file would take
// many minutes, a fifth of its items well under one.
constexpr int kItemsKeyByKey = 20;
// A folder as large as a user's downloads or pictures folder gets.
constexpr int kFolderEntries = 3000;
// Menu 2, the first one that can be removed.
constexpr int kRemovedPosition = 1;
constexpr double kRemovalGoalMs = 1000;

constexpr int kDialogItems = 200;
// The same dialog with one item: what starting it costs under Wine anyway.
constexpr int kBaselineItems = 1;
constexpr char kDialogCaption[] = "Vorlane menu configurator";
constexpr int kItemListId = 127;
constexpr double kAnswerGoalMs = 300;
constexpr UINT kAnswerTimeoutMs = 5000;
constexpr auto kCpuQuiet = std::chrono::milliseconds(500);

class Series {
 public:
  void Add(std::optional<double> ms) {
    if (ms) {
      figures_.push_back(*ms);
    } else {
      ++missing_;
    }
  }
  void SetWarmUp(std::optional<double> ms) { warmUp_ = ms; }

  bool Empty() const { return figures_.empty(); }
  std::size_t Count() const { return figures_.size(); }
  int Missing() const { return missing_; }
  std::optional<double> WarmUp() const { return warmUp_; }
  double Min() const { return *std::min_element(figures_.begin(), figures_.end()); }
  double Max() const { return *std::max_element(figures_.begin(), figures_.end()); }
  double Median() const {
    std::vector<double> sorted = figures_;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
  }

 private:
  std::vector<double> figures_;
  int missing_ = 0;
  std::optional<double> warmUp_;
};

const char* Verdict(bool met) { return met ? "met" : "missed"; }

void PrintSeries(const char* label, const Series& series,
                 std::optional<double> goalMs = std::nullopt) {
  const long long timeout = kRunTimeout.count();
  if (series.Empty()) {
    std::printf("  %-40s no figure within %lld s\n", label, timeout);
    return;
  }
  std::printf("  %-40s median %7.1f ms (min %.1f, max %.1f) over %zu runs",
              label, series.Median(), series.Min(), series.Max(),
              series.Count());
  if (goalMs) {
    std::printf("; goal %.0f ms: %s", *goalMs,
                Verdict(series.Median() <= *goalMs));
  }
  std::printf("\n");
  if (const std::optional<double> warmUp = series.WarmUp()) {
    std::printf("  %-40s first run, not counted: %.1f ms\n", "", *warmUp);
  }
  if (series.Missing() > 0) {
    std::printf("  %-40s %d runs gave no figure\n", "", series.Missing());
  }
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::optional<double> MillisecondsUntil(Clock::time_point start,
                                        const std::function<bool()>& done) {
  const auto deadline = start + kRunTimeout;
  while (Clock::now() < deadline) {
    if (done()) return MillisecondsSince(start);
    Sleep(1);
  }
  return std::nullopt;
}

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
      time.dwLowDateTime);
}

void WaitUntilSettled(const std::string& path) {
  constexpr std::int64_t kTicksPerMillisecond = 10000;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    return;
  }
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const std::chrono::milliseconds age(
      (Ticks(now) - Ticks(data.ftLastWriteTime)) / kTicksPerMillisecond);
  if (age < kSettleFile) std::this_thread::sleep_for(kSettleFile - age);
}

// The calls an edit makes to the store beneath it. A section read may take
// the platform several calls as its buffer grows.
struct StoreCalls {
  int readString = 0, readInt = 0, writeString = 0, readSection = 0,
      writeSection = 0, fileScans = 0;
  int Total() const {
    return readString + readInt + writeString + readSection + writeSection +
           fileScans;
  }
};

class CountingStore final : public settings::SettingsStore {
 public:
  explicit CountingStore(settings::SettingsStore& file) : file_(file) {}
  const StoreCalls& Calls() const { return calls_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t limit) override {
    ++calls_.readString;
    return file_.ReadString(section, key, fallback, limit);
  }
  int ReadInt(std::string_view section, std::string_view key,
              int fallback) override {
    ++calls_.readInt;
    return file_.ReadInt(section, key, fallback);
  }
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override {
    ++calls_.writeString;
    return file_.WriteString(section, key, value);
  }
  bool DeleteKey(std::string_view section, std::string_view key) override {
    ++calls_.writeString;
    return file_.DeleteKey(section, key);
  }
  settings::SectionRead ReadSection(std::string_view section) override {
    ++calls_.readSection;
    return file_.ReadSection(section);
  }
  bool WriteSection(std::string_view section, std::string_view data) override {
    ++calls_.writeSection;
    return file_.WriteSection(section, data);
  }
  std::optional<std::set<std::string>> SectionsWithHiddenLines() override {
    ++calls_.fileScans;
    return file_.SectionsWithHiddenLines();
  }

 private:
  settings::SettingsStore& file_;
  StoreCalls calls_;
};

std::string MenuOrder(int menus) {
  std::string order;
  for (int m = 1; m <= menus; ++m) order += std::to_string(m) + "*";
  return order;
}

// Written in one piece: key by key it would take minutes.
std::string MenusText(int items) {
  test::SettingsFile settings;
  settings.Set("MenuOrder", MenuOrder(kMenus))
      .Set("MenuCount", std::to_string(kMenus));
  for (int m = 1; m <= kMenus; ++m) {
    const std::string menu = std::to_string(m);
    settings.Set("MenuName" + menu, "Menu " + menu);
    for (int i = 1; i <= items; ++i) {
      const std::string tool =
          "C:\\Programs\\Tool " + menu + "-" + std::to_string(i) + "\\tool.exe";
      settings.Item(m, i, tool, "Tool " + menu + "." + std::to_string(i),
                    {{"Par", "/open \"%1\""}, {"OM", std::to_string(i % 4)},
                     {"Icon", tool + "," + std::to_string(i % 3)}});
    }
  }
  return settings.Text();
}

enum class Storing { Edit, KeyByKey };

struct RemovalRun {
  std::optional<double> ms;
  StoreCalls calls;
};

RemovalRun TimeRemoval(const std::string& path, const std::string& text,
                       Storing storing) {
  test::WriteTextFile(path, text);
  WaitUntilSettled(path);
  settings::ProfileStore file(path);
  CountingStore counted(file);
  const Clock::time_point start = Clock::now();
  bool stored = false;
  if (storing == Storing::Edit) {
    settings::SettingsEdit edit(counted);
    stored = configurator::RemoveMenu(edit, kRemovedPosition) && edit.Commit();
  } else {
    stored = configurator::RemoveMenu(counted, kRemovedPosition);
  }
  RemovalRun run{MillisecondsSince(start), counted.Calls()};
  // A fast removal that left the wrong file would be no figure at all.
  if (!stored ||
      settings::Read(file, settings::kSettingsSection, settings::kMenuCount) !=
          kMenus - 1 ||
      settings::Read(file, settings::kSettingsSection, settings::kMenuOrder) !=
          MenuOrder(kMenus - 1) ||
      settings::Read(file, settings::kSettingsSection, settings::kMenuName, 2) !=
          "Menu 3") {
    std::printf("  the removal did not leave the expected file: no figure\n");
    run.ms.reset();
  }
  return run;
}

void PrintCalls(const StoreCalls& calls) {
  std::printf("  %-40s %d store calls: %d section reads, %d section writes, "
              "%d key reads, %d integer reads, %d key writes, %d file scans\n",
              "", calls.Total(), calls.readSection, calls.writeSection,
              calls.readString, calls.readInt, calls.writeString, calls.fileScans);
}

bool BenchRemoval(int runs) {
  std::printf("removal of menu 2 from %d menus, all five keys per item\n", kMenus);
  TempFolder folder;
  const std::string path = folder.File(kSettingsFile);
  bool measured = false;
  for (const int items : {kItemsPerMenu, kItemsKeyByKey}) {
    const std::string text = MenusText(items);
    Series times;
    RemovalRun last;
    for (int i = 0; i < runs; ++i) {
      last = TimeRemoval(path, text, Storing::Edit);
      times.Add(last.ms);
    }
    char label[64] = {};
    std::snprintf(label, std::size(label), "one edit, %d x %d items", kMenus, items);
    PrintSeries(label, times,
                items == kItemsPerMenu ? std::optional<double>(kRemovalGoalMs)
                                       : std::nullopt);
    PrintCalls(last.calls);
    measured = measured || !times.Empty();
  }
  // Once: it takes long, and varies little.
  Series keyByKey;
  const RemovalRun run = TimeRemoval(path, MenusText(kItemsKeyByKey), Storing::KeyByKey);
  keyByKey.Add(run.ms);
  char label[64] = {};
  std::snprintf(label, std::size(label), "key by key, %d x %d items only", kMenus,
                kItemsKeyByKey);
  PrintSeries(label, keyByKey);
  PrintCalls(run.calls);
  std::printf("  %-40s (not the %d x %d file: the cost grows with the square of "
              "the file, so it would take minutes)\n",
              "", kMenus, kItemsPerMenu);
  std::fflush(stdout);
  return measured;
}

// One edit of menu 2 of the large file, timed on a fresh copy per run and
// printed; a run that leaves Count2 other than `count` gives no figure.
bool TimeEditOfMenu2(int runs, int count,
                     const std::function<void(settings::SettingsStore&)>& change) {
  TempFolder folder;
  const std::string path = folder.File(kSettingsFile);
  const std::string text = MenusText(kItemsPerMenu);
  Series times;
  StoreCalls calls;
  for (int i = 0; i < runs; ++i) {
    test::WriteTextFile(path, text);
    WaitUntilSettled(path);
    settings::ProfileStore file(path);
    CountingStore counted(file);
    const Clock::time_point start = Clock::now();
    settings::SettingsEdit edit(counted);
    change(edit);
    const bool stored = edit.Commit();
    std::optional<double> ms = MillisecondsSince(start);
    calls = counted.Calls();
    if (!stored ||
        settings::Read(file, settings::kSettingsSection, settings::kCount, 2) != count) {
      std::printf("  the edit did not leave the expected file: no figure\n");
      ms.reset();
    }
    times.Add(ms);
  }
  PrintSeries("one edit", times, kRemovalGoalMs);
  PrintCalls(calls);
  std::fflush(stdout);
  return !times.Empty();
}

// Rows of menu 2 selected and removed in one go, as the dialog does it:
// all of them, and every other one, which moves the most items.
bool BenchItemRemoval(int runs) {
  bool measured = false;
  for (const int step : {1, 2}) {
    std::vector<int> rows;
    for (int i = 1; i <= kItemsPerMenu; i += step) rows.push_back(i);
    std::printf("removal of %zu selected rows of menu 2 of %d menus of %d items\n",
                rows.size(), kMenus, kItemsPerMenu);
    const int left = kItemsPerMenu - static_cast<int>(rows.size());
    measured = TimeEditOfMenu2(runs, left, [&](settings::SettingsStore& edit) {
                 configurator::RemoveItems(edit, 2, rows);
               }) || measured;
  }
  return measured;
}

// A folder of thousands dropped with "Add all files in a directory" ticked:
// its entries appended to menu 2 of the large file as the dialog stores
// them, in one edit.
bool BenchFolderAdd(int runs) {
  std::vector<configurator::ItemFields> files;
  for (int i = 0; i < kFolderEntries; ++i) {
    const std::string name = "entry" + std::to_string(i);
    files.push_back({"C:\\Folder\\" + name + ".txt", name, "", "", 0});
  }
  std::printf("%d entries of a folder added to menu 2 of %d menus of %d items\n",
              kFolderEntries, kMenus, kItemsPerMenu);
  return TimeEditOfMenu2(runs, kItemsPerMenu + kFolderEntries,
                         [&](settings::SettingsStore& edit) {
                           configurator::AddFileItems(edit, 2, files, "", 0, {});
                         });
}

// The standard menu holds `count` items, each a copy of the probe of its
// own, so that every row costs the shell its own icon.
bool WriteStandardMenuOfPrograms(const TempFolder& folder, int count) {
  const std::string probe = test::BinDirectory() + "\\probe.exe";
  test::SettingsFile settings;
  for (int i = 1; i <= count; ++i) {
    const std::string number = std::to_string(i);
    const std::string program = folder.File("p" + number + ".exe");
    if (!CopyFileA(probe.c_str(), program.c_str(), FALSE)) return false;
    settings.Item(1, i, program, "Program " + number);
  }
  test::WriteTextFile(folder.File(kSettingsFile), settings.Text());
  return true;
}

struct WindowSearch {
  DWORD processId;
  HWND dialog = nullptr;
  int visible = 0;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  ++search->visible;
  char caption[64] = {};
  GetWindowTextA(window, caption, std::size(caption));
  if (lstrcmpA(caption, kDialogCaption) == 0) search->dialog = window;
  return TRUE;
}

WindowSearch ShownWindows(DWORD processId) {
  WindowSearch search{processId};
  EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
  return search;
}

// Processor time of the process's threads, in 100 ns ticks. Wine 8's
// GetProcessTimes gives the caller's own times for another process; the
// times of each thread are right on both systems.
std::int64_t ProcessorTime(DWORD processId) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  std::int64_t total = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more;
       more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != processId) continue;
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE,
                               entry.th32ThreadID);
    if (thread == nullptr) continue;
    FILETIME created{}, exited{}, kernel{}, user{};
    if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
      total += Ticks(kernel) + Ticks(user);
    }
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return total;
}

// When the process last used the processor before a quiet spell: the row
// images are looked up on a timer, so the dialog falls idle once all have
// arrived.
std::optional<double> QuietSince(const test::ChildProcess& process,
                                 Clock::time_point start) {
  std::int64_t seen = ProcessorTime(process.Id());
  Clock::time_point changed = Clock::now();
  while (Clock::now() - start < kRunTimeout && process.IsRunning()) {
    Sleep(10);
    const std::int64_t now = ProcessorTime(process.Id());
    if (now != seen) {
      seen = now;
      changed = Clock::now();
    } else if (Clock::now() - changed >= kCpuQuiet) {
      return std::chrono::duration<double, std::milli>(changed - start).count();
    }
  }
  return std::nullopt;
}

struct DialogRun {
  std::optional<double> shown, answered, quiet;
  std::optional<double> answeredAfterShown;
  int rows = -1;
  bool otherWindow = false;  // a message box, which stalls the images
};

DialogRun TimeDialogOnce(const std::string& settingsPath) {
  DialogRun run;
  const std::string config = test::BinDirectory() + "\\config.exe";
  test::ChildProcess process;
  const Clock::time_point start = Clock::now();
  if (!process.Start(config, "\"" + config + "\" 1 \"" + settingsPath + "\"")) {
    std::printf("  config.exe did not start: error %lu\n", GetLastError());
    return run;
  }
  HWND dialog = nullptr;
  run.shown = MillisecondsUntil(start, [&] {
    dialog = ShownWindows(process.Id()).dialog;
    return dialog != nullptr || !process.IsRunning();
  });
  if (dialog == nullptr) {
    run.shown.reset();
    return run;
  }
  DWORD_PTR ignored = 0;
  if (SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                          kAnswerTimeoutMs, &ignored) != 0) {
    run.answered = MillisecondsSince(start);
    run.answeredAfterShown = *run.answered - *run.shown;
  }
  DWORD_PTR rows = 0;
  if (SendMessageTimeoutA(GetDlgItem(dialog, kItemListId), LVM_GETITEMCOUNT, 0, 0,
                          SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &rows) != 0) {
    run.rows = static_cast<int>(rows);
  }
  run.quiet = QuietSince(process, start);
  run.otherWindow = ShownWindows(process.Id()).visible > 1;
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  if (process.WaitForExit() == STILL_ACTIVE) {
    std::printf("  the configurator did not end on WM_CLOSE: ended by force\n");
  }
  return run;
}

bool BenchDialog(int items, int runs) {
  std::printf("menu dialog, standard menu of %d different program%s\n", items,
              items == 1 ? "" : "s");
  TempFolder folder;
  if (!WriteStandardMenuOfPrograms(folder, items)) {
    std::printf("  could not copy probe.exe into %s\n", folder.Path().c_str());
    return false;
  }
  const std::string path = folder.File(kSettingsFile);
  WaitUntilSettled(path);
  Series shown, answered, afterShown, quiet;
  int rows = -1;
  int stalled = 0;
  for (int i = 0; i <= runs; ++i) {
    const DialogRun run = TimeDialogOnce(path);
    if (i == 0) {
      shown.SetWarmUp(run.shown);
      answered.SetWarmUp(run.answered);
      afterShown.SetWarmUp(run.answeredAfterShown);
      quiet.SetWarmUp(run.quiet);
    } else {
      shown.Add(run.shown);
      answered.Add(run.answered);
      afterShown.Add(run.answeredAfterShown);
      quiet.Add(run.quiet);
    }
    rows = std::max(rows, run.rows);
    stalled += run.otherWindow ? 1 : 0;
  }
  PrintSeries("from start: window shown", shown);
  PrintSeries("from start: answers a message", answered,
              items == kDialogItems ? std::optional<double>(kAnswerGoalMs)
                                    : std::nullopt);
  PrintSeries("answers, after shown", afterShown);
  PrintSeries("from start: processor idle (images in)", quiet);
  std::printf("  %-40s %d rows in the list", "", rows);
  if (stalled > 0) std::printf("; a second window was open in %d runs", stalled);
  std::printf("\n");
  std::fflush(stdout);
  return !answered.Empty();
}

int Run(int runs) {
  bool measured = BenchRemoval(runs);
  measured = BenchItemRemoval(runs) || measured;
  measured = BenchFolderAdd(runs) || measured;
  measured = BenchDialog(kDialogItems, runs) || measured;
  measured = BenchDialog(kBaselineItems, runs) || measured;
  return measured ? 0 : 1;
}

}  // namespace
}  // namespace vorlane::bench

int main(int argc, char** argv) {
  int runs = 5;
  if (argc > 1) runs = std::max(1, std::atoi(argv[1]));
  return vorlane::bench::Run(runs);
}
