// How long the launcher's menus take to reach the screen, measured from
// outside as a user meets them: from the tray callback (or the key that opens
// a submenu) until the popup is shown and painted, and for a submenu of
// programs until their icons are there as well. Where it makes sense, a plain
// Win32 popup of the same shape is shown by this program in the same run and
// timed by the same code, so that the ratio tells what the launcher adds to
// what the platform costs anyway. Slow figures are printed, never treated as
// an error; the exit code says only whether anything could be measured.
//
//   vorlane_menu_bench [runs]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bare_menu_host.h"
#include "launcher/launcher_messages.h"
#include "menu_driver.h"
#include "menu_screen.h"
#include "test_support.h"

namespace vorlane::bench {
namespace {

using test::BareLook;
using test::ClientOnScreen;
using test::FindPopupMenu;
using test::IconBoxes;
using test::Launcher;
using test::LauncherLook;
using test::MainPopupPainted;
using test::MenuLook;
using test::StillShown;
using test::SubmenuPainted;
using test::TempFolder;
using Clock = std::chrono::steady_clock;

constexpr char kSettingsFile[] = "vorlane.ini";
constexpr auto kRunTimeout = std::chrono::seconds(30);
// Wine re-reads a settings file younger than about two seconds on every
// access; the figures are for a file that has settled.
constexpr auto kSettleFile = std::chrono::milliseconds(2500);
// The launcher tears its menu down after the popup window has gone and
// ignores a tray callback that arrives before that.
constexpr auto kAfterClose = std::chrono::milliseconds(200);
constexpr int kMostPopupsOpen = 10;

constexpr int kMenus = 50;
constexpr int kEntriesPerMenu = 200;
constexpr int kPrograms = 200;
// Down from the top of the main popup to "Programs": the banner, "Vorlane",
// then it. The bare popup has nothing else, so the same keys reach it.
constexpr int kDownsToPrograms = 3;

constexpr double kMainPopupGoalRatio = 1.1;
constexpr double kLargeMainPopupTargetMs = 50;
constexpr double kSubmenuGoalRatio = 1.5;
// A folder shown as a submenu, with as many files as such a submenu lists.
constexpr int kFolderFiles = 1000;
constexpr double kAllIconsGoalMs = 1000;

// Shows popups on request: the launcher, or this program's bare popups.
struct MenuSource {
  DWORD processId;
  std::function<bool()> request;
  MenuLook look;
};

// The tray callback as the shell sends it; a hover opens the menu.
MenuSource LauncherSource(Launcher& running) {
  return {running.Process().Id(),
          [&running] {
            return PostMessageA(running.Window(), launcher::WM_TRAYNOTIFY,
                                launcher::kTrayIconId, WM_MOUSEMOVE) != FALSE;
          },
          LauncherLook()};
}

MenuSource BareSource(const BareMenuHost& host, const BareLayout& layout) {
  return {GetCurrentProcessId(), [&host, &layout] { return host.Show(layout); },
          BareLook()};
}

// The figures of one measurement over the runs.
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
  double Min() const {
    return *std::min_element(figures_.begin(), figures_.end());
  }
  double Max() const {
    return *std::max_element(figures_.begin(), figures_.end());
  }
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
    std::printf("  %-32s no figure: nothing reached the screen within %lld s\n",
                label, timeout);
    return;
  }
  std::printf("  %-32s median %7.1f ms (min %.1f, max %.1f) over %zu runs",
              label, series.Median(), series.Min(), series.Max(),
              series.Count());
  if (goalMs) {
    std::printf("; goal %.0f ms: %s", *goalMs,
                Verdict(series.Median() <= *goalMs));
  }
  std::printf("\n");
  if (const std::optional<double> warmUp = series.WarmUp()) {
    std::printf("  %-32s first run, not counted: %.1f ms\n", "", *warmUp);
  }
  if (series.Missing() > 0) {
    std::printf("  %-32s %d runs gave no figure within %lld s\n", "",
                series.Missing(), timeout);
  }
}

