// The real popup built by the launcher's code in this process, looked at
// while the platform's menu loop runs: items, identifiers, types, submenus
// filled on opening, the font and icons the entries are painted with, and
// nothing left behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "churned_menus.h"
#include "launcher/folder_listing_win32.h"
#include "launcher/launcher_state.h"
#include "menu_look.h"
#include "screen_shot.h"
#include "test_support.h"

namespace vorlane::launcher {
namespace {

using test::SettingsFile;
using test::TempFolder;
using test::WriteTextFile;

void EndMenu() { PostMessageA(State().hwnd, WM_CANCELMODE, 0, 0); }

// One scripted step runs each time the menu loop falls idle with no icon
// left to load; the step inspects the menus and posts the next key or ends
// the menu. A step that fails fatally ends the menu at once, and a menu
// still open long after it was shown is ended as a failure, so that no
// failure waits for the test's time-out.
std::vector<std::function<void()>> g_steps;
std::size_t g_nextStep = 0;
constexpr UINT_PTR kWatchdogTimer = 0x7e57;
constexpr UINT kWatchdogMilliseconds = 30000;

// What the launcher was asked to measure and paint, in order.
struct DrawRecord {
  std::string text;
  bool withIcon;
};
std::vector<DrawRecord> g_draws;
std::vector<UINT> g_measuredHeights;
WNDPROC g_launcherProc = nullptr;
// Whether steps wait for the icons; with false each runs at the next idle.
bool g_stepsWaitForIcons = true;
// The launcher's icon timer firing once its menu loop has ended.
bool g_menuEnded = false;
int g_iconTimerAfterMenu = 0;
constexpr UINT_PTR kLauncherIconTimer = 1;
// With it, steps also get a chance every few milliseconds, for steps that
// wait for what happens without input (see Once).
bool g_pollSteps = false;
constexpr UINT_PTR kPollTimer = 0x9011;
DWORD g_menuThread = 0;
// The popup the launcher filled last, and when it was done.
HMENU g_filled = nullptr;
DWORD g_filledAt = 0;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam,
                               LPARAM lParam) {
  if (message == WM_TIMER && wParam == kWatchdogTimer) {
    ADD_FAILURE() << "the menu was still open " << kWatchdogMilliseconds
                  << " ms after it was shown, at step " << g_nextStep
                  << " of " << g_steps.size();
    KillTimer(hwnd, kWatchdogTimer);
    g_nextStep = g_steps.size();
    EndMenu();
    return 0;
  }
  if (message == WM_DRAWITEM) {
    const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (const auto* entry = reinterpret_cast<const MenuEntry*>(draw.itemData)) {
      g_draws.push_back({entry->text, entry->Icon() != nullptr});
    }
  }
  if (message == WM_EXITMENULOOP) g_menuEnded = true;
  if (message == WM_TIMER && wParam == kLauncherIconTimer && g_menuEnded) {
    ++g_iconTimerAfterMenu;
  }
  const bool wasLoading = !State().pendingIcons.empty();
  const LRESULT result =
      CallWindowProcA(g_launcherProc, hwnd, message, wParam, lParam);
  if (message == WM_INITMENUPOPUP) {
    g_filled = reinterpret_cast<HMENU>(wParam);
    g_filledAt = GetTickCount();
  }
  if (message == WM_MEASUREITEM) {
    g_measuredHeights.push_back(
        reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->itemHeight);
  }
  // Steps look at a menu whose icons are all in: when the menu loop falls
  // idle, or when the last icon came (Wine's menu loop does not fall idle
  // again after posted and timer messages).
  const bool idle = message == WM_ENTERIDLE && wParam == MSGF_MENU;
  const bool lastIconIn =
      (message == WM_ENTRYICONS || message == WM_TIMER) && wasLoading;
  const bool poll = message == WM_TIMER && wParam == kPollTimer;
  if ((idle || lastIconIn || poll) && g_nextStep < g_steps.size() &&
      (State().pendingIcons.empty() ||
       ((idle || poll) && !g_stepsWaitForIcons))) {
    g_steps[g_nextStep++]();
    if (::testing::Test::HasFatalFailure()) {
      g_nextStep = g_steps.size();
      EndMenu();
    }
  }
  return result;
}

BOOL CALLBACK FindVisiblePopup(HWND hwnd, LPARAM out) {
  char name[16] = {};
  GetClassNameA(hwnd, name, std::size(name));
  if (lstrcmpA(name, "#32768") == 0 && IsWindowVisible(hwnd)) {
    *reinterpret_cast<HWND*>(out) = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The popup opened last: windows are listed from the top of the z-order.
HWND TopPopup() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindVisiblePopup,
                    reinterpret_cast<LPARAM>(&found));
  return found;
}

// A step that waits: `then` runs once `condition` holds, which is looked at
// again at every chance the steps get (with g_pollSteps, also without input).
std::function<void()> Once(std::function<bool()> condition,
                           std::function<void()> then) {
  return [condition = std::move(condition), then = std::move(then)] {
    if (condition()) {
      then();
    } else {
      --g_nextStep;
    }
  };
}

BOOL CALLBACK CountVisiblePopups(HWND window, LPARAM count) {
  char name[16] = {};
  GetClassNameA(window, name, std::size(name));
  if (lstrcmpA(name, "#32768") == 0 && IsWindowVisible(window)) {
    ++*reinterpret_cast<int*>(count);
  }
  return TRUE;
}

// A step that waits until as many popups show as the keys before it
// opened or left open (with g_pollSteps).
std::function<void()> WithPopups(int popups, std::function<void()> then) {
  return Once(
      [popups] {
        int open = 0;
        EnumThreadWindows(GetCurrentThreadId(), CountVisiblePopups,
                          reinterpret_cast<LPARAM>(&open));
        return open == popups;
      },
      std::move(then));
}

// Keys go to the popup opened last; a key that closes a popup ends a step,
// as the next key must find the popup below it.
void Press(WPARAM key, int times = 1) {
  for (int i = 0; i < times; ++i) {
    PostMessageA(TopPopup(), WM_KEYDOWN, key, 0);
  }
}

struct ItemView {
  UINT id;
  UINT type;
  HMENU submenu;
  const MenuEntry* entry;
};

std::vector<ItemView> Items(HMENU menu) {
  std::vector<ItemView> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    items.push_back({info.wID, info.fType, info.hSubMenu,
                     reinterpret_cast<const MenuEntry*>(info.dwItemData)});
  }
  return items;
}

std::vector<std::string> Texts(HMENU menu) {
  std::vector<std::string> texts;
  for (const ItemView& item : Items(menu)) {
    texts.push_back(item.entry ? item.entry->text : "<no entry>");
  }
  return texts;
}

