// The real popup built by the launcher's code in this process, looked at
// while the platform's menu loop runs: items, identifiers, types, submenus
// filled on opening, the painting requests, and nothing left behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "launcher/launcher_state.h"
#include "test_support.h"

namespace vorlane::launcher {
namespace {

using test::TempFolder;
using test::WriteTextFile;

// One scripted step runs each time the menu loop falls idle with no icon
// left to load; the step inspects the menus and posts the next key or ends
// the menu.
std::vector<std::function<void()>> g_steps;
std::size_t g_nextStep = 0;
int g_measureRequests = 0;
int g_drawRequests = 0;
WNDPROC g_launcherProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam,
                               LPARAM lParam) {
  if (message == WM_MEASUREITEM) ++g_measureRequests;
  if (message == WM_DRAWITEM) ++g_drawRequests;
  const LRESULT result =
      CallWindowProcA(g_launcherProc, hwnd, message, wParam, lParam);
  // Steps look at a menu whose icons are all in.
  if (message == WM_ENTERIDLE && wParam == MSGF_MENU &&
      g_nextStep < g_steps.size() && State().pendingIcons.empty()) {
    g_steps[g_nextStep++]();
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

// Keys go to the popup opened last; a key that closes a popup ends a step,
// as the next key must find the popup below it.
void Press(WPARAM key, int times = 1) {
  for (int i = 0; i < times; ++i) {
    PostMessageA(TopPopup(), WM_KEYDOWN, key, 0);
  }
}

void EndMenu() { PostMessageA(State().hwnd, WM_CANCELMODE, 0, 0); }

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
    g_measureRequests = 0;
    g_drawRequests = 0;
  }

  void TearDown() override {
    DestroyWindow(State().hwnd);
    // The window's end posts a quit message that must not end a later loop.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  void Settings(const std::string& text) {
    WriteTextFile(State().iniPath, text);
  }

  // Shows the menu as the tray callback does and runs the steps in it.
  void Show(std::vector<std::function<void()>> steps) {
    g_steps = std::move(steps);
    g_nextStep = 0;
    State().menuOpen = true;
    ShowTrayMenu();
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

const std::string kThreeMenus =
    "[Settings]\r\nMenuOrder=1*3*2*\r\nMenuCount=3\r\nShowEmailItem=1\r\n"
    "ShowFastStart=1\r\nMenuName2=Two\r\nMenuName3=Three\r\nCount1=2\r\n"
    "Count2=2\r\nCount3=1\r\nContactCount=1\r\n"
    "[Program locations1]\r\nProgram1=C:\\windows\\notepad.exe\r\nDes1=Notepad\r\n"
    "Program2=C:\\\r\nDes2=Drive\r\n"
    "[Program locations2]\r\nProgram1=C:\\windows\r\nDes1=Windows\r\n"
    "Program2=\r\nDes2=\r\n"
    "[Program locations3]\r\nProgram1=www.example.org\r\nDes1=Web\r\n"
    "[Emailcontacts]\r\nName1=Ann\r\nEmail1=ann@example.org\r\n";

TEST_F(Popup, MainPopupItemsWhileTheMenuRuns) {
  Settings(kThreeMenus);
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
  EXPECT_GT(g_measureRequests, 0);
  EXPECT_GT(g_drawRequests, 0);
}

TEST_F(Popup, SubmenusAreFilledWhenTheyOpen) {
  Settings(kThreeMenus);
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
          Press(VK_UP);
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
  Settings(kThreeMenus);
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

TEST_F(Popup, CustomFontIsUsedAndReleased) {
  Settings(kThreeMenus + "[Settings]\r\n");
  WritePrivateProfileStringA("Settings", "FontFace", "Tahoma",
                             State().iniPath.c_str());
  const long fontsBefore = win32::UniqueFont::Live();
  Show({[&] {
    EXPECT_EQ(win32::UniqueFont::Live(), fontsBefore + 1);
    EXPECT_EQ(State().menuFont, State().ownedFont.get());
    EndMenu();
  }});
  EXPECT_EQ(win32::UniqueFont::Live(), fontsBefore);
}

TEST_F(Popup, ManyOpeningsLeaveNothingBehind) {
  Settings(kThreeMenus);
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
  for (int i = 0; i < 200; ++i) {
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