// The ratio of the medians.
void PrintRatio(const char* label, const Series& of, const Series& to,
                double goal) {
  if (of.Empty() || to.Empty()) {
    std::printf("  %-32s no ratio: a figure is missing\n", label);
    return;
  }
  const double ratio = of.Median() / to.Median();
  std::printf("  %-32s %.2fx; goal %.1fx: %s\n", label, ratio, goal,
              Verdict(ratio <= goal));
}

// Polled every millisecond or so rather than at the tests' 20 ms steps, which
// would round every figure up; the sleep leaves the menus the processor.
std::optional<double> MillisecondsUntil(Clock::time_point start,
                                        const std::function<bool()>& done) {
  const auto deadline = start + kRunTimeout;
  while (Clock::now() < deadline) {
    if (done()) {
      return std::chrono::duration<double, std::milli>(Clock::now() - start)
          .count();
    }
    Sleep(1);
  }
  return std::nullopt;
}

// Closes every open popup of the source and waits until the screen no
// longer shows them, so that the next run cannot be fooled by pixels left
// behind at the same place.
bool CloseMenus(const MenuSource& source) {
  std::vector<RECT> shown;
  for (int i = 0; i < kMostPopupsOpen; ++i) {
    HWND top = FindPopupMenu(source.processId);
    if (top == nullptr) break;
    shown.push_back(ClientOnScreen(top));
    test::PressMenuKey(source.processId, VK_ESCAPE);
  }
  if (!test::WaitForMenuClosed(source.processId)) return false;
  const bool cleared = test::WaitUntil([&] {
    return std::none_of(shown.begin(), shown.end(), [&](const RECT& area) {
      return StillShown(area, source.look);
    });
  });
  std::this_thread::sleep_for(kAfterClose);
  return cleared;
}

struct ShownPopup {
  HWND window = nullptr;
  std::optional<double> ms;  // from the request to the popup painted
};

ShownPopup ShowMainPopup(const MenuSource& source) {
  ShownPopup shown;
  const Clock::time_point start = Clock::now();
  if (!source.request()) return shown;
  HWND popup = nullptr;
  shown.ms = MillisecondsUntil(start, [&] {
    if (popup == nullptr) popup = FindPopupMenu(source.processId);
    return popup != nullptr && MainPopupPainted(popup, source.look);
  });
  if (shown.ms) shown.window = popup;
  return shown;
}

std::optional<double> TimeMainPopup(const MenuSource& source) {
  const std::optional<double> ms = ShowMainPopup(source).ms;
  if (!CloseMenus(source)) return std::nullopt;
  return ms;
}

struct SubmenuTimes {
  std::optional<double> entries;  // from the key to the entries painted
  std::optional<double> icons;    // to every wholly visible entry's icon
  int visibleEntries = 0;
  bool iconsWithEntries = false;  // all there when the entries were
};

enum class Icons { Ignore, Watch };

void WatchIcons(HWND submenu, Clock::time_point start, SubmenuTimes& times) {
  const IconBoxes boxes(submenu);
  times.visibleEntries = boxes.Entries();
  if (boxes.Entries() == 0) return;
  times.iconsWithEntries = boxes.WithIcons() == boxes.Entries();
  times.icons = MillisecondsUntil(
      start, [&] { return boxes.WithIcons() == boxes.Entries(); });
}