class Popup : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    State().instance = GetModuleHandleA(nullptr);
    RegisterMainClass(State().instance);
  }

  void SetUp() override {
    State().hwnd = CreateMainWindow(State().instance);
    ASSERT_NE(State().hwnd, nullptr);
    g_launcherProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        State().hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
    State().iniPath = folder.File("vorlane.ini");
    g_steps.clear();
    g_nextStep = 0;
    g_draws.clear();
    g_measuredHeights.clear();
    g_stepsWaitForIcons = true;
    g_menuEnded = false;
    g_iconTimerAfterMenu = 0;
    g_pollSteps = false;
    g_menuThread = GetCurrentThreadId();
  }

  void TearDown() override {
    DestroyWindow(State().hwnd);
    // The window's end posts a quit message that must not end a later loop.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  void Settings(const SettingsFile& settings) {
    WriteTextFile(State().iniPath, settings.Text());
  }

  // Shows the menu as the tray callback does and runs the steps in it.
  void Show(std::vector<std::function<void()>> steps) {
    g_steps = std::move(steps);
    g_nextStep = 0;
    State().menuOpen = true;
    SetTimer(State().hwnd, kWatchdogTimer, kWatchdogMilliseconds, nullptr);
    if (g_pollSteps) SetTimer(State().hwnd, kPollTimer, 20, nullptr);
    ShowTrayMenu();
    KillTimer(State().hwnd, kWatchdogTimer);
    KillTimer(State().hwnd, kPollTimer);
    EXPECT_EQ(g_nextStep, g_steps.size()) << "menu ended before its steps";
    EXPECT_FALSE(State().menuOpen);
    EXPECT_TRUE(State().entries.empty());
    EXPECT_TRUE(State().menus.empty());
  }

  HMENU Slot(std::size_t slot) {
    return slot < State().menus.size() ? State().menus[slot].get() : nullptr;
  }

  TempFolder folder;
};

// Menu 1 with two items, then menus 3 and 2 in the order of MenuOrder, the
// e-mail submenu with one contact, and "Run".
SettingsFile ThreeMenus() {
  const std::string windows = test::WindowsDirectory();
  return SettingsFile()
      .Set("MenuOrder", "1*3*2*")
      .Set("MenuCount", "3")
      .Set("ShowEmailItem", "1")
      .Set("ShowFastStart", "1")
      .Set("MenuName2", "Two")
      .Set("MenuName3", "Three")
      .Item(1, 1, windows + "\\notepad.exe", "Notepad")
      .Item(1, 2, "C:\\", "Drive")
      .Item(2, 1, windows, "Windows")
      .Item(2, 2, "", "")
      .Item(3, 1, "www.example.org", "Web")
      .Contact(1, "Ann", "ann@example.org");
}

TEST_F(Popup, MainPopupItemsWhileTheMenuRuns) {
  Settings(ThreeMenus());
  Show({[&] {
    const std::vector<ItemView> items = Items(Slot(0));
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(Texts(Slot(0)),
              (std::vector<std::string>{"", "Vorlane", "", "Email", "Three", "Two",
                                        "", "Notepad", "Drive", "", "Run"}));
    for (const ItemView& item : items) {
      EXPECT_TRUE(item.type & MFT_OWNERDRAW);
    }
    EXPECT_EQ(items[0].entry->kind, MenuEntryKind::Banner);
    EXPECT_EQ(items[0].id, 12u);
    EXPECT_TRUE(items[2].type & MFT_SEPARATOR);
    EXPECT_TRUE(items[6].type & MFT_SEPARATOR);
    EXPECT_EQ(items[1].submenu, Slot(1));
    EXPECT_EQ(items[3].submenu, Slot(2));
    EXPECT_EQ(items[4].submenu, Slot(3));
    EXPECT_EQ(items[5].submenu, Slot(4));
    EXPECT_EQ(items[1].id, 0u);
    EXPECT_EQ(items[7].id, 9999u + 13);  // 6 system entries, then 7 before it
    EXPECT_EQ(items[7].entry->itemNo, 1);
    EXPECT_EQ(items[7].entry->menuRef, 1);
    EXPECT_NE(items[7].entry->icon.get(), nullptr) << "notepad's icon";
    EXPECT_EQ(items[10].id, 7u);
    EXPECT_EQ(Texts(Slot(1)),
              (std::vector<std::string>{"Config", "Options", "Help", "Donate!",
                                        "About", "Exit"}));
    EXPECT_EQ(GetMenuItemCount(Slot(3)), 0) << "filled only when opened";
    EndMenu();
  }});
  EXPECT_FALSE(g_measuredHeights.empty());
  EXPECT_FALSE(g_draws.empty());
}

// What screen readers read: the platform's own text of each entry, as
// GetMenuString gives it ("&&" is how the platform keeps one "&").
std::vector<std::string> PlatformTexts(HMENU menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), text, std::size(text), MF_BYPOSITION);
    texts.push_back(text);
  }
  return texts;
}

TEST_F(Popup, EveryEntryCarriesItsTextForScreenReaders) {
  Settings(ThreeMenus().Item(1, 3, "C:\\", "Tom & Jerry"));
  Show({[&] {
          EXPECT_EQ(PlatformTexts(Slot(0)),
                    (std::vector<std::string>{"Vorlane", "Vorlane", "", "Email",
                                              "Three", "Two", "", "Notepad",
                                              "Drive", "Tom && Jerry", "", "Run"}));
          EXPECT_EQ(PlatformTexts(Slot(1)),
                    (std::vector<std::string>{"Config", "Options", "Help",
                                              "Donate!", "About", "Exit"}));
          Press(VK_DOWN, 5);  // banner, Vorlane, Email, Three, Two
          Press(VK_RIGHT);
        },
        [&] {
          EXPECT_EQ(PlatformTexts(g_filled),
                    (std::vector<std::string>{"Windows", ""}));
          EndMenu();
        }});
}

