// The icons that the programs load by number are in the built programs, at
// the sizes the code asks for, and every program carries the product version.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resources/config_ids.h"
#include "resources/resource_ids.h"
#include "resources/version.h"
#include "test_support.h"
#include "win32/handles.h"
#include "win32/shell_icon.h"

namespace vorlane::test {
namespace {

#pragma pack(push, 2)
struct IconDirEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct IconDir {
  WORD reserved, type, count;
  IconDirEntry entries[1];
};
#pragma pack(pop)

const IconDir* IconGroup(HMODULE module, int id) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
  if (found == nullptr) return nullptr;
  return static_cast<const IconDir*>(LockResource(LoadResource(module, found)));
}

int EntryWidth(const IconDirEntry& entry) { return entry.width == 0 ? 256 : entry.width; }

std::set<int> IconSizes(HMODULE module, int id) {
  std::set<int> sizes;
  const IconDir* dir = IconGroup(module, id);
  for (WORD i = 0; dir != nullptr && i < dir->count; ++i) {
    sizes.insert(EntryWidth(dir->entries[i]));
  }
  return sizes;
}

// The width of the image LoadImage takes from the group for `size`, by the
// platform's own choice; 0 when it takes none.
int ImageChosenFor(HMODULE module, int id, int size) {
  const IconDir* dir = IconGroup(module, id);
  if (dir == nullptr) return 0;
  const int chosen = LookupIconIdFromDirectoryEx(
      reinterpret_cast<BYTE*>(const_cast<IconDir*>(dir)), TRUE, size, size,
      LR_DEFAULTCOLOR);
  for (WORD i = 0; i < dir->count; ++i) {
    if (dir->entries[i].id == chosen) return EntryWidth(dir->entries[i]);
  }
  return 0;
}

class LauncherResources : public ::testing::Test {
 protected:
  win32::UniqueModule module{LoadLibraryExA(
      (BinDirectory() + "\\Vorlane.exe").c_str(), nullptr,
      LOAD_LIBRARY_AS_DATAFILE)};
};

TEST_F(LauncherResources, IconsHaveTheirSizes) {
  ASSERT_TRUE(module);
  EXPECT_EQ(IconSizes(module.get(), IDI_TRAY), (std::set<int>{16, 20, 24, 32, 48}));
  for (int id : {IDI_TRAY_LIGHT, IDI_SUBMENU, IDI_EMAIL, IDI_BATCH, IDI_RUN, IDI_BANNER}) {
    EXPECT_EQ(IconSizes(module.get(), id), (std::set<int>{16, 20, 24, 32})) << id;
  }
  EXPECT_TRUE(IconSizes(module.get(), 103).empty());
}

// A display at 125, 150 or 200 % asks for 20, 24 or 32 pixels: each finds
// an image of its own rather than a 16 stretched.
TEST(IconScales, LoadImageFindsAnImageForEachDisplayScale) {
  const win32::UniqueModule launcher(LoadLibraryExA(
      (BinDirectory() + "\\Vorlane.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  const win32::UniqueModule config(LoadLibraryExA(
      (BinDirectory() + "\\config.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(launcher);
  ASSERT_TRUE(config);
  for (int size : {16, 20, 24, 32}) {
    EXPECT_EQ(ImageChosenFor(launcher.get(), IDI_SUBMENU, size), size);
    EXPECT_EQ(ImageChosenFor(config.get(), IDI_CHECK, size), size);
    EXPECT_EQ(ImageChosenFor(config.get(), IDI_CHECK_GREY, size), size);
  }
}

// "same", or how many pixels differ and the first of them.
std::string Difference(const std::vector<std::uint32_t>& got,
                       const std::vector<std::uint32_t>& expected, int size) {
  if (got.empty() || expected.empty()) return "nothing drawn";
  if (got.size() != expected.size()) {
    return "drew " + std::to_string(got.size()) + " pixels of " +
           std::to_string(expected.size());
  }
  int count = 0;
  std::string first;
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (got[i] == expected[i]) continue;
    if (count++ == 0) {
      char text[96];
      snprintf(text, std::size(text), " first at (%d, %d): %06X, drawing %06X",
               static_cast<int>(i) % size, static_cast<int>(i) / size,
               static_cast<unsigned>(got[i]), static_cast<unsigned>(expected[i]));
      first = text;
    }
  }
  return count == 0 ? "same" : std::to_string(count) + " pixels differ," + first;
}

// Most images are stored as PNG: each loads, at every size the programs
// ask for, as the pixels of the drawing stored as bitmaps (built into this
// test), over black and white alike so that transparency counts too.
TEST(IconScales, LauncherIconsShowTheirDrawingAtEverySize) {
  const win32::UniqueModule launcher(LoadLibraryExA(
      (BinDirectory() + "\\Vorlane.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(launcher);
  const HMODULE bitmaps = GetModuleHandleA(nullptr);
  for (int id : {IDI_TRAY, IDI_TRAY_LIGHT, IDI_SUBMENU, IDI_EMAIL, IDI_BATCH, IDI_RUN,
                 IDI_BANNER}) {
    for (int size : {16, 20, 24, 32, 48}) {
      SCOPED_TRACE("icon " + std::to_string(id) + " at " + std::to_string(size));
      const win32::UniqueIcon shipped(win32::ResourceIconAtSize(launcher.get(), id, size));
      const win32::UniqueIcon drawing(win32::ResourceIconAtSize(bitmaps, id, size));
      ASSERT_TRUE(drawing);
      ASSERT_TRUE(shipped);
      for (std::uint32_t background : {0x000000u, 0xFFFFFFu}) {
        EXPECT_EQ(Difference(IconDrawnOver(shipped.get(), size, background),
                             IconDrawnOver(drawing.get(), size, background), size),
                  "same")
            << "over " << std::hex << background;
      }
    }
  }
}

std::string VersionValue(const std::string& data, const char* name) {
  char* value = nullptr;
  UINT length = 0;
  const std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
  if (!VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&value),
                      &length) ||
      value == nullptr) {
    return "<none>";
  }
  return value;
}

// A release names one version: every program's version block, in text and
// in numbers, carries the one in version.h.
// One block for all three: each names its own file, the product is Vorlane,
// and the licence is given.
TEST(VersionResources, EveryProgramNamesItselfAndTheProductVersion) {
  const std::pair<const char*, const char*> programs[] = {
      {"Vorlane.exe", "Vorlane.exe"},
      {"config.exe", "config.exe"},
      {"Shellix.dll", "Shellix.dll"}};
  const DWORD packed = MAKELONG(VORLANE_VERSION_MINOR, VORLANE_VERSION_MAJOR);
  for (const auto& [file, originalName] : programs) {
    SCOPED_TRACE(file);
    const std::string path = BinDirectory() + "\\" + file;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
    EXPECT_EQ(VersionValue(data, "OriginalFilename"), originalName);
    EXPECT_EQ(VersionValue(data, "ProductName"), "Vorlane");
    EXPECT_NE(VersionValue(data, "LegalCopyright").find("MIT License"), std::string::npos);
    EXPECT_EQ(VersionValue(data, "FileVersion"), VORLANE_VERSION_TEXT);
    EXPECT_EQ(VersionValue(data, "ProductVersion"), VORLANE_VERSION_TEXT);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\",
                               reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, packed);
    EXPECT_EQ(fixed->dwProductVersionMS, packed);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), VORLANE_VERSION_PATCH);
  }
}

// The typeface a DIALOGEX template names, read from the template itself.
std::string DialogFace(HMODULE module, int id) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
  if (found == nullptr) return "<no dialog>";
  const auto* words = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
  if (words == nullptr || words[0] != 1 || words[1] != 0xFFFF) return "<no DIALOGEX>";
  const DWORD style = *reinterpret_cast<const DWORD*>(words + 6);
  if ((style & DS_SETFONT) == 0) return "<no font>";
  const WORD* at = words + 13;  // after the fixed part
  // Menu, class: none, an ordinal, or a string; then the title.
  for (int field = 0; field < 2; ++field) {
    if (*at == 0) {
      ++at;
    } else if (*at == 0xFFFF) {
      at += 2;
    } else {
      while (*at++ != 0) {
      }
    }
  }
  while (*at++ != 0) {
  }
  at += 3;  // point size, weight, italic and character set
  std::string face;
  for (; *at != 0; ++at) face += static_cast<char>(*at);
  return face;
}

// The shell's dialog font is TrueType and scales with the display, where
// a bitmap font turns blocky or blurred at 125 to 200 %.
TEST(DialogResources, EveryDialogUsesTheShellDialogFont) {
  const std::pair<const char*, std::vector<int>> programs[] = {
      {"config.exe",
       {IDD_ABOUT, IDD_CONFIG, IDD_RENAME_MENU, IDD_OPTIONS, IDD_CHOOSE_ICON}},
      {"Shellix.dll", {140}}};
  for (const auto& [file, dialogs] : programs) {
    const win32::UniqueModule module(LoadLibraryExA(
        (BinDirectory() + "\\" + file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module) << file;
    for (int id : dialogs) EXPECT_EQ(DialogFace(module.get(), id), "MS Shell Dlg") << file << " " << id;
  }
}

// Windows 7 to 11 are declared, or Windows treats the programs as written
// for Vista.
TEST(ManifestResources, TheProgramsDeclareTheSystemsTheyRunOn) {
  const char* const systems[] = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                 "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                 "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                 "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"};
  for (const char* file : {"Vorlane.exe", "config.exe"}) {
    const std::string manifest = ManifestOf(BinDirectory() + "\\" + file);
    for (const char* system : systems) {
      EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + system), std::string::npos)
          << file << " " << system;
    }
  }
}