// Shows the main popup (not timed), selects the entry `downs` key presses
// down and times the key that opens its submenu, as a user opens it.
SubmenuTimes TimeSubmenu(const MenuSource& source, int downs, Icons icons) {
  SubmenuTimes times;
  const HWND main = ShowMainPopup(source).window;
  if (main != nullptr) {
    for (int i = 0; i < downs; ++i) {
      test::PressMenuKey(source.processId, VK_DOWN);
    }
    const Clock::time_point start = Clock::now();
    PostMessageA(main, WM_KEYDOWN, VK_RIGHT, 0);
    HWND submenu = nullptr;
    times.entries = MillisecondsUntil(start, [&] {
      int count = 0;
      HWND top = FindPopupMenu(source.processId, &count);
      if (count != 2 || top == main || !SubmenuPainted(top, source.look)) {
        return false;
      }
      submenu = top;
      return true;
    });
    if (submenu != nullptr && icons == Icons::Watch) {
      WatchIcons(submenu, start, times);
    }
  }
  if (!CloseMenus(source)) return {};
  return times;
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

bool StartLauncher(Launcher& launcher, const TempFolder& folder) {
  const ::testing::AssertionResult started = launcher.Start(folder);
  if (!started) {
    std::printf("  the launcher did not start: %s\n", started.message());
    return false;
  }
  WaitUntilSettled(folder.File(kSettingsFile));
  return true;
}

// The launcher's main popup with the default file: the banner, "Vorlane",
// a separator, "Email", a separator, the two programs, a separator, "Run".
BareLayout DefaultMainPopupShape() {
  return {TextItem("Vorlane"),
          TextItem("Vorlane"),
          SeparatorItem(),
          TextItem("Email"),
          SeparatorItem(),
          TextItem("Harddrive (C:\\)"),
          TextItem("Notepad"),
          SeparatorItem(),
          TextItem("Run")};
}

bool BenchDefaultMainPopup(const BareMenuHost& host, int runs) {
  std::printf("main popup, default file, against a bare popup of 6 items "
              "and 3 separators\n");
  // Without a settings file the launcher writes the default one.
  TempFolder folder;
  Launcher launcher;
  if (!StartLauncher(launcher, folder)) return false;
  const BareLayout shape = DefaultMainPopupShape();
  const MenuSource launcherMenus = LauncherSource(launcher);
  const MenuSource bareMenus = BareSource(host, shape);
  Series launcherTimes;
  Series bareTimes;
  launcherTimes.SetWarmUp(TimeMainPopup(launcherMenus));
  bareTimes.SetWarmUp(TimeMainPopup(bareMenus));
  for (int i = 0; i < runs; ++i) {
    launcherTimes.Add(TimeMainPopup(launcherMenus));
    bareTimes.Add(TimeMainPopup(bareMenus));
  }
  launcher.Close();
  PrintSeries("launcher", launcherTimes);
  PrintSeries("bare popup", bareTimes);
  PrintRatio("launcher/bare", launcherTimes, bareTimes, kMainPopupGoalRatio);
  std::fflush(stdout);
  return !launcherTimes.Empty();
}

// Distinct files that the shell has icons for, so that every entry of a big
// menu costs its own icon: the system folder's programs, then its libraries.
std::vector<std::string> IconFiles(std::size_t wanted) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, std::size(system));
  std::vector<std::string> files;
  for (const char* pattern : {"\\*.exe", "\\*.dll"}) {
    WIN32_FIND_DATAA found;
    HANDLE search =
        FindFirstFileA((std::string(system) + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        files.push_back(std::string(system) + "\\" + found.cFileName);
      }
    } while (files.size() < wanted && FindNextFileA(search, &found));
    FindClose(search);
    if (files.size() >= wanted) break;
  }
  return files;
}

// Written in one piece: Wine rewrites the whole file on every profile
// write, so building it key by key would take minutes.
test::SettingsFile LargeSettings(const std::vector<std::string>& files) {
  std::string order;
  for (int m = 1; m <= kMenus; ++m) order += std::to_string(m) + "*";
  test::SettingsFile settings;
  settings.Set("MenuOrder", order)
      .Set("MenuCount", std::to_string(kMenus))
      .Set("ShowEmailItem", "1")
      .Set("ShowFastStart", "1");
  for (int m = 1; m <= kMenus; ++m) {
    settings.Set("MenuName" + std::to_string(m), "Menu " + std::to_string(m));
    for (int i = 1; i <= kEntriesPerMenu; ++i) {
      const std::string& file = files[(i - 1) % files.size()];
      settings.Item(m, i, file, file.substr(file.rfind('\\') + 1));
    }
  }
  return settings;
}