// Where high contrast is on, the menu takes the system's colours only,
// whatever the Theme key asks; Wine cannot turn high contrast on, so the
// launcher is told so in its place.
TEST_F(Popup, HighContrastPaintsOnlyInTheSystemsColours) {
  State().systemLook = [] {
    SystemLook look = ReadSystemLook();
    look.highContrast = true;
    return look;
  };
  test::OnScopeExit putBack([] { State().systemLook = ReadSystemLook; });
  Settings(ThreeMenus().Set("Theme", "2"));
  Show({[&] { Press(VK_DOWN, 2); },  // banner, Vorlane
        [&] {
          const COLORREF menu = GetSysColor(COLOR_MENU);
          const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
          const test::ScreenShot shot(TopPopup());
          // A pixel `x`, `y` into the entry at `position`, in the shot.
          const auto at = [&](int position, int x, int y) {
            RECT item{};
            EXPECT_TRUE(GetMenuItemRect(TopPopup(), Slot(0),
                                        static_cast<UINT>(position), &item));
            POINT point{item.left + x, item.top + y};
            ScreenToClient(TopPopup(), &point);
            return shot.At(point.x, point.y);
          };
          const std::vector<ItemView> items = Items(Slot(0));
          for (std::size_t i = 0; i < items.size(); ++i) {
            const bool banner = i == 0, selected = i == 1;
            const int position = static_cast<int>(i);
            EXPECT_EQ(at(position, 1, 1), selected ? highlight : menu)
                << "gutter of entry " << i;
            EXPECT_EQ(at(position, 25, 1), banner || selected ? highlight : menu)
                << "right of the gutter of entry " << i;
            if (items[i].type & MFT_SEPARATOR) {
              EXPECT_EQ(at(position, 30, 2), GetSysColor(COLOR_3DSHADOW))
                  << "line of entry " << i;
            }
          }
          EndMenu();
        }});
}

// A folder on a share that does not answer: its submenu says so within the
// listing's bound, and the menu goes on answering keys meanwhile.
HANDLE g_releaseListing = nullptr;
FolderListing HangingListing(const std::wstring& folder) {
  WaitForSingleObject(g_releaseListing, 10000);
  return ListFolder(folder);
}

TEST_F(Popup, AFolderThatDoesNotAnswerSaysSoAndTheMenuGoesOn) {
  g_releaseListing = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetFolderLister(HangingListing);
  test::OnScopeExit putBack([] {
    SetEvent(g_releaseListing);
    SetFolderLister(nullptr);
    EXPECT_TRUE(test::WaitUntil([] { return FolderListingsRunning() == 0; }));
    CloseHandle(g_releaseListing);
  });
  Settings(SettingsFile().Item(1, 1, folder.Path(), "Share", {{"Expand", "1"}}));
  Show({[&] {
          Press(VK_DOWN, 3);  // banner, Vorlane, Share
          Press(VK_RIGHT);
        },
        [&] {
          EXPECT_EQ(PlatformTexts(g_filled), std::vector<std::string>{"(not answering)"});
          Press(VK_LEFT);
        },
        [&] {
          int open = 0;
          EnumThreadWindows(GetCurrentThreadId(), CountVisiblePopups,
                            reinterpret_cast<LPARAM>(&open));
          EXPECT_EQ(open, 1) << "Left did not close the folder's submenu";
          EndMenu();
        }});
}

// A folder's submenu as the platform holds it for screen readers, a
// disabled entry in brackets.
std::vector<std::wstring> WideTexts(HMENU menu) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, std::size(text), MF_BYPOSITION);
    const bool grey = (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED) != 0;
    texts.push_back(grey ? L"[" + std::wstring(text) + L"]" : std::wstring(text));
  }
  return texts;
}