INT_PTR CALLBACK InertDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The options' radio buttons as their template makes them, before a check
// moves the tab stop to the checked one: "Right and left click" is the one
// the keyboard does not stop at.
TEST(ConfigResources, OptionsRadioButtonsStopTheTabWhereTheTemplateSays) {
  const win32::UniqueModule config(LoadLibraryExA(
      (BinDirectory() + "\\config.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(config);
  const HWND options = CreateDialogParamA(
      config.get(), MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, InertDialog, 0);
  ASSERT_NE(options, nullptr);
  auto tabStop = [&](int id) {
    return (GetWindowLongA(GetDlgItem(options, id), GWL_STYLE) & WS_TABSTOP) != 0;
  };
  EXPECT_TRUE(tabStop(IDC_MOUSE_OVER));
  EXPECT_TRUE(tabStop(IDC_LEFT_CLICK));
  EXPECT_TRUE(tabStop(IDC_RIGHT_CLICK));
  EXPECT_FALSE(tabStop(IDC_BOTH_CLICKS));
  DestroyWindow(options);
}

TEST(ConfigResources, AboutBoxShowsTheProductVersion) {
  const win32::UniqueModule config(LoadLibraryExA(
      (BinDirectory() + "\\config.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(config);
  const HWND about = CreateDialogParamA(config.get(), MAKEINTRESOURCEA(IDD_ABOUT),
                                        nullptr, InertDialog, 0);
  ASSERT_NE(about, nullptr);
  std::string labels = "|";
  for (HWND child = GetWindow(about, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    char text[128] = {};
    GetWindowTextA(child, text, static_cast<int>(std::size(text)));
    labels += std::string(text) + "|";
  }
  DestroyWindow(about);
  EXPECT_NE(labels.find("|" VORLANE_VERSION_LABEL "|"), std::string::npos)
      << labels;
}

}  // namespace
}  // namespace vorlane::test
