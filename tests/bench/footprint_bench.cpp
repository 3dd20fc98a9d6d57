// The private memory of the shipped launcher, idle after its start, after
// its first menu opening and after a hundred, beside a bare static tray
// program that does the same, both measured in this run. scripts/bench.sh
// puts both stripped release programs in the "release" folder beside this
// program. Figures are printed, never judged; the exit code says only
// whether anything was measured.
//
//   vorlane_footprint_bench [openings]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "menu_driver.h"
#include "test_support.h"

namespace vorlane::bench {
namespace {

using test::ChildProcess;
using test::TempFolder;

constexpr int kDefaultOpenings = 100;
// The interval between two readings of the memory while it settles: a
// measurement's sampling step, not a wait for an event.
constexpr auto kSettleStep = std::chrono::milliseconds(500);
constexpr int kMostSettleSteps = 20;
constexpr SIZE_T kSettledWithin = 8 * 1024;

struct Subject {
  const char* label;
  const char* file;         // in the release folder
  const char* windowClass;  // of its tray window
};
constexpr Subject kSubjects[] = {
    {"bare tray program", "bare_tray.exe", "VorlaneBareTray"},
    {"Vorlane.exe (release)", "Vorlane.exe", "Vorlane"},
};

// Windows counts a process's private memory twice, as PrivateUsage and as
// PagefileUsage (its commit charge); Wine 8 leaves PrivateUsage 0 for
// another process and fills only the second.
std::optional<SIZE_T> PrivateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(process,
                            reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof(counters))) {
    return std::nullopt;
  }
  const SIZE_T bytes =
      counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  if (bytes == 0) return std::nullopt;
  return bytes;
}

// Idle: two readings half a second apart that (nearly) agree.
std::optional<SIZE_T> IdlePrivateBytes(HANDLE process) {
  std::optional<SIZE_T> last = PrivateBytes(process);
  for (int i = 0; last && i < kMostSettleSteps; ++i) {
    std::this_thread::sleep_for(kSettleStep);
    const std::optional<SIZE_T> now = PrivateBytes(process);
    if (!now) return std::nullopt;
    const SIZE_T change = *now > *last ? *now - *last : *last - *now;
    last = now;
    if (change <= kSettledWithin) break;
  }
  return last;
}

// Opens the popup through the tray callback and closes it with Escape; false
// when it did not show or did not close.
bool OpenAndCloseMenu(HWND window, DWORD processId) {
  test::PostTrayMouse(window, WM_MOUSEMOVE);
  if (test::WaitForPopupMenu(processId) == nullptr) return false;
  test::PressMenuKey(processId, VK_ESCAPE);
  if (!test::WaitForMenuClosed(processId)) return false;
  // The menu is torn down in the same window procedure call that tracked
  // it, so a sent message is answered only once the next opening may come.
  return test::Answers(window);
}

std::string Kilobytes(std::optional<SIZE_T> bytes) {
  if (!bytes) return "no figure";
  char text[32];
  std::snprintf(text, std::size(text), "%6llu KB",
                static_cast<unsigned long long>(*bytes / 1024));
  return text;
}

bool Measure(const Subject& subject, int openings) {
  const std::string source =
      test::BinDirectory() + "\\release\\" + subject.file;
  TempFolder folder;
  const std::string program = folder.File(subject.file);
  if (!CopyFileA(source.c_str(), program.c_str(), FALSE)) {
    std::printf("  %-24s not measured: no %s\n", subject.label, source.c_str());
    return false;
  }
  ChildProcess process;
  if (!process.Start(program, "\"" + program + "\"")) {
    std::printf("  %-24s did not start: %lu\n", subject.label, GetLastError());
    return false;
  }
  WaitForInputIdle(process.Handle(), 10000);
  HWND window = nullptr;
  test::WaitUntil([&] {
    window = test::FindProcessWindow(process.Id(), subject.windowClass);
    return window != nullptr && test::TrayIconExists(window);
  });
  if (window == nullptr) {
    std::printf("  %-24s shows no tray window\n", subject.label);
    return false;
  }
  const std::optional<SIZE_T> started = IdlePrivateBytes(process.Handle());
  // The first opening pays once for what the shell loads to give icons; a
  // leak shows as growth after it.
  int opened = OpenAndCloseMenu(window, process.Id()) ? 1 : 0;
  const std::optional<SIZE_T> afterFirst = IdlePrivateBytes(process.Handle());
  for (int i = 1; i < openings; ++i) {
    if (OpenAndCloseMenu(window, process.Id())) ++opened;
  }
  const std::optional<SIZE_T> afterMenus = IdlePrivateBytes(process.Handle());
  std::printf("  %-24s after start %s, after the first menu %s, after %d menus %s\n",
              subject.label, Kilobytes(started).c_str(), Kilobytes(afterFirst).c_str(),
              opened, Kilobytes(afterMenus).c_str());
  PostMessageA(window, WM_CLOSE, 0, 0);
  process.WaitForExit();
  return started.has_value();
}

int Run(int openings) {
  std::printf("idle private memory (PrivateUsage, or PagefileUsage where Wine "
              "leaves it 0)\n");
  bool measured = false;
  for (const Subject& subject : kSubjects) {
    measured = Measure(subject, openings) || measured;
  }
  return measured ? 0 : 1;
}

}  // namespace
}  // namespace vorlane::bench

int main(int argc, char** argv) {
  int openings = vorlane::bench::kDefaultOpenings;
  if (argc > 1) openings = std::max(1, std::atoi(argv[1]));
  return vorlane::bench::Run(openings);
}