// Subfolders before files, digits in names as numbers, shortcuts without
// their extension, a name outside the ANSI code page whole and with its
// icon, a hidden file left out; a folder that is gone says so.
TEST_F(Popup, AFoldersSubmenuListsWhatTheFolderHolds) {
  const std::string box = folder.File("Box");
  ASSERT_TRUE(CreateDirectoryA(box.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((box + "\\Sub").c_str(), nullptr));
  for (const wchar_t* name : {L"c.URL", L"a10.txt", L"b.lnk", L"a9.txt", L"\u03c9mega.txt",
                              L"secret.txt"}) {
    const std::wstring path = test::Widen(box) + L"\\" + name;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  ASSERT_TRUE(SetFileAttributesA((box + "\\secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  Settings(SettingsFile()
               .Item(1, 1, box, "Box", {{"Expand", "1"}})
               .Item(1, 2, folder.File("Gone"), "Gone", {{"Expand", "1"}}));
  Show({[&] {
          Press(VK_DOWN, 3);  // banner, Vorlane, Box
          Press(VK_RIGHT);
        },
        [&] {
          EXPECT_EQ(WideTexts(g_filled),
                    (std::vector<std::wstring>{L"Open folder", L"", L"Sub", L"a9.txt",
                                               L"a10.txt", L"b", L"c", L"\u03c9mega.txt"}));
          const std::vector<ItemView> items = Items(g_filled);
          ASSERT_EQ(items.size(), 8u);
          EXPECT_NE(items[7].entry->Icon(), nullptr) << "no icon for the name outside the code page";
          Press(VK_LEFT);
        },
        [&] {
          Press(VK_DOWN);
          Press(VK_RIGHT);
        },
        [&] {
          EXPECT_EQ(WideTexts(g_filled), std::vector<std::wstring>{L"[(not found)]"});
          EndMenu();
        }});
}

// A folder's submenu opened again and again, and its nested one, in one
// showing of the menu: each listing takes the place of the last, so that
// the entries never run out of command identifiers.
TEST_F(Popup, AFolderOpenedAgainListsAfreshInPlaceOfTheLastListing) {
  const std::string box = folder.File("Box");
  ASSERT_TRUE(CreateDirectoryA(box.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((box + "\\Inner").c_str(), nullptr));
  WriteTextFile(box + "\\Inner\\deep.txt", "");
  WriteTextFile(box + "\\one.txt", "");
  g_stepsWaitForIcons = false;
  g_pollSteps = true;
  Settings(SettingsFile().Item(1, 1, box, "Box", {{"Expand", "1"}}));
  std::size_t listed = 0;
  std::vector<std::function<void()>> steps = {[&] {
    Press(VK_DOWN, 3);  // banner, Vorlane, Box
    Press(VK_RIGHT);
  }};
  for (int round = 0; round < 3; ++round) {
    steps.push_back(WithPopups(2, [&, round] {
      if (round == 0) listed = State().entries.size();
      EXPECT_EQ(State().entries.size(), listed) << "round " << round;
      if (round == 2) WriteTextFile(box + "\\two.txt", "");
      Press(VK_DOWN);  // from Open folder to Inner
      Press(VK_RIGHT);
    }));
    steps.push_back(WithPopups(3, [&] {
      EXPECT_EQ(WideTexts(g_filled), (std::vector<std::wstring>{L"Open folder", L"", L"deep.txt"}));
      Press(VK_LEFT);
    }));
    steps.push_back(WithPopups(2, [] { Press(VK_LEFT); }));
    steps.push_back(WithPopups(1, [] { Press(VK_RIGHT); }));
  }
  steps.push_back(WithPopups(2, [&] {
    EXPECT_EQ(WideTexts(g_filled), (std::vector<std::wstring>{L"Open folder", L"", L"Inner",
                                                               L"one.txt", L"two.txt"}));
    EXPECT_EQ(State().entries.size(), listed + 1);
    EndMenu();
  }));
  Show(steps);
}

TEST_F(Popup, SubmenusAreFilledWhenTheyOpen) {
  Settings(ThreeMenus());
  std::size_t rootEntries = 0;
  Show({[&] {
          rootEntries = State().entries.size();
          Press(VK_DOWN, 5);  // banner, Vorlane, Email, Three, Two
          Press(VK_RIGHT);
        },
        [&] {
          // "Two" shows menu 2: its second item has no text and is a separator.
          const std::vector<ItemView> items = Items(Slot(4));
          ASSERT_EQ(items.size(), 2u);
          EXPECT_STREQ(items[0].entry->text, "Windows");
          EXPECT_EQ(items[0].entry->menuRef, 5);
          EXPECT_EQ(items[0].id, 9999u + rootEntries);
          EXPECT_TRUE(items[1].type & MFT_SEPARATOR);
          EXPECT_EQ(State().entries.size(), rootEntries + 2);
          Press(VK_LEFT);
        },
        [&] {
          Press(VK_UP);
          Press(VK_RIGHT);
        },
        [&] {
          // "Three" now: the entries of "Two" are gone, menu 3's are there.
          EXPECT_EQ(Texts(Slot(3)), (std::vector<std::string>{"Web"}));
          EXPECT_EQ(State().entries.size(), rootEntries + 1);
          EXPECT_NE(Items(Slot(3))[0].entry->icon.get(), nullptr)
              << "Internet shortcut icon";
          Press(VK_LEFT);
        },
        [&] {
          // Back to "Two", changed in the file meanwhile: read again.
          WritePrivateProfileStringA("Program locations2", "Des1", "Changed",
                                     State().iniPath.c_str());
          Press(VK_DOWN);
          Press(VK_RIGHT);
        },
        [&] {
          EXPECT_EQ(Texts(Slot(4)), (std::vector<std::string>{"Changed", ""}));
          EXPECT_EQ(State().entries.size(), rootEntries + 2);
          Press(VK_LEFT);
        },
        [&] {
          Press(VK_UP, 2);
          Press(VK_RIGHT);
        },
        [&] {
          EXPECT_EQ(Texts(Slot(2)),
                    (std::vector<std::string>{"Blank Email", "", "Ann"}));
          EXPECT_EQ(Items(Slot(2))[2].id, 20000u);
          EndMenu();
        }});
}

TEST_F(Popup, ChangesToTheFileShowAtTheNextOpening) {
  Settings(ThreeMenus());
  Show({[&] {
    EXPECT_EQ(Texts(Slot(0))[7], "Notepad");
    EndMenu();
  }});
  WritePrivateProfileStringA("Program locations1", "Des1", "Editor",
                             State().iniPath.c_str());
  WritePrivateProfileStringA("Settings", "ShowFastStart", "0",
                             State().iniPath.c_str());
  Show({[&] {
    const std::vector<std::string> texts = Texts(Slot(0));
    EXPECT_EQ(texts[7], "Editor");
    EXPECT_EQ(texts.size(), 9u) << "no Run entry any more";
    EndMenu();
  }});
}

TEST_F(Popup, FontKeysMakeTheFontEntriesAreMeasuredWith) {
  Settings(ThreeMenus()
               .Set("FontFace", "Tahoma")
               .Set("FontSize", "-40")
               .Set("FontWeight", "700")
               .Set("FontItalic", "1")
               .Set("FontUnderline", "1")
               .Set("FontStrikeOut", "1"));
  const long fontsBefore = win32::UniqueFont::Live();
  Show({[&] {
    EXPECT_EQ(win32::UniqueFont::Live(), fontsBefore + 1);
    ASSERT_NE(State().menuFont, nullptr);
    EXPECT_EQ(State().menuFont, State().ownedFont.get());
    LOGFONTA font{};
    ASSERT_EQ(GetObjectA(State().menuFont, sizeof(font), &font),
              static_cast<int>(sizeof(font)));
    EXPECT_EQ(font.lfHeight, -40);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_TRUE(font.lfItalic);
    EXPECT_TRUE(font.lfUnderline);
    EXPECT_TRUE(font.lfStrikeOut);
    EXPECT_STREQ(font.lfFaceName, "Tahoma");
    EndMenu();
  }});
  EXPECT_EQ(win32::UniqueFont::Live(), fontsBefore);
  // Characters 40 pixels high make every entry but the banner and the
  // separators taller than the 20 pixels of the default font.
  int tall = 0;
  for (UINT height : g_measuredHeights) tall += height >= 40 ? 1 : 0;
  EXPECT_GE(tall, 7) << "entries measured with the configured font";
}

// The colour an icon shows in its middle when drawn at menu size.
COLORREF IconColour(HICON icon) {
  win32::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  HDC screen = GetDC(nullptr);
  win32::UniqueBitmap bitmap(CreateCompatibleBitmap(screen, 16, 16));
  ReleaseDC(nullptr, screen);
  win32::SelectedObject selected(dc.get(), bitmap.get());
  const RECT all{0, 0, 16, 16};
  FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(dc.get(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  return GetPixel(dc.get(), 8, 8);
}

const MenuEntry* EntryNamed(HMENU menu, const std::string& text) {
  for (const ItemView& item : Items(menu)) {
    if (item.entry != nullptr && text == item.entry->text) return item.entry;
  }
  return nullptr;
}

// The colour of the small icon the shell gives for a path (under Wine the
// generic one for most files).
COLORREF ShellIconColour(const std::string& path) {
  SHFILEINFOA info{};
  if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info),
                     SHGFI_ICON | SHGFI_SMALLICON) == 0) {
    return CLR_INVALID;
  }
  win32::UniqueIcon icon(info.hIcon);
  return IconColour(icon.get());
}

TEST_F(Popup, ItemIconsComeFromTheIconKeyOrElseFromTheLocation) {
  constexpr COLORREF kCustom = RGB(0xe0, 0x10, 0xc0);
  const std::vector<COLORREF> library{RGB(0x10, 0xa0, 0x20),
                                      RGB(0x20, 0x30, 0xe0),
                                      RGB(0xf0, 0xa0, 0x10)};
  const std::string custom = folder.File("custom.ico");
  const std::string icons = folder.File("icons.exe");
  const std::string notes = folder.File("notes.txt");
  test::WriteSolidIcon(custom, kCustom);
  ASSERT_TRUE(test::WriteIconLibrary(icons, library));
  WriteTextFile(notes, "no icons in here");
  Settings(SettingsFile()
               .Item(1, 1, notes, "Icon file", {{"Icon", custom + ",0"}})
               .Item(1, 2, notes, "Third icon", {{"Icon", icons + ",2"}})
               .Item(1, 3, icons, "No icon in the file", {{"Icon", notes + ",0"}})
               .Item(1, 4, icons, "No such number", {{"Icon", icons + ",7"}})
               .Item(1, 5, notes, "No comma", {{"Icon", custom}}));
  ReleaseIconCache();
  Show({[&] {
    const std::pair<const char*, COLORREF> expected[] = {
        {"Icon file", kCustom},
        {"Third icon", library[2]},
        // Nothing to extract: the location's own icon, as the shell has it.
        {"No icon in the file", ShellIconColour(icons)},
        {"No such number", ShellIconColour(icons)},
        {"No comma", ShellIconColour(notes)}};
    for (const auto& [text, colour] : expected) {
      const MenuEntry* entry = EntryNamed(Slot(0), text);
      ASSERT_NE(entry, nullptr) << text;
      ASSERT_NE(entry->Icon(), nullptr) << text;
      EXPECT_EQ(IconColour(entry->Icon()), colour) << text;
    }
    EndMenu();
  }});
}

// A submenu of many programs shows its entries before their icons, the
// icons arrive while it stays open, and the next opening shows them at once.
TEST_F(Popup, EntriesArePaintedBeforeTheirIconsAreLoaded) {
  constexpr int kPrograms = 200;
  ASSERT_TRUE(test::WriteProgramsMenu(folder, kPrograms));
  ReleaseIconCache();
  // For each entry drawn: with its icon at its first drawing, and at all.
  const auto summarise = [](int* firstWithIcon, int* everWithIcon) {
    std::vector<std::string> seen;
    std::vector<std::string> withIcon;
    for (const DrawRecord& draw : g_draws) {
      if (draw.text.rfind("Program ", 0) != 0) continue;
      if (std::find(seen.begin(), seen.end(), draw.text) == seen.end()) {
        seen.push_back(draw.text);
        *firstWithIcon += draw.withIcon ? 1 : 0;
      }
      if (draw.withIcon && std::find(withIcon.begin(), withIcon.end(),
                                     draw.text) == withIcon.end()) {
        withIcon.push_back(draw.text);
      }
    }
    *everWithIcon = static_cast<int>(withIcon.size());
    return static_cast<int>(seen.size());
  };
  const auto openPrograms = [&] {
    Show({[&] {
            Press(VK_DOWN, 3);  // banner, Vorlane, Programs
            Press(VK_RIGHT);
          },
          [&] { EndMenu(); }});
  };

  openPrograms();
  int firstWithIcon = 0, everWithIcon = 0;
  const int drawn = summarise(&firstWithIcon, &everWithIcon);
  ASSERT_GT(drawn, 10) << "entries of the submenu drawn";
  EXPECT_EQ(firstWithIcon, 0) << "entries waited for their icons";
  EXPECT_EQ(everWithIcon, drawn) << "icons that never arrived while open";

  g_draws.clear();
  openPrograms();
  firstWithIcon = everWithIcon = 0;
  EXPECT_EQ(summarise(&firstWithIcon, &everWithIcon), drawn);
  EXPECT_EQ(firstWithIcon, drawn) << "cached icons not drawn at once";
}

// The launcher's own "Vorlane Error" box, closed by a timer of the test
// since it blocks this thread.
constexpr UINT_PTR kCloseBoxTimer = 0xb0c5;

// What waited to be looked up while the box was shown.
std::size_t g_pendingAtBox = 0;
std::size_t g_queuedAtBox = 0;

void CALLBACK CloseErrorBox(HWND, UINT, UINT_PTR timer, DWORD) {
  if (HWND box = FindWindowA("#32770", "Vorlane Error")) {
    g_pendingAtBox = State().pendingIcons.size();
    g_queuedAtBox = State().iconLoader ? State().iconLoader->Queued() : 0;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    KillTimer(nullptr, timer);
  }
}

// Draws an icon file anew with a later write time, whatever the clock's
// steps, as a changed file.
void RedrawIconFile(const std::string& path, COLORREF colour) {
  test::WriteSolidIcon(path, colour);
  win32::UniqueFile file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file) << "error " << GetLastError();
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks{};
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  ticks.QuadPart += 100000000ull;  // ten seconds
  const FILETIME later{ticks.LowPart, ticks.HighPart};
  ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &later));
}

// A cached icon shows with its entry at once; whether its file changed is
// looked at after the menu is painted, and a changed file's icon follows.
TEST_F(Popup, CachedIconsShowAtOnceAndAreCheckedAfterPainting) {
  const std::string icon = folder.File("changing.ico");
  test::WriteSolidIcon(icon, RGB(0xe0, 0x10, 0xc0));
  Settings(SettingsFile().Item(1, 1, folder.File("a.txt"), "Changing",
                               {{"Icon", icon + ",0"}}));
  ReleaseIconCache();
  Show({[&] { EndMenu(); }});

  ASSERT_NO_FATAL_FAILURE(RedrawIconFile(icon, RGB(0x10, 0xa0, 0x20)));
  g_draws.clear();
  Show({[&] {
    const MenuEntry* entry = EntryNamed(Slot(0), "Changing");
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(entry->Icon(), nullptr);
    EXPECT_EQ(IconColour(entry->Icon()), RGB(0x10, 0xa0, 0x20));
    EndMenu();
  }});
  const auto first = std::find_if(
      g_draws.begin(), g_draws.end(),
      [](const DrawRecord& draw) { return draw.text == "Changing"; });
  ASSERT_NE(first, g_draws.end());
  EXPECT_TRUE(first->withIcon) << "the entry waited for its file to be checked";
}

// Entries that show the same icon all follow its file's change, not only
// the first one checked.
TEST_F(Popup, EveryEntryOfAChangedIconShowsTheNewOne) {
  const std::string icon = folder.File("shared.ico");
  const std::string target = folder.File("a.txt");
  test::WriteSolidIcon(icon, RGB(0xe0, 0x10, 0xc0));
  Settings(SettingsFile()
               .Item(1, 1, target, "First", {{"Icon", icon + ",0"}})
               .Item(1, 2, target, "Second", {{"Icon", icon + ",0"}})
               .Item(1, 3, target, "Third", {{"Icon", icon + ",0"}}));
  ReleaseIconCache();
  Show({[&] { EndMenu(); }});

  ASSERT_NO_FATAL_FAILURE(RedrawIconFile(icon, RGB(0x10, 0xa0, 0x20)));
  Show({[&] {
    for (const char* text : {"First", "Second", "Third"}) {
      const MenuEntry* entry = EntryNamed(Slot(0), text);
      ASSERT_NE(entry, nullptr) << text;
      ASSERT_NE(entry->Icon(), nullptr) << text;
      EXPECT_EQ(IconColour(entry->Icon()), RGB(0x10, 0xa0, 0x20))
          << text << " still shows the icon from before the change";
    }
    EndMenu();
  }});
}

// Look-ups of locations on a share that does not answer, as a test
// controls them: they block until released (at most kBlockLimit), then
// answer with notepad's icon; or, with answers off, come back at once
// without an answer. Every other look-up is the launcher's own.
constexpr char kOfflineShare[] = "\\\\offline\\share\\";
constexpr DWORD kBlockLimit = 10000;

struct OfflineShare {
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> answers{true};
  std::atomic<int> lookUps{0};
  std::atomic<int> started{0};
  std::atomic<int> finished{0};
  // Set by any look-up, of whatever location, made on the menu's thread.
  std::atomic<bool> onMenuThread{false};
};
OfflineShare g_offline;

EntryIconLoader::Answer OfflineLookUp(const EntryIconLoader::Job& job,
                                      HINSTANCE instance) {
  if (GetCurrentThreadId() == g_menuThread) g_offline.onMenuThread = true;
  if (job.request.location.rfind(kOfflineShare, 0) != 0) {
    return LookUpIcon(job, instance);
  }
  ++g_offline.lookUps;
  if (!g_offline.answers) {
    return {EntryIconLoader::Outcome::NoAnswer, 0, nullptr};
  }
  ++g_offline.started;
  WaitForSingleObject(g_offline.release, kBlockLimit);
  EntryIconLoader::Job local = job;
  local.request = {IconSource::ShellFile,
                   test::WindowsDirectory() + "\\notepad.exe", "", 0};
  local.knownStamp.reset();
  EntryIconLoader::Answer answer = LookUpIcon(local, instance);
  ++g_offline.finished;
  return answer;
}

// Puts the controlled look-up in place for one test; a look-up still
// blocked when the test ends is released and waited for.
class OfflineLookUps {
 public:
  explicit OfflineLookUps(bool answers = true) {
    ResetEvent(g_offline.release);
    g_offline.answers = answers;
    g_offline.lookUps = 0;
    g_offline.started = 0;
    g_offline.finished = 0;
    g_offline.onMenuThread = false;
    State().iconLookUp = OfflineLookUp;
  }
  ~OfflineLookUps() {
    Release();
    test::WaitUntil([] { return g_offline.finished == g_offline.started; });
    State().iconLookUp = LookUpIcon;
    ReleaseIconCache();
  }
  void Release() { SetEvent(g_offline.release); }
  bool Blocked() const { return g_offline.started > g_offline.finished; }
};

// Handles this thread's messages (the answers of look-ups among them)
// until the condition holds.
bool PumpUntil(const std::function<bool()>& condition) {
  return test::WaitUntil([&] {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&message);
    }
    return condition();
  });
}