bool BenchLargeMainPopup(int runs) {
  std::printf("main popup, %d menus of %d entries\n", kMenus, kEntriesPerMenu);
  const std::vector<std::string> files = IconFiles(kEntriesPerMenu);
  if (files.empty()) {
    std::printf("  no files with icons in the system folder\n");
    return false;
  }
  TempFolder folder;
  test::WriteTextFile(folder.File(kSettingsFile), LargeSettings(files).Text());
  Launcher launcher;
  if (!StartLauncher(launcher, folder)) return false;
  const MenuSource launcherMenus = LauncherSource(launcher);
  Series times;
  times.SetWarmUp(TimeMainPopup(launcherMenus));
  for (int i = 0; i < runs; ++i) times.Add(TimeMainPopup(launcherMenus));
  launcher.Close();
  char label[64] = {};
  std::snprintf(label, std::size(label), "launcher (%zu different files)",
                files.size());
  PrintSeries(label, times, kLargeMainPopupTargetMs);
  std::fflush(stdout);
  return !times.Empty();
}

bool WriteProgramsSettings(const TempFolder& folder) {
  return test::WriteProgramsMenu(folder, kPrograms);
}

struct ProgramSubmenuFigures {
  Series firstEntries;
  Series firstIcons;
  Series secondEntries;
  Series bareEntries;
  int visibleEntries = 0;
  int secondWithIcons = 0;
  int secondMeasured = 0;
};

// A launcher started afresh for the run, so that no icon is cached when its
// submenu opens the first time, and is when it opens the second time.
void TimeProgramSubmenuOnce(const TempFolder& folder,
                            ProgramSubmenuFigures& figures) {
  Launcher launcher;
  if (!StartLauncher(launcher, folder)) {
    figures.firstEntries.Add(std::nullopt);
    figures.firstIcons.Add(std::nullopt);
    figures.secondEntries.Add(std::nullopt);
    return;
  }
  const MenuSource launcherMenus = LauncherSource(launcher);
  const SubmenuTimes first =
      TimeSubmenu(launcherMenus, kDownsToPrograms, Icons::Watch);
  const SubmenuTimes second =
      TimeSubmenu(launcherMenus, kDownsToPrograms, Icons::Watch);
  launcher.Close();
  figures.firstEntries.Add(first.entries);
  figures.firstIcons.Add(first.icons);
  figures.visibleEntries =
      std::max(figures.visibleEntries, first.visibleEntries);
  figures.secondEntries.Add(second.entries);
  if (second.entries) {
    ++figures.secondMeasured;
    figures.secondWithIcons += second.iconsWithEntries ? 1 : 0;
  }
}

void PrintProgramSubmenu(const ProgramSubmenuFigures& figures) {
  char icons[64] = {};
  std::snprintf(icons, std::size(icons), "first opening, %d icons",
                figures.visibleEntries);
  PrintSeries("first opening, entries", figures.firstEntries);
  PrintSeries(icons, figures.firstIcons, kAllIconsGoalMs);
  PrintSeries("second opening, entries", figures.secondEntries);
  std::printf("  %-32s every visible icon shown with the entries in %d of %d "
              "runs\n", "", figures.secondWithIcons, figures.secondMeasured);
  PrintSeries("bare submenu, entries", figures.bareEntries);
  PrintRatio("first opening/bare", figures.firstEntries, figures.bareEntries,
             kSubmenuGoalRatio);
  PrintRatio("second opening/bare", figures.secondEntries,
             figures.bareEntries, kSubmenuGoalRatio);
}

