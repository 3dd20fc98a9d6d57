// How long the launcher's menus take to reach the screen, measured from
// outside as a user meets them: from the tray callback (or the key that opens
// a submenu) until the popup is shown and painted. Prints figures to compare
// builds by; slow figures are reported, never treated as an error.
//
//   vorlane_menu_bench [runs]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "menu_driver.h"
#include "test_support.h"
#include "win32/handles.h"

namespace vorlane::bench {
namespace {

using test::FindPopupMenu;
using test::Launcher;
using test::TempFolder;
using Clock = std::chrono::steady_clock;

// The launcher's fill colours as COLORREF values (0x00BBGGRR).
constexpr COLORREF kGutter = 0x00D1D8DB;
constexpr COLORREF kFrame = 0x006A240A;
constexpr COLORREF kSelected = 0x00D2BDB6;
constexpr COLORREF kBanner = 0x00E29C7C;

constexpr int kMenus = 50;
constexpr int kEntriesPerMenu = 200;
// How far into a popup from its top or bottom edge the first or last entry's
// colours are looked for; covers Wine's frame and the scroll arrows it adds
// to a popup taller than the screen.
constexpr int kEdgeBand = 40;
constexpr auto kRunTimeout = std::chrono::seconds(30);
// Wine re-reads a settings file younger than about two seconds on every
// access; the figures are for a file that has settled.
constexpr auto kSettleFile = std::chrono::milliseconds(2500);

constexpr double kMainPopupTargetMs = 50;
constexpr double kSubmenuTargetMs = 150;

// The screen's pixels in `area` (screen coordinates), as COLORREF values.
std::vector<COLORREF> ReadScreen(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<COLORREF> pixels;
  HDC screen = GetDC(nullptr);
  void* bits = nullptr;
  win32::UniqueBitmap bitmap(
      CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win32::UniqueMemoryDc memory(CreateCompatibleDC(screen));
  if (bitmap && memory) {
    win32::SelectedObject selected(memory.get(), bitmap.get());
    if (BitBlt(memory.get(), 0, 0, width, height, screen, area.left, area.top,
               SRCCOPY)) {
      GdiFlush();
      const auto* source = static_cast<const std::uint32_t*>(bits);
      const std::size_t count = static_cast<std::size_t>(width) * height;
      pixels.reserve(count);
      // A 32-bit DIB holds 0x00RRGGBB, the reverse of a COLORREF.
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = source[i];
        pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
      }
    }
  }
  ReleaseDC(nullptr, screen);
  return pixels;
}

bool AnyOf(const std::vector<COLORREF>& pixels,
           std::initializer_list<COLORREF> colours) {
  return std::any_of(pixels.begin(), pixels.end(), [&](COLORREF pixel) {
    return std::find(colours.begin(), colours.end(), pixel) != colours.end();
  });
}

RECT ClientOnScreen(HWND window) {
  RECT area{};
  GetClientRect(window, &area);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
  return area;
}

RECT TopBand(RECT area) {
  area.bottom = std::min(area.bottom, area.top + kEdgeBand);
  return area;
}

RECT BottomBand(RECT area) {
  area.top = std::max(area.top, area.bottom - kEdgeBand);
  return area;
}

// Painted through: the first entry's colours at the top and the gutter of
// the last visible entry at the bottom, since entries are painted top down.
bool Painted(HWND popup, std::initializer_list<COLORREF> firstEntry) {
  const RECT area = ClientOnScreen(popup);
  return AnyOf(ReadScreen(TopBand(area)), firstEntry) &&
         AnyOf(ReadScreen(BottomBand(area)), {kGutter});
}

bool MainPopupPainted(HWND popup) { return Painted(popup, {kBanner}); }

// A submenu opened with the keyboard starts with its first entry selected.
bool SubmenuPainted(HWND popup) {
  return Painted(popup, {kGutter, kFrame, kSelected});
}

// Polled every millisecond or so rather than at the tests' 20 ms steps, which
// would round every figure up; the sleep leaves the launcher the processor.
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

// Closes every open popup of the launcher and waits until the screen no
// longer shows the last one, so that the next run cannot be fooled by
// pixels left behind at the same place.
bool CloseMenus(DWORD processId) {
  RECT lastMain{};
  for (int i = 0; i < 10; ++i) {
    int count = 0;
    HWND top = FindPopupMenu(processId, &count);
    if (top == nullptr) break;
    if (count == 1) lastMain = ClientOnScreen(top);
    test::PressMenuKey(processId, VK_ESCAPE);
  }
  if (!test::WaitForMenuClosed(processId)) return false;
  const bool cleared = test::WaitUntil(
      [&] { return !AnyOf(ReadScreen(TopBand(lastMain)), {kBanner}); });
  // The launcher tears the menu down after the window has gone; a tray
  // callback that arrives before that is ignored.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  return cleared;
}

std::optional<double> TimeMainPopup(Launcher& launcher) {
  const DWORD processId = launcher.Process().Id();
  const Clock::time_point start = Clock::now();
  test::PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  HWND popup = nullptr;
  std::optional<double> ms = MillisecondsUntil(start, [&] {
    if (popup == nullptr) popup = FindPopupMenu(processId);
    return popup != nullptr && MainPopupPainted(popup);
  });
  if (!CloseMenus(processId)) return std::nullopt;
  return ms;
}

// Opens the main popup (not timed), selects the entry `downs` key presses
// down and times the key that opens its submenu.
std::optional<double> TimeSubmenu(Launcher& launcher, int downs) {
  const DWORD processId = launcher.Process().Id();
  test::PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  HWND main = nullptr;
  const bool shown = MillisecondsUntil(Clock::now(), [&] {
                       if (main == nullptr) main = FindPopupMenu(processId);
                       return main != nullptr && MainPopupPainted(main);
                     }).has_value();
  std::optional<double> ms;
  if (shown) {
    for (int i = 0; i < downs; ++i) test::PressMenuKey(processId, VK_DOWN);
    const Clock::time_point start = Clock::now();
    PostMessageA(main, WM_KEYDOWN, VK_RIGHT, 0);
    ms = MillisecondsUntil(start, [&] {
      int count = 0;
      HWND top = FindPopupMenu(processId, &count);
      return count == 2 && top != main && SubmenuPainted(top);
    });
  }
  if (!CloseMenus(processId)) return std::nullopt;
  return ms;
}

void Report(const std::string& what,
            const std::function<std::optional<double>()>& run, int runs,
            double targetMs) {
  const std::optional<double> first = run();
  std::vector<double> figures;
  int failed = 0;
  for (int i = 0; i < runs; ++i) {
    if (std::optional<double> ms = run()) {
      figures.push_back(*ms);
    } else {
      ++failed;
    }
  }
  if (figures.empty()) {
    std::printf("%s: no run reached the screen within %lld s\n", what.c_str(),
                static_cast<long long>(kRunTimeout.count()));
    return;
  }
  std::sort(figures.begin(), figures.end());
  const std::size_t n = figures.size();
  const double median =
      n % 2 == 1 ? figures[n / 2] : (figures[n / 2 - 1] + figures[n / 2]) / 2;
  std::printf("%s: median %.1f ms (min %.1f, max %.1f) over %zu runs; "
              "target %.0f ms: %s\n",
              what.c_str(), median, figures.front(), figures.back(), n,
              targetMs, median <= targetMs ? "met" : "missed");
  if (first) {
    std::printf("  first run, not counted: %.1f ms\n", *first);
  }
  if (failed > 0) {
    std::printf("  %d runs did not reach the screen within %lld s\n", failed,
                static_cast<long long>(kRunTimeout.count()));
  }
  std::fflush(stdout);
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
std::string LargeSettings(const std::vector<std::string>& files) {
  std::string text = "[Settings]\r\nMenuOrder=";
  for (int m = 1; m <= kMenus; ++m) text += std::to_string(m) + "*";
  text += "\r\nMenuCount=" + std::to_string(kMenus) +
          "\r\nOpenMenu=1\r\nShowEmailItem=1\r\nShowFastStart=1\r\n";
  for (int m = 1; m <= kMenus; ++m) {
    const std::string menu = std::to_string(m);
    text += "Count" + menu + "=" + std::to_string(kEntriesPerMenu) +
            "\r\nMenuName" + menu + "=Menu " + menu + "\r\n";
  }
  for (int m = 1; m <= kMenus; ++m) {
    text += "[Program locations" + std::to_string(m) + "]\r\n";
    for (int i = 1; i <= kEntriesPerMenu; ++i) {
      const std::string& file = files[(i - 1) % files.size()];
      const std::string item = std::to_string(i);
      text += "Program" + item + "=" + file + "\r\nDes" + item + "=" +
              file.substr(file.rfind('\\') + 1) + "\r\n";
    }
  }
  return text;
}

bool StartLauncher(Launcher& launcher, const TempFolder& folder) {
  const ::testing::AssertionResult started = launcher.Start(folder);
  if (!started) {
    std::printf("the launcher did not start: %s\n", started.message());
    return false;
  }
  std::this_thread::sleep_for(kSettleFile);
  return true;
}

int Run(int runs) {
  {
    // Without a settings file the launcher writes the default one.
    TempFolder folder;
    Launcher launcher;
    if (!StartLauncher(launcher, folder)) return 1;
    Report("main popup (default file)", [&] { return TimeMainPopup(launcher); },
           runs, kMainPopupTargetMs);
    launcher.Close();
  }
  {
    const std::vector<std::string> files = IconFiles(kEntriesPerMenu);
    if (files.empty()) {
      std::printf("no files with icons in the system folder\n");
      return 1;
    }
    TempFolder folder;
    test::WriteTextFile(folder.File("vorlane.ini"), LargeSettings(files));
    std::printf("large file: %d menus of %d entries, %zu different files\n",
                kMenus, kEntriesPerMenu, files.size());
    Launcher launcher;
    if (!StartLauncher(launcher, folder)) return 1;
    Report("main popup (50 menus of 200 entries)",
           [&] { return TimeMainPopup(launcher); }, runs, kMainPopupTargetMs);
    // Banner, "Vorlane", "Email", then the first program menu.
    Report("submenu of 200 entries with icons",
           [&] { return TimeSubmenu(launcher, 4); }, runs, kSubmenuTargetMs);
    launcher.Close();
  }
  return 0;
}

}  // namespace
}  // namespace vorlane::bench

int main(int argc, char** argv) {
  int runs = 10;
  if (argc > 1) runs = std::max(1, std::atoi(argv[1]));
  return vorlane::bench::Run(runs);
}