int PositionOf(HMENU menu, const std::string& text) {
  const std::vector<std::string> texts = Texts(menu);
  const auto found = std::find(texts.begin(), texts.end(), text);
  return found == texts.end() ? -1
                              : static_cast<int>(found - texts.begin());
}

bool Highlighted(HMENU menu, int position) {
  return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) &
          MF_HILITE) != 0;
}

// The real pointer onto the middle of an item of the popup opened last.
void PointAt(HMENU menu, int position) {
  RECT item{};
  if (!GetMenuItemRect(TopPopup(), menu, static_cast<UINT>(position), &item)) {
    return;
  }
  test::MoveMouseTo({(item.left + item.right) / 2, (item.top + item.bottom) / 2},
                    [](std::chrono::milliseconds) {});
}

COLORREF GenericIconColour(const char* kind) {
  SHFILEINFOA info{};
  if (SHGetFileInfoA(kind, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                     SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES) ==
      0) {
    return CLR_INVALID;
  }
  win32::UniqueIcon icon(info.hIcon);
  return IconColour(icon.get());
}

// Once the menu has closed no icon is looked up for it, also while the box
// of a failed start runs its own message loop. The look-ups are held
// until the end, so that they are still waiting when the menu closes.
TEST_F(Popup, IconLoadingEndsWithTheMenu) {
  SettingsFile settings;
  settings.Set("MenuOrder", "1*2*").Set("MenuCount", "2").Set("MenuName2", "Programs");
  settings.Item(1, 1, "C:\\no\\such\\program.exe", "Missing");
  for (int i = 1; i <= 5; ++i) {
    const std::string number = std::to_string(i);
    settings.Item(2, i, std::string(kOfflineShare) + "tool" + number + ".exe", "Tool " + number);
  }
  Settings(settings);
  ReleaseIconCache();
  OfflineLookUps offline;
  g_stepsWaitForIcons = false;
  g_pollSteps = true;
  Show({[&] {
          Press(VK_DOWN, 3);  // banner, Vorlane, Programs
          Press(VK_RIGHT);
        },
        WithPopups(2, [&] {
          ASSERT_FALSE(State().pendingIcons.empty()) << "icons all in already";
          Press(VK_LEFT);
        }),
        WithPopups(1, [&] {
          // One look-up of the share at a time: the others wait behind it.
          ASSERT_GT(State().iconLoader->Queued(), 0u) << "no look-up waits";
          Press(VK_DOWN);  // "Missing"
          Press(VK_RETURN);
          g_pendingAtBox = g_queuedAtBox = 1000;
          SetTimer(nullptr, kCloseBoxTimer, 500, CloseErrorBox);
        })});
  EXPECT_TRUE(g_menuEnded);
  EXPECT_EQ(g_iconTimerAfterMenu, 0) << "the icon timer ran for a closed menu";
  EXPECT_EQ(g_pendingAtBox, 0u) << "icons still wanted by a closed menu";
  EXPECT_EQ(g_queuedAtBox, 0u) << "look-ups still queued for a closed menu";
}