bool BenchProgramSubmenu(const BareMenuHost& host, int runs) {
  std::printf("submenu of %d different programs, opened by key, against a "
              "bare submenu of %d items\n", kPrograms, kPrograms);
  TempFolder folder;
  if (!WriteProgramsSettings(folder)) {
    std::printf("  could not copy probe.exe into %s\n", folder.Path().c_str());
    return false;
  }
  const BareLayout shape = {SubmenuItem("Programs", kPrograms)};
  const MenuSource bareMenus = BareSource(host, shape);
  ProgramSubmenuFigures figures;
  figures.bareEntries.SetWarmUp(
      TimeSubmenu(bareMenus, kDownsToPrograms, Icons::Ignore).entries);
  for (int i = 0; i < runs; ++i) {
    TimeProgramSubmenuOnce(folder, figures);
    figures.bareEntries.Add(
        TimeSubmenu(bareMenus, kDownsToPrograms, Icons::Ignore).entries);
  }
  PrintProgramSubmenu(figures);
  std::fflush(stdout);
  return !figures.firstEntries.Empty() || !figures.secondEntries.Empty();
}

// A folder of files with names and no content: the listing and the entries
// are timed, and every file still has its own icon to look up.
bool WriteFolderSettings(const TempFolder& folder) {
  const std::string files = folder.File("Folder");
  if (!CreateDirectoryA(files.c_str(), nullptr)) return false;
  for (int i = 1; i <= kFolderFiles; ++i) {
    char name[32] = {};
    std::snprintf(name, std::size(name), "\\file%04d.txt", i);
    HANDLE file = CreateFileA((files + name).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
  }
  test::SettingsFile settings;
  settings.Set("MenuOrder", "1*").Set("MenuCount", "1");
  settings.Item(1, 1, files, "Folder", {{"Expand", "1"}});
  test::WriteTextFile(folder.File(kSettingsFile), settings.Text());
  return true;
}

// The main popup holds the banner, "Vorlane", a separator and the folder:
// the same keys as to the programs' submenu reach it.
bool BenchFolderSubmenu(const BareMenuHost& host, int runs) {
  std::printf("folder of %d files as a submenu, opened by key, against a "
              "bare submenu of %d items\n", kFolderFiles, kFolderFiles);
  TempFolder folder;
  if (!WriteFolderSettings(folder)) {
    std::printf("  could not write the folder in %s\n", folder.Path().c_str());
    return false;
  }
  Launcher launcher;
  if (!StartLauncher(launcher, folder)) return false;
  const MenuSource launcherMenus = LauncherSource(launcher);
  const BareLayout shape = {SubmenuItem("Folder", kFolderFiles)};
  const MenuSource bareMenus = BareSource(host, shape);
  Series folderEntries, bareEntries;
  folderEntries.SetWarmUp(
      TimeSubmenu(launcherMenus, kDownsToPrograms, Icons::Ignore).entries);
  bareEntries.SetWarmUp(
      TimeSubmenu(bareMenus, kDownsToPrograms, Icons::Ignore).entries);
  for (int i = 0; i < runs; ++i) {
    folderEntries.Add(
        TimeSubmenu(launcherMenus, kDownsToPrograms, Icons::Ignore).entries);
    bareEntries.Add(
        TimeSubmenu(bareMenus, kDownsToPrograms, Icons::Ignore).entries);
  }
  launcher.Close();
  PrintSeries("folder submenu, entries", folderEntries);
  PrintSeries("bare submenu, entries", bareEntries);
  PrintRatio("folder/bare", folderEntries, bareEntries, kSubmenuGoalRatio);
  std::fflush(stdout);
  return !folderEntries.Empty();
}

int Run(int runs) {
  const BareMenuHost host;
  if (!host.Ready()) {
    std::printf("no window for the bare popups: they are not measured\n");
  }
  bool measured = BenchDefaultMainPopup(host, runs);
  measured = BenchLargeMainPopup(runs) || measured;
  measured = BenchProgramSubmenu(host, runs) || measured;
  measured = BenchFolderSubmenu(host, runs) || measured;
  return measured ? 0 : 1;
}

}  // namespace
}  // namespace vorlane::bench

int main(int argc, char** argv) {
  int runs = 10;
  if (argc > 1) runs = std::max(1, std::atoi(argv[1]));
  return vorlane::bench::Run(runs);
}