SettingsFile WithOfflineProgram() {
  return SettingsFile()
      .Item(1, 1, std::string(kOfflineShare) + "tool.exe", "Offline")
      .Item(1, 2, test::WindowsDirectory() + "\\notepad.exe", "Notepad");
}

// A share that does not answer holds up neither the menu nor the other
// icons: keys and the mouse are answered, its entry shows the generic icon
// of its kind meanwhile, the menu closes at once, and the icon that comes
// after it closed is kept for the next showing and freed with the cache.
TEST_F(Popup, ALookUpThatDoesNotAnswerHoldsNothingUp) {
  Settings(WithOfflineProgram());
  ReleaseIconCache();
  const long withoutIcons = win32::UniqueIcon::Live();
  OfflineLookUps offline;
  POINT cursor{};
  GetCursorPos(&cursor);
  g_stepsWaitForIcons = false;
  g_pollSteps = true;
  int notepad = -1;
  int blocked = -1;
  Show({Once(
            [&] {
              const MenuEntry* entry = EntryNamed(Slot(0), "Offline");
              const MenuEntry* other = EntryNamed(Slot(0), "Notepad");
              return g_offline.started > 0 && entry != nullptr &&
                     entry->Icon() != nullptr && other != nullptr &&
                     other->Icon() != nullptr;
            },
            [&] {
              EXPECT_FALSE(g_offline.onMenuThread)
                  << "looked up on the menu's thread";
              ASSERT_TRUE(offline.Blocked())
                  << "the look-up was over before the menu showed its icons";
              EXPECT_EQ(IconColour(EntryNamed(Slot(0), "Offline")->Icon()),
                        GenericIconColour("*.exe"))
                  << "not the generic icon of a program";
              notepad = PositionOf(Slot(0), "Notepad");
              blocked = PositionOf(Slot(0), "Offline");
              ASSERT_EQ(blocked + 1, notepad);
            }),
        Once(
            [&] {
              PointAt(Slot(0), notepad);
              return Highlighted(Slot(0), notepad);
            },
            [&] { Press(VK_UP); }),
        Once([&] { return Highlighted(Slot(0), blocked); },
             [&] {
               ASSERT_TRUE(offline.Blocked());
               EndMenu();
             })});
  SetCursorPos(cursor.x, cursor.y);
  // The look-up blocks until released: the menu closed without waiting.
  EXPECT_TRUE(offline.Blocked()) << "the look-up was over when the menu closed";

  offline.Release();
  const std::string key = IconCacheKey(
      {IconSource::ShellFile, std::string(kOfflineShare) + "tool.exe", "", 0});
  EXPECT_TRUE(PumpUntil([&] {
    const auto cached = State().iconCache.Peek(key);
    return cached && *cached;
  })) << "the icon that came after the menu closed was not kept";
  ReleaseIconCache();
  EXPECT_EQ(win32::UniqueIcon::Live(), withoutIcons)
      << "icons left after the cache was released";
}

// The menu loop falls idle again at every move of the pointer: entries whose
// look-up does not answer get their generic icon all the same.
TEST_F(Popup, GenericIconsComeWhileThePointerMovesOverTheMenu) {
  Settings(WithOfflineProgram());
  ReleaseIconCache();
  OfflineLookUps offline;
  g_stepsWaitForIcons = false;
  g_pollSteps = true;
  const DWORD shown = GetTickCount();
  constexpr DWORD kPatience = 3000;
  const auto offlineIcon = [&] {
    const MenuEntry* entry = EntryNamed(Slot(0), "Offline");
    return entry != nullptr ? entry->Icon() : nullptr;
  };
  Show({Once(
      [&] {
        // As the menu loop tells the window while the pointer moves.
        CallWindowProcA(g_launcherProc, State().hwnd, WM_ENTERIDLE, MSGF_MENU, 0);
        return offlineIcon() != nullptr || GetTickCount() - shown > kPatience;
      },
      [&] {
        EXPECT_NE(offlineIcon(), nullptr)
            << "no generic icon " << kPatience << " ms into a moving pointer";
        EndMenu();
      })});
}

// The launcher ends at once while a look-up is blocked; the icon that look-up
// gives afterwards is freed by its worker.
TEST_F(Popup, TheLauncherEndsWithoutWaitingForALookUp) {
  Settings(WithOfflineProgram());
  ReleaseIconCache();
  const long withoutIcons = win32::UniqueIcon::Live();
  OfflineLookUps offline;
  g_stepsWaitForIcons = false;
  g_pollSteps = true;
  Show({Once([] { return g_offline.started > 0; }, [] { EndMenu(); })});
  ASSERT_TRUE(offline.Blocked());

  ReleaseIconCache();
  EXPECT_TRUE(offline.Blocked()) << "the launcher's end waited for the look-up";
  offline.Release();
  EXPECT_TRUE(PumpUntil([&] {
    return !offline.Blocked() && win32::UniqueIcon::Live() == withoutIcons;
  })) << "icons alive: " << win32::UniqueIcon::Live() << ", without any "
      << withoutIcons;
}

// A share that gave no answer is not asked again for a while: its entry
// shows the generic icon from the start at the next showing.
TEST_F(Popup, AShareThatGaveNoAnswerIsLeftAloneForAWhile) {
  Settings(WithOfflineProgram());
  OfflineLookUps offline(/*answers=*/false);
  g_stepsWaitForIcons = false;
  g_pollSteps = true;
  Show({Once(
      [&] {
        const MenuEntry* entry = EntryNamed(Slot(0), "Offline");
        return entry != nullptr && entry->Icon() != nullptr;
      },
      [] { EndMenu(); })});
  EXPECT_EQ(g_offline.lookUps, 1);

  g_draws.clear();
  Show({Once([] { return !g_draws.empty(); }, [] { EndMenu(); })});
  EXPECT_EQ(g_offline.lookUps, 1) << "asked again at once";
  const auto first = std::find_if(
      g_draws.begin(), g_draws.end(),
      [](const DrawRecord& draw) { return draw.text == "Offline"; });
  ASSERT_NE(first, g_draws.end());
  EXPECT_TRUE(first->withIcon) << "the entry waited for the share again";
}

TEST_F(Popup, ManyOpeningsLeaveNothingBehind) {
  Settings(ThreeMenus());
  ReleaseIconCache();
  const long withoutCache = win32::UniqueIcon::Live();
  // Warm-up: every icon these menus show is cached from then on, and the
  // shell keeps its own icons after first use.
  for (int submenu : {4, 5}) {
    Show({[&] {
            Press(VK_DOWN, submenu);
            Press(VK_RIGHT);
          },
          [&] { EndMenu(); }});
  }
  const long icons = win32::UniqueIcon::Live();
  const long menus = win32::UniqueMenu::Live();
  const long fonts = win32::UniqueFont::Live();
  const long brushes = win32::UniqueBrush::Live();
  const long bitmaps = win32::UniqueBitmap::Live();
  const long dcs = win32::UniqueMemoryDc::Live();
  // Counts are compared exactly: one handle lost in one opening shows.
  for (int i = 0; i < 40; ++i) {
    Show({[&] {
            Press(VK_DOWN, 4 + i % 2);
            Press(VK_RIGHT);
          },
          [&] { EndMenu(); }});
  }
  EXPECT_EQ(win32::UniqueIcon::Live(), icons);
  EXPECT_EQ(win32::UniqueMenu::Live(), menus);
  EXPECT_EQ(win32::UniqueFont::Live(), fonts);
  EXPECT_EQ(win32::UniqueBrush::Live(), brushes);
  EXPECT_EQ(win32::UniqueBitmap::Live(), bitmaps);
  EXPECT_EQ(win32::UniqueMemoryDc::Live(), dcs);
  ReleaseIconCache();
  EXPECT_EQ(win32::UniqueIcon::Live(), withoutCache)
      << "icons left after the cache was released";
}

// What one whole state of the churned file shows in the main popup: the
// standard menu's items, and submenus named by a run of consecutive numbers
// (the oldest are removed, the newest added last), one fewer while a removal
// waits for its add. Empty when the popup is one of those.
std::string ChurnedMainMixture(const std::vector<ItemView>& items,
                               std::vector<std::string>& labels) {
  std::vector<std::string> standard;
  for (const ItemView& item : items) {
    if (item.entry == nullptr) continue;
    if (item.entry->kind == MenuEntryKind::Submenu && item.entry->text != std::string("Vorlane")) {
      labels.push_back(item.entry->text);
    } else if (item.entry->kind == MenuEntryKind::Item) {
      standard.push_back(item.entry->text);
    }
  }
  for (std::size_t i = 0; i < standard.size(); ++i) {
    if (standard[i] != "S-" + std::to_string(i + 1)) return "standard item " + standard[i];
  }
  if (standard.size() != test::kChurnedStandardItems) {
    return std::to_string(standard.size()) + " standard items";
  }
  if (labels.size() + 1 != test::kChurnedSubmenus && labels.size() != test::kChurnedSubmenus) {
    return std::to_string(labels.size()) + " submenus";
  }
  const int first = std::atoi(labels.front().c_str() + 1);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (labels[i] != "M" + std::to_string(first + static_cast<int>(i))) {
      return "submenu " + std::to_string(i + 1) + " is " + labels[i];
    }
  }
  return {};
}

// A submenu of one whole state: all the items of one menu M<j>, in order.
// The last menu of the popup may be gone by the time its submenu reads the
// file (a removal waiting for its add), and then the submenu is empty.
std::string ChurnedSubmenuMixture(const std::vector<std::string>& texts, bool lastMenu) {
  if (texts.empty()) return lastMenu ? "" : "an empty submenu";
  const std::string name = texts.front().substr(0, texts.front().find('-'));
  const int j = std::atoi(name.c_str() + 1);
  std::string all;
  for (const std::string& text : texts) all += text + " ";
  if (texts.size() != static_cast<std::size_t>(test::ChurnedItems(j))) {
    return std::to_string(texts.size()) + " items: " + all;
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i] != name + "-" + std::to_string(i + 1)) return "items " + all;
  }
  return {};
}

// Another program changes the file while the menu opens again and again:
// each opening, and each submenu opened in it, shows one whole state of the
// file, never one half changed.
TEST_F(Popup, ShowsEachChangeOfAnotherProgramWholeOrNotAtAll) {
  if (sizeof(void*) < 8) GTEST_SKIP() << "the lock's stress runs in the 64-bit suite";
  WriteTextFile(State().iniPath, test::ChurnedMenusFile());
  test::NamedEvent go("go");
  test::NamedEvent stop("stop");
  test::NamedEvent next("next", false);
  test::ChildProcess writer;
  const std::string program = test::BinDirectory() + "\\vorlane_settings_stress.exe";
  ASSERT_TRUE(writer.Start(program, "\"" + program + "\" churn \"" + State().iniPath + "\" " +
                                        go.Name() + " " + stop.Name() + " " + next.Name()));
  const test::OnScopeExit stopping([&] { stop.Set(); });
  go.Set();
  g_stepsWaitForIcons = false;
  g_pollSteps = true;
  // The launcher waits a second at most for the lock and then reads
  // without it, so that its menu always opens: a read that took that long
  // may have been made without the lock, and is not judged.
  constexpr DWORD kLockedReadsAreFaster = 900;
  constexpr int kRounds = 100;
  std::set<std::string> states;
  int judged = 0;
  for (int round = 0; round < kRounds && !HasFailure(); ++round) {
    // A change begins as the main popup or as a submenu reads the file.
    const bool changeAtSubmenu = round % 2 == 1;
    if (!changeAtSubmenu) next.Set();
    const DWORD shown = GetTickCount();
    HMENU submenu = nullptr;
    bool lastChosen = false;
    DWORD opened = 0;
    Show({[&] {
            const std::vector<ItemView> items = Items(Slot(0));
            std::vector<std::string> labels;
            const std::string mixture = ChurnedMainMixture(items, labels);
            if (GetTickCount() - shown < kLockedReadsAreFaster) {
              ++judged;
              ASSERT_EQ(mixture, "") << "round " << round;
            }
            std::string state;
            for (const std::string& label : labels) state += label + " ";
            states.insert(state);
            // Where the popup is not judged it may not be what is expected.
            const std::size_t chosen =
                labels.empty() ? 0 : static_cast<std::size_t>(round) % labels.size();
            if (labels.empty() || 3 + chosen >= items.size()) {
              g_nextStep = g_steps.size();
              EndMenu();
              return;
            }
            submenu = items[3 + chosen].submenu;
            lastChosen = chosen + 1 == labels.size();
            if (changeAtSubmenu) next.Set();
            g_filled = nullptr;
            opened = GetTickCount();
            Press(VK_DOWN, static_cast<int>(chosen) + 3);  // banner, Vorlane, submenus
            Press(VK_RIGHT);
          },
          Once([&] { return g_filled == submenu; },
               [&] {
                 if (g_filledAt - opened < kLockedReadsAreFaster) {
                   ++judged;
                   EXPECT_EQ(ChurnedSubmenuMixture(Texts(submenu), lastChosen), "")
                       << "round " << round;
                 }
                 EndMenu();
               })});
  }
  stop.Set();
  EXPECT_EQ(writer.WaitForExit(std::chrono::seconds(60)), 0u)
      << "the writer's changes were not all stored";
  std::printf("%zu states seen, %d of %d reads judged\n", states.size(), judged, 2 * kRounds);
  EXPECT_GE(states.size(), 20u) << "the writer hardly changed the file meanwhile";
  EXPECT_GE(judged, kRounds) << "most reads waited for the lock past the launcher's patience";
}

TEST_F(Popup, PaintingIsDeclinedWithoutFontOrForOtherControls) {
  MenuEntry entry;
  lstrcpynA(entry.text, "x", 2);
  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  measure.itemData = reinterpret_cast<ULONG_PTR>(&entry);
  State().menuFont = nullptr;
  EXPECT_FALSE(MeasureMenuEntry(measure));
  State().menuFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  measure.CtlType = ODT_LISTBOX;
  EXPECT_FALSE(MeasureMenuEntry(measure));
  measure.CtlType = ODT_MENU;
  EXPECT_TRUE(MeasureMenuEntry(measure));
  EXPECT_GE(measure.itemHeight, 20u);
  EXPECT_GT(measure.itemWidth, 27u);
  State().menuFont = nullptr;
}

}  // namespace
}  // namespace vorlane::launcher
