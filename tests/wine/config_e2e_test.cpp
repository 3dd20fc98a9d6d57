// config.exe driven from another process as a user drives it: started the
// way the launcher starts it, its controls read and clicked for real, the
// settings file checked after each action, and the launcher showing the
// result at its next opening.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "config_ids.h"
#include "shellext/registration.h"
#include "menu_driver.h"
#include "screen_shot.h"
#include "settings/profile_store_win32.h"
#include "test_support.h"
#include "win32/com_ptr.h"

namespace vorlane::test {
namespace {

using namespace std::chrono_literals;

constexpr char kMenusCaption[] = "Vorlane menu configurator";
constexpr char kAboutCaption[] = "About Vorlane";
constexpr char kOnlyFromLauncher[] =
    "This program can only be run from within Vorlane";

// Three menus: the standard one with a program, a separator and (unless
// left out) a missing program, "Tools" with a.exe and "Web" with b.exe,
// listed Standard, Web, Tools.
SettingsFile ThreeMenus(const TempFolder& folder, bool withMissing = true) {
  SettingsFile file;
  file
      .Set("MenuCount", "3")
      .Set("MenuOrder", "1*3*2*")
      .Set("MenuName1", "Standard")
      .Set("MenuName2", "Tools")
      .Set("MenuName3", "Web")
      .Item(1, 1, folder.File("a.exe"), "Aye", {{"Par", "-p"}, {"OM", "2"}})
      .Item(1, 2, "", "")
      .Item(2, 1, folder.File("a.exe"), "Tool A")
      .Item(3, 1, folder.File("b.exe"), "Web B");
  if (withMissing) file.Item(1, 3, "C:\\gone\\missing.exe", "Gone");
  return file;
}

// Memory inside the configurator's process, for the list-view messages
// that carry pointers and that the platform does not carry across.
class RemoteBuffer {
 public:
  explicit RemoteBuffer(DWORD processId, std::size_t size = 4096)
      : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ |
                                 PROCESS_VM_WRITE,
                             FALSE, processId)) {
    if (process_) {
      memory_ = static_cast<char*>(VirtualAllocEx(process_.get(), nullptr, size,
                                                  MEM_COMMIT, PAGE_READWRITE));
    }
  }
  ~RemoteBuffer() {
    if (memory_ != nullptr) VirtualFreeEx(process_.get(), memory_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  char* At(std::size_t offset) const { return memory_ + offset; }
  void Put(std::size_t offset, const void* data, std::size_t size) {
    WriteProcessMemory(process_.get(), memory_ + offset, data, size, nullptr);
  }
  void Get(std::size_t offset, void* data, std::size_t size) const {
    ReadProcessMemory(process_.get(), memory_ + offset, data, size, nullptr);
  }

 private:
  win32::UniqueKernelHandle process_;
  char* memory_ = nullptr;
};

// Texts of another process's controls are asked for in wide characters:
// Wine hands an ANSI request across processes the wide text.
std::string Narrow(const wchar_t* text) {
  char narrow[4096] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof(narrow) - 1, nullptr,
                      nullptr);
  return narrow;
}

// WM_GETTEXT itself: GetWindowText gives another process only a window's
// caption, never an edit's contents.
std::string WindowText(HWND window) {
  wchar_t text[4096] = {};
  SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
  return Narrow(text);
}

struct Row {
  std::string text;
  RECT bounds{};  // in the list's client area
};

// A real click with the left button at a point of the screen. The pointer
// arrives first and the window under it sees it move there, as a hand's
// movement would: a button that holds the mouse capture while hot lets go
// of it only then.
// Clicks further apart than the double-click time, so that each one counts
// as a click of its own.
void ClickAt(POINT at, const std::function<void()>& settle, bool right = false) {
  static auto lastClick = std::chrono::steady_clock::time_point{};
  std::this_thread::sleep_until(
      lastClick + std::chrono::milliseconds(GetDoubleClickTime() + 50));
  MoveMouseTo(at);
  settle();
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
  lastClick = std::chrono::steady_clock::now();
  settle();
}

class Configurator {
 public:
  ~Configurator() { Close(); }

  // `arguments` follow the program name as the launcher writes them.
  ::testing::AssertionResult Start(const std::string& arguments,
                                   const char* caption = kMenusCaption) {
    const std::string program = BinDirectory() + "\\config.exe";
    if (!process_.Start(program, "\"" + program + "\" " + arguments)) {
      return ::testing::AssertionFailure() << "config.exe did not start";
    }
    if (!WaitUntil([&] { return (window_ = Find(caption)) != nullptr; })) {
      return ::testing::AssertionFailure() << "no window \"" << caption << "\"";
    }
    // Controls react once the dialog runs its loop.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    return ::testing::AssertionSuccess();
  }

  void Close() {
    if (window_ != nullptr && IsWindow(window_)) {
      PostMessageA(window_, WM_COMMAND, IDCANCEL, 0);
    }
    if (process_.IsRunning()) process_.WaitForExit(5s);
  }

  HWND Find(const char* caption) const {
    HWND window = FindWindowA("#32770", caption);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == process_.Id() && IsWindowVisible(window) ? window : nullptr;
  }
  HWND Window() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  ChildProcess& Process() { return process_; }

  std::string Text(int id) const { return WindowText(Control(id)); }

  // A real click in the middle of the control, waiting until the dialog
  // has handled it.
  void Click(HWND control) {
    RECT bounds{};
    GetWindowRect(control, &bounds);
    SetForegroundWindow(GetAncestor(control, GA_ROOT));
    ClickAt({(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2},
            [this] { Settle(); });
  }
  void Click(int id) { Click(Control(id)); }

  // Clicks into the edit, empties it and types the text key by key.
  void Type(int id, const std::string& text) {
    Click(id);
    SendMessageA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    for (char c : text) {
      INPUT keys[2] = {};
      keys[0].type = keys[1].type = INPUT_KEYBOARD;
      keys[0].ki.wScan = keys[1].ki.wScan = static_cast<WORD>(c);
      keys[0].ki.dwFlags = KEYEVENTF_UNICODE;
      keys[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
      SendInput(2, keys, sizeof(INPUT));
    }
    Settle();
  }

  void ClickMenuLine(int line) {
    HWND list = Control(IDC_MENU_LIST);
    const int height =
        static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    RECT bounds{};
    GetWindowRect(list, &bounds);
    ClickAt({bounds.left + 10, bounds.top + 2 + height * line + height / 2},
            [this] { Settle(); });
  }

  std::vector<std::string> MenuLines() const {
    HWND list = Control(IDC_MENU_LIST);
    std::vector<std::string> lines;
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t text[256] = {};
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      lines.push_back(Narrow(text));
    }
    return lines;
  }

  std::vector<Row> Rows() const {
    HWND list = Control(IDC_ITEM_LIST);
    RemoteBuffer remote(process_.Id());
    std::vector<Row> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = remote.At(1024);
      item.cchTextMax = 256;
      remote.Put(0, &item, sizeof(item));
      SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.At(0)));
      Row row;
      char text[256] = {};
      remote.Get(1024, text, sizeof(text) - 1);
      row.text = text;
      RECT bounds{};
      bounds.left = LVIR_BOUNDS;
      remote.Put(0, &bounds, sizeof(bounds));
      SendMessageA(list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(remote.At(0)));
      remote.Get(0, &row.bounds, sizeof(row.bounds));
      rows.push_back(row);
    }
    return rows;
  }

  void ClickRow(const Row& row, bool right = false) {
    POINT at{row.bounds.left + 30, (row.bounds.top + row.bounds.bottom) / 2};
    ClientToScreen(Control(IDC_ITEM_LIST), &at);
    SetForegroundWindow(window_);
    ClickAt(at, [this] { Settle(); }, right);
  }

  // Waits until the dialog's thread has handled what came before.
  void Settle() const {
    std::this_thread::sleep_for(100ms);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
  }

 private:
  ChildProcess process_;
  HWND window_ = nullptr;
};

struct TooltipSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindTooltipWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TooltipSearch*>(data);
  char name[64] = {};
  GetClassNameA(window, name, std::size(name));
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && lstrcmpiA(name, TOOLTIPS_CLASSA) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The tooltip control of the process, or null.
HWND FindTooltips(DWORD processId) {
  TooltipSearch search{processId, nullptr};
  EnumWindows(FindTooltipWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The box of the configurator with this caption: its text, then pressed
// with the given button.
std::string AnswerBox(DWORD processId, const char* caption, int button = IDOK) {
  const HWND box = WaitForMessageBox(processId, caption);
  if (box == nullptr) return "(no box captioned " + std::string(caption) + ")";
  const std::string text = MessageBoxText(box);
  PostMessageA(box, WM_COMMAND, button, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << "the box stays";
  return text;
}

// Files dropped on the dialog: the drop block is written into the
// configurator's memory, where the platform reads it in place.
void DropFiles(Configurator& config, const std::vector<std::string>& paths) {
  std::wstring names;
  for (const std::string& path : paths) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    names += wide;
    names += L'\0';
  }
  names += L'\0';
  DROPFILES header{};
  header.pFiles = sizeof(header);
  header.fWide = TRUE;
  // Freed after the dialog has handled the drop: Settle waits for that.
  RemoteBuffer remote(config.Process().Id(), sizeof(header) + names.size() * sizeof(wchar_t));
  remote.Put(0, &header, sizeof(header));
  remote.Put(sizeof(header), names.data(), names.size() * sizeof(wchar_t));
  PostMessageA(config.Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(remote.At(0)), 0);
  config.Settle();
}

// A shortcut made with the shell-link object, as Explorer makes one.
::testing::AssertionResult MakeShortcut(const std::string& shortcut,
                                        const std::string& target) {
  if (FAILED(CoInitialize(nullptr))) return ::testing::AssertionFailure() << "COM";
  bool saved = false;
  {
    win32::ComPtr<IShellLinkW> link;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IShellLinkW,
                                   reinterpret_cast<void**>(link.put())))) {
      wchar_t to[MAX_PATH] = {}, file[MAX_PATH] = {};
      MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, to, MAX_PATH);
      MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, file, MAX_PATH);
      link->SetPath(to);
      win32::ComPtr<IPersistFile> persist;
      link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(persist.put()));
      saved = persist && SUCCEEDED(persist->Save(file, TRUE));
    }
  }
  CoUninitialize();
  if (!saved) return ::testing::AssertionFailure() << "no shortcut " << shortcut;
  return ::testing::AssertionSuccess();
}

class ConfigUse : public ::testing::Test {
 protected:
  void SetUp() override {
    ParkCursor();
    ASSERT_TRUE(CreateDirectoryA(folder.File("a  b").c_str(), nullptr));
    ini = folder.File("a  b\\vorlane.ini");
    for (const char* copy : {"a.exe", "b.exe"}) {
      ASSERT_TRUE(CopyFileA((BinDirectory() + "\\probe.exe").c_str(),
                            folder.File(copy).c_str(), FALSE));
    }
  }

  std::string Key(const std::string& section, const std::string& key) {
    return settings::ProfileStore(ini).ReadString(section, key, "<absent>", 1000);
  }

  // The file's text once the box of the file's own check is gone.
  std::string File() { return ReadTextFile(ini); }

  TempFolder folder;
  std::string ini;
  Configurator config;
};

// ---------------------------------------------------------------------------
// Start-up: the file named on the command line, the lists, the controls.

TEST_F(ConfigUse, OpensOnThePathAsPassedWithItsMenusRowsAndControls) {
  WriteTextFile(ini, ThreeMenus(folder).Text());
  const std::string before = File();
  // Unquoted, as the launcher passes it: the run of two blanks must stay.
  ASSERT_TRUE(config.Start("1 " + ini));
  EXPECT_EQ(AnswerBox(config.Process().Id(), "Vorlane"),
            "There's a problem with this menuitem:\r\nGone\r\nPlease check if "
            "the item still exists on your PC.\r\nBad items are marked with a "
            "red cross.");
  EXPECT_EQ(config.MenuLines(),
            (std::vector<std::string>{"Standard", "Web", "Tools", "Email Menu"}));

  const std::vector<Row> rows = config.Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].text, "Aye");
  EXPECT_EQ(rows[1].text, "----------------------");
  EXPECT_EQ(rows[2].text, "Gone");
  config.Settle();
  const ScreenShot list(config.Control(IDC_ITEM_LIST));
  auto rowShows = [&](const Row& row, COLORREF colour) {
    for (int y = row.bounds.top; y < row.bounds.bottom; ++y) {
      for (int x = row.bounds.left; x < row.bounds.left + 24; ++x) {
        if (list.At(x, y) == colour) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(rowShows(rows[1], RGB(0x3f, 0x74, 0xe0))) << "separator image";
  EXPECT_TRUE(rowShows(rows[2], RGB(0xe0, 0x30, 0x30))) << "bad-item cross";
  EXPECT_EQ(FindTooltips(config.Process().Id()), nullptr)
      << "no tooltips without ShowTooltips=1";

  // Identifiers, texts and sizes of the controls as the template gives
  // them in dialog units, measured with the dialog's own font.
  struct Expected {
    int id;
    const char* text;
    RECT units;  // x, y, width, height
  };
  const Expected controls[] = {
      {IDC_MENU_LIST, nullptr, {5, 16, 61, 106}},
      {IDC_MENU_UP, "Menu up", {5, 124, 61, 14}},
      {IDC_MENU_DOWN, "Menu down", {5, 139, 61, 14}},
      {IDC_ADD_MENU, "Add", {8, 167, 50, 14}},
      {IDC_REMOVE_MENU, "Remove", {8, 185, 50, 14}},
      {IDC_RENAME_MENU, "Rename", {8, 201, 50, 14}},
      {IDC_ALWAYS_ON_TOP, "Always on top", {8, 220, 60, 10}},
      {IDC_ITEM_LIST, nullptr, {83, 16, 128, 134}},
      {IDC_ADD_ITEM, "Add", {226, 15, 50, 14}},
      {IDC_SEPARATOR, "Separator", {226, 36, 50, 14}},
      {IDC_REMOVE_ITEM, "Remove", {226, 55, 50, 14}},
      {IDC_CHANGE, "Change", {226, 76, 50, 14}},
      {IDC_ITEM_UP, "Up", {226, 95, 50, 14}},
      {IDC_ITEM_DOWN, "Down", {226, 116, 50, 14}},
      {IDOK, "Exit", {226, 135, 50, 14}},
      {IDC_LOCATION, nullptr, {119, 167, 142, 14}},
      {IDC_DESCRIPTION, nullptr, {119, 184, 142, 14}},
      {IDC_PARAMETERS, nullptr, {119, 201, 142, 14}},
      {IDC_BROWSE_PROGRAM, "", {264, 167, 15, 14}},
      {IDC_BROWSE_FOLDER, "", {264, 184, 15, 14}},
      {IDC_EXPAND, ">>", {264, 201, 15, 14}},
      {IDC_OPEN_MIN, "Min", {119, 220, 27, 10}},
      {IDC_OPEN_NORMAL, "Normal", {149, 220, 38, 10}},
      {IDC_OPEN_MAX, "Max", {190, 220, 29, 10}},
      {IDC_OPEN_HIDDEN, "Hidden", {222, 220, 37, 10}},
      {IDC_BATCH_ENTRY, nullptr, {5, 256, 142, 14}},
      {IDC_ADD_BATCH, "+", {151, 273, 15, 14}},
      {IDC_ADD_DIRECTORY, "Add all files in a directory", {5, 280, 110, 10}},
      {IDC_BATCH_LIST, nullptr, {169, 253, 109, 41}},
  };
  // A dialog unit in pixels, from the item list's known size.
  RECT listPixels{};
  GetWindowRect(config.Control(IDC_ITEM_LIST), &listPixels);
  const double unitX = (listPixels.right - listPixels.left) / 128.0;
  const double unitY = (listPixels.bottom - listPixels.top) / 134.0;
  for (const Expected& control : controls) {
    SCOPED_TRACE(control.id);
    HWND window = config.Control(control.id);
    ASSERT_NE(window, nullptr);
    if (control.text) {
      EXPECT_EQ(config.Text(control.id), control.text);
    }
    RECT pixels{};
    GetWindowRect(window, &pixels);
    EXPECT_NEAR(pixels.right - pixels.left, control.units.right * unitX, 1.5);
    EXPECT_NEAR(pixels.bottom - pixels.top, control.units.bottom * unitY, 1.5);
  }
  EXPECT_EQ(WindowText(config.Window()), kMenusCaption);
  // Folded: the batch area lies below the dialog's lower edge.
  RECT dialog{}, batch{};
  GetWindowRect(config.Window(), &dialog);
  GetWindowRect(config.Control(IDC_BATCH_ENTRY), &batch);
  EXPECT_GE(batch.top, dialog.bottom);
  config.Click(IDC_EXPAND);
  GetWindowRect(config.Window(), &dialog);
  EXPECT_LT(batch.bottom, dialog.bottom);
  EXPECT_EQ(config.Text(IDC_EXPAND), "<<");

  config.Close();
  EXPECT_EQ(config.Process().WaitForExit(), 0u);
  EXPECT_EQ(File(), before) << "opening and closing writes nothing";
}

TEST_F(ConfigUse, RowsAndMenusEnableWhatTheyAllow) {
  WriteTextFile(ini, ThreeMenus(folder).Set("ShowTooltips", "1").Text());
  ASSERT_TRUE(config.Start("1 \"" + ini + "\""));
  AnswerBox(config.Process().Id(), "Vorlane");
  const HWND tips = FindTooltips(config.Process().Id());
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 29);
  EXPECT_EQ(SendMessageA(tips, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 10);
  std::vector<Row> rows = config.Rows();
  ASSERT_EQ(rows.size(), 3u);

  config.ClickRow(rows[0]);
  EXPECT_EQ(config.Text(IDC_LOCATION), folder.File("a.exe"));
  EXPECT_EQ(config.Text(IDC_DESCRIPTION), "Aye");
  EXPECT_EQ(config.Text(IDC_PARAMETERS), "-p");
  EXPECT_EQ(IsDlgButtonChecked(config.Window(), IDC_OPEN_MAX), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(config.Control(IDC_ITEM_UP)));
  EXPECT_TRUE(IsWindowEnabled(config.Control(IDC_ITEM_DOWN)));
  EXPECT_TRUE(IsWindowEnabled(config.Control(IDC_CHANGE)));

  config.ClickRow(rows[1]);
  EXPECT_EQ(config.Text(IDC_LOCATION), "");
  EXPECT_FALSE(IsWindowEnabled(config.Control(IDC_ADD_ITEM)));
  EXPECT_FALSE(IsWindowEnabled(config.Control(IDC_CHANGE)));
  EXPECT_FALSE(IsWindowEnabled(config.Control(IDC_PARAMETERS)));
  EXPECT_TRUE(IsWindowEnabled(config.Control(IDC_ITEM_UP)));

  // The last program menu can move up but not down; the Email line turns
  // the fields to contacts and locks the menu controls.
  config.ClickMenuLine(2);
  EXPECT_TRUE(IsWindowEnabled(config.Control(IDC_MENU_UP)));
  EXPECT_FALSE(IsWindowEnabled(config.Control(IDC_MENU_DOWN)));
  EXPECT_TRUE(IsWindowEnabled(config.Control(IDC_REMOVE_MENU)));
  ASSERT_EQ(config.Rows().size(), 1u);
  EXPECT_EQ(config.Rows()[0].text, "Tool A");
  config.ClickMenuLine(3);
  EXPECT_EQ(config.Text(IDC_LOCATION_LABEL), "Name");
  EXPECT_EQ(config.Text(IDC_DESCRIPTION_LABEL), "Email");
  EXPECT_EQ(config.Text(IDC_ITEM_GROUP), "Contact list");
  for (int id : {IDC_REMOVE_MENU, IDC_RENAME_MENU, IDC_MENU_UP, IDC_MENU_DOWN,
                 IDC_PARAMETERS, IDC_BROWSE_PROGRAM}) {
    EXPECT_FALSE(IsWindowEnabled(config.Control(id))) << id;
  }
  config.ClickMenuLine(0);
  EXPECT_EQ(config.Text(IDC_LOCATION_LABEL), "Location");
  EXPECT_FALSE(IsWindowEnabled(config.Control(IDC_REMOVE_MENU)));
  AnswerBox(config.Process().Id(), "Vorlane");  // the missing program again
}

// ---------------------------------------------------------------------------
// Menu operations through the real buttons, checked in the file and in a
// running launcher.

TEST_F(ConfigUse, MenuButtonsRewriteTheFileAndTheLauncherFollows) {
  WriteTextFile(ini, ThreeMenus(folder, false).Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Process().Id();

  // "Web" (menu 3) one place down: the launcher's first submenu is Tools.
  config.ClickMenuLine(1);
  config.Click(IDC_MENU_DOWN);
  EXPECT_EQ(Key("Settings", "MenuOrder"), "1*2*3*");
  EXPECT_EQ(config.MenuLines()[2], "Web");
  EXPECT_EQ(SendMessageA(config.Control(IDC_MENU_LIST), LB_GETCURSEL, 0, 0), 2);
  config.Click(IDC_MENU_UP);
  EXPECT_EQ(Key("Settings", "MenuOrder"), "1*3*2*");

  PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  ASSERT_NE(WaitForPopupMenu(launcher.Process().Id()), nullptr);
  for (int i = 0; i < 3; ++i) PressMenuKey(launcher.Process().Id(), VK_DOWN);
  PressMenuKey(launcher.Process().Id(), VK_RIGHT);
  ChooseByKeys(launcher.Process().Id(), 0);
  ASSERT_TRUE(WaitUntil([&] { return !ReadProbeLog(folder.Path()).empty(); }));
  EXPECT_EQ(ReadProbeLog(folder.Path())[0].program, "b.exe")
      << "the first submenu is Web, moved up";
  ASSERT_TRUE(WaitForMenuClosed(launcher.Process().Id()));

  // Remove "Web": No keeps the file, Yes renumbers.
  config.ClickMenuLine(1);
  const std::string before = File();
  config.Click(IDC_REMOVE_MENU);
  EXPECT_EQ(AnswerBox(pid, "Warning", IDNO),
            "Are you sure you want to remove the selected menu?\rThis could "
            "take a few seconds so please have patience.");
  EXPECT_EQ(File(), before);
  config.Click(IDC_REMOVE_MENU);
  AnswerBox(pid, "Warning", IDYES);
  config.Settle();
  EXPECT_EQ(Key("Settings", "MenuCount"), "2");
  EXPECT_EQ(Key("Settings", "MenuOrder"), "1*2*");
  EXPECT_EQ(Key("Settings", "MenuName2"), "Tools");
  EXPECT_EQ(Key("Settings", "Count3"), "0");
  EXPECT_EQ(config.MenuLines(),
            (std::vector<std::string>{"Standard", "Tools", "Email Menu"}));

  // Add, then rename it through the rename dialog.
  config.Click(IDC_ADD_MENU);
  EXPECT_EQ(Key("Settings", "MenuCount"), "3");
  EXPECT_EQ(Key("Settings", "MenuName3"), "Menu3");
  EXPECT_EQ(Key("Settings", "MenuOrder"), "1*2*3*");
  EXPECT_EQ(Key("Program locations3", "Program1"), "") << "starts empty";
  config.ClickMenuLine(2);
  config.Click(IDC_RENAME_MENU);
  HWND rename = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (rename = config.Find("Rename Menu")) != nullptr; }));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(rename, IDOK))) << "no name yet";
  SendMessageA(GetDlgItem(rename, IDC_NEW_NAME), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>("My Games"));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(rename, IDOK)) != FALSE; }));
  config.Click(GetDlgItem(rename, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(rename); }));
  config.Settle();
  EXPECT_EQ(Key("Settings", "MenuName3"), "My Games");
  EXPECT_EQ(config.MenuLines()[2], "My Games");
  EXPECT_EQ(SendMessageA(config.Control(IDC_MENU_LIST), LB_GETCURSEL, 0, 0), 0)
      << "the standard menu is selected again";
  EXPECT_EQ(launcher.Close(), 0u);
}

TEST_F(ConfigUse, ItemButtonsEditTheMenuAndTheLauncherShowsIt) {
  ASSERT_TRUE(CopyFileA((BinDirectory() + "\\probe.exe").c_str(),
                        folder.File("c.exe").c_str(), FALSE));
  WriteTextFile(ini, SettingsFile()
                         .Set("MenuName1", "Standard")
                         .Item(1, 1, folder.File("a.exe"), "Aye")
                         .Item(1, 2, folder.File("b.exe"), "Bee")
                         .Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Process().Id();
  const std::string section = "Program locations1";

  config.Type(IDC_LOCATION, folder.File("c.exe"));
  config.Type(IDC_DESCRIPTION, "Sea");
  config.Type(IDC_PARAMETERS, "-z");
  config.Click(IDC_OPEN_MIN);
  config.Click(IDC_ADD_ITEM);
  EXPECT_EQ(Key("Settings", "Count1"), "3");
  EXPECT_EQ(Key(section, "Program3"), folder.File("c.exe"));
  EXPECT_EQ(Key(section, "Des3"), "Sea");
  EXPECT_EQ(Key(section, "Par3"), "-z");
  EXPECT_EQ(Key(section, "OM3"), "1");
  EXPECT_EQ(config.Text(IDC_DESCRIPTION), "") << "the fields empty after adding";
  config.Click(IDC_ADD_ITEM);
  EXPECT_EQ(AnswerBox(pid, "Error"), "Not all fields were filled out!");

  config.Click(IDC_SEPARATOR);
  EXPECT_EQ(Key("Settings", "Count1"), "4");
  EXPECT_EQ(Key(section, "Des4"), "");
  EXPECT_EQ(Key(section, "Par4"), "");
  EXPECT_EQ(Key(section, "OM4"), "0");

  std::vector<Row> rows = config.Rows();
  ASSERT_EQ(rows.size(), 4u);
  config.ClickRow(rows[0]);
  config.Type(IDC_DESCRIPTION, "Ay2");
  config.Click(IDC_CHANGE);
  EXPECT_EQ(Key(section, "Des1"), "Ay2");
  EXPECT_EQ(Key(section, "Program1"), folder.File("a.exe"));

  config.ClickRow(rows[2]);
  config.Click(IDC_ITEM_UP);
  EXPECT_EQ(Key(section, "Program2"), folder.File("c.exe"));
  EXPECT_EQ(Key(section, "OM2"), "1");
  EXPECT_EQ(Key(section, "Program3"), folder.File("b.exe"));
  rows = config.Rows();
  EXPECT_EQ(rows[0].text, "Ay2");
  EXPECT_EQ(rows[1].text, "Sea");
  EXPECT_EQ(rows[2].text, "Bee");

  config.ClickRow(rows[3]);
  config.Click(IDC_REMOVE_ITEM);
  EXPECT_EQ(AnswerBox(pid, "Warning", IDNO),
            "Are you sure you want to remove the selected item(s)?");
  EXPECT_EQ(Key("Settings", "Count1"), "4");
  config.Click(IDC_REMOVE_ITEM);
  AnswerBox(pid, "Warning", IDYES);
  config.Settle();
  EXPECT_EQ(Key("Settings", "Count1"), "3");
  EXPECT_EQ(config.Rows().size(), 3u);

  // The launcher reads the file afresh: its second entry is now c.exe.
  PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  ASSERT_NE(WaitForPopupMenu(launcher.Process().Id()), nullptr);
  ChooseByKeys(launcher.Process().Id(), 4);  // banner, "Vorlane", two items
  ASSERT_TRUE(WaitUntil([&] { return !ReadProbeLog(folder.Path()).empty(); }));
  const ProbeStart start = ReadProbeLog(folder.Path())[0];
  EXPECT_EQ(start.program, "c.exe");
  EXPECT_EQ(start.arguments, "-z");
  ASSERT_TRUE(WaitForMenuClosed(launcher.Process().Id()));
  EXPECT_EQ(launcher.Close(), 0u);
}

// Contacts through the real edits and buttons, and the launcher's "Email"
// submenu starting the mail handler with the new one.
TEST_F(ConfigUse, ContactsAddedReachTheLaunchersEmailMenu) {
  const std::string probe = folder.File("a.exe");
  ProtocolProgram mail("mailto", probe);
  ASSERT_TRUE(mail.Ready());
  WriteTextFile(ini, SettingsFile()
                         .Set("ShowEmailItem", "1")
                         .Contact(1, "Ann", "ann@example.org")
                         .Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Process().Id();
  config.ClickMenuLine(1);  // "Email Menu"
  ASSERT_EQ(config.Rows().size(), 1u);
  EXPECT_EQ(config.Rows()[0].text, "Ann");

  config.Type(IDC_LOCATION, "Bob");
  config.Type(IDC_DESCRIPTION, "bob@example");
  config.Click(IDC_ADD_ITEM);
  EXPECT_EQ(AnswerBox(pid, "Invalid emailaddress"), "This is not a valid email address");
  EXPECT_EQ(Key("Settings", "ContactCount"), "1");
  config.Type(IDC_DESCRIPTION, "bob@example.org");
  config.Click(IDC_ADD_ITEM);
  EXPECT_EQ(Key("Settings", "ContactCount"), "2");
  EXPECT_EQ(Key("Emailcontacts", "Name2"), "Bob");
  EXPECT_EQ(Key("Emailcontacts", "Email2"), "bob@example.org");
  ASSERT_EQ(config.Rows().size(), 2u);
  EXPECT_EQ(config.Rows()[1].text, "Bob");

  // Main popup: banner, "Vorlane", "Email"; in it "Blank Email", a
  // separator, then the contacts.
  PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  ASSERT_NE(WaitForPopupMenu(launcher.Process().Id()), nullptr);
  for (int i = 0; i < 3; ++i) PressMenuKey(launcher.Process().Id(), VK_DOWN);
  PressMenuKey(launcher.Process().Id(), VK_RIGHT);
  ChooseByKeys(launcher.Process().Id(), 2);
  ASSERT_TRUE(WaitUntil([&] { return !ReadProbeLog(folder.Path()).empty(); }));
  EXPECT_EQ(ReadProbeLog(folder.Path())[0].arguments, "mailto:bob@example.org");
  ASSERT_TRUE(WaitForMenuClosed(launcher.Process().Id()));
  EXPECT_EQ(launcher.Close(), 0u);
}

// A batch composed with "+" is stored as one item that the launcher starts
// part by part, and dropped files become items: a file by its name up to
// the first ".", a shortcut as its target, a path that is gone not at all.
TEST_F(ConfigUse, BatchListAndDroppedFilesBecomeItems) {
  WriteTextFile(ini, SettingsFile().Set("BatchPause", "1000").Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(config.Start("1 " + ini));
  const std::string section = "Program locations1";
  config.Click(IDC_EXPAND);
  config.Type(IDC_BATCH_ENTRY, folder.File("a.exe"));
  config.Click(IDC_ADD_BATCH);
  config.Type(IDC_BATCH_ENTRY, folder.File("b.exe"));
  config.Click(IDC_ADD_BATCH);
  EXPECT_FALSE(IsWindowEnabled(config.Control(IDC_LOCATION)));
  EXPECT_EQ(config.Text(IDC_LOCATION), "");
  config.Type(IDC_DESCRIPTION, "Both");
  config.Click(IDC_ADD_ITEM);
  EXPECT_EQ(Key(section, "Program1"),
            folder.File("a.exe") + "?" + folder.File("b.exe") + "?");
  EXPECT_EQ(Key(section, "Des1"), "Both");
  EXPECT_EQ(SendMessageA(config.Control(IDC_BATCH_LIST), LB_GETCOUNT, 0, 0), 0);

  // The launcher starts both parts, in order.
  PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  ASSERT_NE(WaitForPopupMenu(launcher.Process().Id()), nullptr);
  ChooseByKeys(launcher.Process().Id(), 3);  // banner, "Vorlane", the batch
  ASSERT_TRUE(WaitUntil([&] { return ReadProbeLog(folder.Path()).size() == 2; }, 15s));
  EXPECT_EQ(ReadProbeLog(folder.Path())[0].program, "a.exe");
  EXPECT_EQ(ReadProbeLog(folder.Path())[1].program, "b.exe");
  ASSERT_TRUE(WaitForMenuClosed(launcher.Process().Id()));
  EXPECT_EQ(launcher.Close(), 0u);

  const std::string shortcut = folder.File("to b.lnk");
  ASSERT_TRUE(MakeShortcut(shortcut, folder.File("b.exe")));
  const std::string report = folder.File("my.report.txt");
  WriteTextFile(report, "x");
  DropFiles(config, {report, folder.File("gone.txt"), shortcut});
  EXPECT_EQ(Key("Settings", "Count1"), "3") << "the path that is gone adds nothing";
  EXPECT_EQ(Key(section, "Program2"), report);
  EXPECT_EQ(Key(section, "Des2"), "my");
  EXPECT_EQ(Key(section, "Program3"), folder.File("b.exe"));
  EXPECT_EQ(Key(section, "Des3"), "b");

  // With "Add all files in a directory" ticked a dropped folder adds each
  // of its entries.
  const std::string inside = folder.File("inside");
  ASSERT_TRUE(CreateDirectoryA(inside.c_str(), nullptr));
  WriteTextFile(inside + "\\one.txt", "1");
  WriteTextFile(inside + "\\two.txt", "2");
  config.Click(IDC_ADD_DIRECTORY);
  DropFiles(config, {inside});
  EXPECT_EQ(Key("Settings", "Count1"), "5");
  const std::string added = Key(section, "Des4") + " " + Key(section, "Des5");
  EXPECT_TRUE(added == "one two" || added == "two one") << added;
}

// A careless drop: hundreds of files among paths that are gone, a shortcut
// whose target is gone and a file that only looks like a shortcut; then a
// folder of thousands; then the same in the contact list; and an address
// of 300 characters. Each drop is one edit, nothing stored before is lost,
// and a rejected drop says so once.
TEST_F(ConfigUse, LargeAndBrokenDropsAddWhatExistsAndLoseNothing) {
  WriteTextFile(ini, SettingsFile().Item(1, 1, folder.File("a.exe"), "Aye").Text());
  const std::string many = folder.File("many");
  ASSERT_TRUE(CreateDirectoryA(many.c_str(), nullptr));
  std::vector<std::string> files;
  for (int i = 0; i < 3000; ++i) {
    files.push_back(many + "\\f" + std::to_string(i) + ".txt");
    WriteTextFile(files.back(), "");
  }
  const std::string gone = folder.File("gone.exe");
  ASSERT_TRUE(CopyFileA(folder.File("a.exe").c_str(), gone.c_str(), FALSE));
  ASSERT_TRUE(MakeShortcut(folder.File("broken.lnk"), gone));
  ASSERT_TRUE(DeleteFileA(gone.c_str()));
  WriteTextFile(folder.File("junk.lnk"), "no shortcut inside");
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Process().Id();
  const std::string section = "Program locations1";
  const auto count = [&] { return Key("Settings", "Count1"); };

  std::vector<std::string> dropped(files.begin(), files.begin() + 300);
  dropped.insert(dropped.begin() + 150,
                 {folder.File("gone.txt"), folder.File("broken.lnk"), folder.File("junk.lnk")});
  DropFiles(config, dropped);
  ASSERT_TRUE(WaitUntil([&] { return count() == "302"; }, 60s)) << count();
  EXPECT_EQ(Key(section, "Program1"), folder.File("a.exe"));
  EXPECT_EQ(Key(section, "Program151"), files[149]);
  EXPECT_EQ(Key(section, "Program152"), folder.File("junk.lnk"))
      << "a link that cannot be read is added as itself";
  EXPECT_EQ(Key(section, "Des152"), "junk");
  EXPECT_EQ(Key(section, "Program302"), files[299]);

  config.Click(IDC_EXPAND);
  config.Click(IDC_ADD_DIRECTORY);
  ASSERT_EQ(IsDlgButtonChecked(config.Window(), IDC_ADD_DIRECTORY), BST_CHECKED);
  DropFiles(config, {many, files[0]});  // a dropped file adds nothing here
  ASSERT_TRUE(WaitUntil([&] { return count() == "3302"; }, 60s)) << count();
  std::map<std::string, int> stored;
  const std::string text = File();
  for (std::size_t at = text.find("\nProgram"); at != std::string::npos;
       at = text.find("\nProgram", at + 1)) {
    const std::size_t value = text.find('=', at) + 1;
    ++stored[text.substr(value, text.find_first_of("\r\n", value) - value)];
  }
  for (int i = 0; i < 3000; ++i) {
    ASSERT_EQ(stored[files[i]], i < 300 ? 2 : 1) << files[i];
  }
  EXPECT_EQ(SendMessageA(config.Control(IDC_ITEM_LIST), LVM_GETITEMCOUNT, 0, 0), 3302);
  EXPECT_EQ(FindMessageBox(pid, "Error"), nullptr);

  // No file's name makes an address: one message for the whole drop.
  config.ClickMenuLine(1);  // "Email Menu"
  const std::string before = File();
  DropFiles(config, {many});
  EXPECT_EQ(AnswerBox(pid, "Invalid emailaddress"), "This is not a valid email address");
  config.Settle();
  EXPECT_EQ(FindMessageBox(pid, "Invalid emailaddress"), nullptr) << "one box per drop";
  EXPECT_EQ(File(), before);

  const std::string address = std::string(290, 'x') + "@vorlane.o";
  config.Type(IDC_LOCATION, "Long");
  config.Type(IDC_DESCRIPTION, address);
  config.Click(IDC_ADD_ITEM);
  EXPECT_EQ(Key("Emailcontacts", "Email1"), address) << "stored whole";
  EXPECT_EQ(count(), "3302");
}

// The folder dialog's choice fills the fields: the folder and its name.
TEST_F(ConfigUse, BrowseFolderFillsTheFields) {
  WriteTextFile(ini, SettingsFile().Text());
  const std::string before = File();
  ASSERT_TRUE(config.Start("1 " + ini));
  config.Click(IDC_BROWSE_FOLDER);
  HWND browser = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    browser = GetLastActivePopup(config.Window());
    return browser != config.Window() && IsWindowVisible(browser);
  }));
  // The dialog opens on the desktop, a folder of the file system.
  PostMessageA(browser, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browser); }));
  config.Settle();
  const std::string location = config.Text(IDC_LOCATION);
  const DWORD attributes = GetFileAttributesA(location.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
              (attributes & FILE_ATTRIBUTE_DIRECTORY))
      << location;
  EXPECT_EQ(config.Text(IDC_DESCRIPTION), location.substr(location.rfind('\\') + 1));
  EXPECT_EQ(File(), before) << "nothing written";
}

// The row's context menu: its own icon chosen from a file of three icons,
// the default icon again, and the item sent to another menu.
TEST_F(ConfigUse, ItemMenuSetsIconsAndSendsItemsToAnotherMenu) {
  const std::string library = folder.File("icons.exe");
  const std::vector<COLORREF> colours = {RGB(200, 0, 0), RGB(0, 160, 0),
                                         RGB(20, 40, 220)};
  ASSERT_TRUE(WriteIconLibrary(library, colours));
  WriteTextFile(ini, SettingsFile()
                         .Set("MenuCount", "2")
                         .Set("MenuOrder", "1*2*")
                         .Set("MenuName1", "Standard")
                         .Set("MenuName2", "Other")
                         .Item(1, 1, library, "Lib")
                         .Item(1, 2, folder.File("a.exe"), "Aye")
                         .Text());
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Process().Id();
  const std::string section = "Program locations1";
  std::vector<Row> rows = config.Rows();
  ASSERT_EQ(rows.size(), 2u);

  config.ClickRow(rows[0], true);
  ASSERT_NE(WaitForPopupMenu(pid), nullptr);
  ChooseByKeys(pid, 1);  // "Change icon"
  HWND chooser = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (chooser = config.Find("Choose Icon")) != nullptr; }));
  const HWND icons = GetDlgItem(chooser, IDC_ICON_LIST);
  EXPECT_EQ(SendMessageA(icons, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(WindowText(GetDlgItem(chooser, IDC_ICON_FILE)), library);
  RECT listBounds{};
  GetWindowRect(icons, &listBounds);
  ClickAt({listBounds.left + 20, listBounds.top + 20}, [&] { config.Settle(); });
  for (int i = 0; i < 2; ++i) {
    PostMessageA(icons, WM_KEYDOWN, VK_DOWN, 0);
    config.Settle();
  }
  EXPECT_EQ(SendMessageA(icons, LB_GETCURSEL, 0, 0), 2);
  config.Click(GetDlgItem(chooser, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));
  config.Settle();
  EXPECT_EQ(Key(section, "Icon1"), library + ",2");
  rows = config.Rows();
  config.Settle();
  const ScreenShot list(config.Control(IDC_ITEM_LIST));
  bool blue = false;
  for (int y = rows[0].bounds.top; y < rows[0].bounds.bottom; ++y) {
    for (int x = 0; x < 24; ++x) blue = blue || list.At(x, y) == colours[2];
  }
  EXPECT_TRUE(blue) << "the row shows icon number 2";

  config.ClickRow(rows[0], true);
  ASSERT_NE(WaitForPopupMenu(pid), nullptr);
  ChooseByKeys(pid, 2);  // "Default icon"
  ASSERT_TRUE(WaitForMenuClosed(pid));
  config.Settle();
  EXPECT_EQ(Key(section, "Icon1"), "");

  // "Send to" "Other": the item leaves this menu for the end of that one.
  config.ClickRow(config.Rows()[1], true);
  ASSERT_NE(WaitForPopupMenu(pid), nullptr);
  for (int i = 0; i < 4; ++i) PressMenuKey(pid, VK_DOWN);
  PressMenuKey(pid, VK_RIGHT);
  ChooseByKeys(pid, 0);
  ASSERT_TRUE(WaitForMenuClosed(pid));
  config.Settle();
  EXPECT_EQ(Key("Settings", "Count1"), "1");
  EXPECT_EQ(Key("Settings", "Count2"), "1");
  EXPECT_EQ(Key("Program Locations2", "Program1"), folder.File("a.exe"));
  EXPECT_EQ(config.Rows().size(), 1u);
}

// A settings file whose folder is gone cannot be written: the dialog shows
// what it could read, an edit says once that it failed and names the file,
// and the list shows the file as it is. (A read-only file would do as well
// on Windows; under Wine the tests run as a user whom nothing stops.)
TEST_F(ConfigUse, UnwritableFileRefusesAnEditAndSaysSo) {
  const std::string lost = folder.File("gone\\vorlane.ini");
  ASSERT_TRUE(config.Start("1 " + lost));
  EXPECT_EQ(config.MenuLines(), (std::vector<std::string>{"Email Menu"}));
  config.Click(IDC_ADD_MENU);
  const std::string text = AnswerBox(config.Process().Id(), "Error");
  EXPECT_NE(text.find(lost), std::string::npos) << text;
  config.Settle();
  EXPECT_EQ(FindMessageBox(config.Process().Id(), "Error"), nullptr)
      << "one box per edit";
  EXPECT_FALSE(FileExists(lost));
  EXPECT_EQ(config.MenuLines(), (std::vector<std::string>{"Email Menu"}));
}

// ---------------------------------------------------------------------------
// Modes and the single copy.

TEST_F(ConfigUse, OnlyTheLaunchersModesOpenADialog) {
  WriteTextFile(ini, SettingsFile().Set("MenuName1", "Standard Menu").Text());
  const std::string before = File();
  for (const char* arguments : {"", "5 x", "01 x"}) {
    SCOPED_TRACE(arguments);
    ChildProcess other;
    const std::string program = BinDirectory() + "\\config.exe";
    ASSERT_TRUE(other.Start(program, "\"" + program + "\" " + arguments));
    EXPECT_EQ(AnswerBox(other.Id(), "Vorlane"), kOnlyFromLauncher);
    EXPECT_EQ(other.WaitForExit(), 0u);
  }
  ASSERT_TRUE(config.Start("3 " + ini));
  EXPECT_EQ(config.MenuLines().front(), "Standard Menu");
  EXPECT_EQ(File(), before);
}

TEST_F(ConfigUse, SecondStartBringsTheFirstForwardAndEnds) {
  WriteTextFile(ini, SettingsFile().Text());
  const std::string before = File();
  ASSERT_TRUE(config.Start("1 " + ini));
  HWND other = CreateWindowExA(0, "STATIC", "in front", WS_POPUP | WS_VISIBLE,
                               0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ChildProcess second;
  const std::string program = BinDirectory() + "\\config.exe";
  ASSERT_TRUE(second.Start(program, "\"" + program + "\" 2 " + ini));
  EXPECT_EQ(second.WaitForExit(), 0u);
  EXPECT_EQ(config.Find("Vorlane options"), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == config.Window(); }));
  DestroyWindow(other);
  EXPECT_EQ(File(), before);
}

// ---------------------------------------------------------------------------
// The options: every click written at once, the pause only on Save.

constexpr char kOptionsCaption[] = "Vorlane options";

TEST_F(ConfigUse, OptionsOpenAsTheFileSaysAndWriteEachClick) {
  WriteTextFile(ini, SettingsFile()
                         .Set("OpenMenu", "0")
                         .Set("ShowEmailItem", "1")
                         .Set("BatchPause", "499")
                         .Text());
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  const HWND w = config.Window();
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_MOUSE_OVER), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_SHOW_EMAIL), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_SHOW_RUN), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_DEFAULT_FONT), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(config.Control(IDC_CHOOSE_FONT)));
  EXPECT_EQ(config.Text(IDC_PAUSE), "1");

  config.Click(IDC_MOUSE_OVER);
  EXPECT_EQ(Key("Settings", "OpenMenu"), "1") << "written although checked";
  config.Click(IDC_RIGHT_CLICK);
  EXPECT_EQ(Key("Settings", "OpenMenu"), "3");
  config.Click(IDC_SHOW_EMAIL);
  EXPECT_EQ(Key("Settings", "ShowEmailItem"), "0");
  config.Click(IDC_SHOW_RUN);
  EXPECT_EQ(Key("Settings", "ShowFastStart"), "1");
  config.Click(IDC_SHOW_TOOLTIPS);
  EXPECT_EQ(Key("Settings", "ShowTooltips"), "1");
  config.Click(IDC_DEFAULT_FONT);
  EXPECT_TRUE(IsWindowEnabled(config.Control(IDC_CHOOSE_FONT)));
  // The system's font dialog, cancelled: nothing is written.
  config.Click(IDC_CHOOSE_FONT);
  HWND font = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (font = config.Find("Font")) != nullptr; }));
  PostMessageA(font, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(font); }));
  EXPECT_EQ(Key("Settings", "FontFace"), "<absent>");
  config.Click(IDC_DEFAULT_FONT);
  EXPECT_EQ(Key("Settings", "FontSize"), "-10");
  EXPECT_EQ(Key("Settings", "FontWeight"), "400");
  // Typed but not saved: closing keeps the pause.
  config.Type(IDC_PAUSE, "5");
  config.Close();
  EXPECT_EQ(config.Process().WaitForExit(), 0u);
  EXPECT_EQ(Key("Settings", "BatchPause"), "499");

  WriteTextFile(ini, SettingsFile().Set("OpenMenu", "7").Set("BatchPause", "10001").Text());
  Configurator seven;
  ASSERT_TRUE(seven.Start("2 " + ini, kOptionsCaption));
  for (int id : {IDC_MOUSE_OVER, IDC_LEFT_CLICK, IDC_RIGHT_CLICK, IDC_BOTH_CLICKS}) {
    EXPECT_EQ(IsDlgButtonChecked(seven.Window(), id), BST_UNCHECKED) << id;
  }
  EXPECT_EQ(seven.Text(IDC_PAUSE), "10");
}

TEST_F(ConfigUse, OptionsSaveKeepsThePauseWithinOneToTenSeconds) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "1000"}, {"-3", "1000"}, {"25", "10000"}, {"ab", "1000"}, {"7", "7000"}};
  for (const auto& [typed, stored] : cases) {
    SCOPED_TRACE(typed);
    WriteTextFile(ini, SettingsFile().Text());
    Configurator options;
    ASSERT_TRUE(options.Start("2 " + ini, kOptionsCaption));
    options.Type(IDC_PAUSE, typed);
    options.Click(IDOK);
    EXPECT_EQ(options.Process().WaitForExit(), 0u);
    EXPECT_EQ(Key("Settings", "BatchPause"), stored);
  }
}

// The tray icon chosen in the options reaches a running launcher at once.
TEST_F(ConfigUse, OptionsIconMakesTheLauncherReloadItsIcon) {
  constexpr COLORREF kCustom = RGB(250, 20, 200);
  WriteSolidIcon(folder.File("custom.ico"), kCustom);
  WriteTextFile(ini, SettingsFile().Set("Icon", folder.File("custom.ico") + ",0").Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(WaitUntil([&] { return TrayShowsColour(kCustom); }));
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  EXPECT_EQ(IsDlgButtonChecked(config.Window(), IDC_DEFAULT_ICON), BST_UNCHECKED);
  // The chooser opens on no file: OK at once stores ",0", which names no
  // icon, and the launcher falls back to its own.
  config.Click(IDC_PICK_ICON);
  HWND chooser = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (chooser = config.Find("Choose Icon")) != nullptr; }));
  EXPECT_EQ(SendMessageA(GetDlgItem(chooser, IDC_ICON_LIST), LB_GETCOUNT, 0, 0), 0);
  config.Click(GetDlgItem(chooser, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));
  config.Settle();
  EXPECT_EQ(Key("Settings", "Icon"), ",0");
  EXPECT_TRUE(WaitUntil([&] { return !TrayShowsColour(kCustom); }))
      << "the launcher was told";
  EXPECT_EQ(launcher.Close(), 0u);
}

// Registered and unregistered through the system's regsvr32 on the
// Shellix.dll beside config.exe, as the box is clicked.
TEST_F(ConfigUse, OptionsContextMenuRunsTheRegistrationTool) {
  const std::string classKey = std::string("CLSID\\") + shellext::kClassIdText;
  auto registered = [&] {
    HKEY key = nullptr;
    const bool found = RegOpenKeyExA(HKEY_CLASSES_ROOT, classKey.c_str(), 0,
                                     KEY_READ, &key) == ERROR_SUCCESS;
    if (key != nullptr) RegCloseKey(key);
    return found;
  };
  ASSERT_FALSE(registered()) << "a registration left by something else";
  // A failure half-way leaves no registration behind for other tests.
  struct Unregister {
    ~Unregister() {
      const std::string library = BinDirectory() + "\\Shellix.dll";
      ChildProcess tool;
      if (tool.Start("", "regsvr32.exe /s /u \"" + library + "\"")) tool.WaitForExit();
    }
  } unregister;
  WriteTextFile(ini, SettingsFile().Text());
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  config.Click(IDC_CONTEXT_MENU);
  EXPECT_EQ(Key("Settings", "ContextMenu"), "1");
  EXPECT_TRUE(WaitUntil([&] { return registered(); }, 30s));
  config.Click(IDC_CONTEXT_MENU);
  EXPECT_EQ(Key("Settings", "ContextMenu"), "0");
  EXPECT_TRUE(WaitUntil([&] { return !registered(); }, 30s));
}

TEST_F(ConfigUse, OptionsStartWithWindowsSetsAndRemovesTheRunValue) {
  auto runValue = [] {
    char data[MAX_PATH] = {};
    DWORD size = sizeof(data) - 1;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      if (RegGetValueA(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                       "Vorlane", RRF_RT_REG_SZ, nullptr, data, &size) == ERROR_SUCCESS) {
        return std::string(data);
      }
    }
    return std::string("<none>");
  };
  ASSERT_EQ(runValue(), "<none>") << "a value left by something else";
  struct DeleteRunValue {
    ~DeleteRunValue() {
      for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        RegDeleteKeyValueA(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                           "Vorlane");
      }
    }
  } deleteRunValue;
  // The launcher's first start writes 1 without a Run value: the first
  // click switches it off and deletes nothing.
  WriteTextFile(ini, SettingsFile().Set("Startwithwindows", "1").Text());
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  EXPECT_EQ(IsDlgButtonChecked(config.Window(), IDC_START_WITH_WINDOWS), BST_CHECKED);
  config.Click(IDC_START_WITH_WINDOWS);
  EXPECT_EQ(Key("Settings", "Startwithwindows"), "0");
  config.Click(IDC_START_WITH_WINDOWS);
  EXPECT_EQ(Key("Settings", "Startwithwindows"), "1");
  EXPECT_EQ(runValue(), BinDirectory() + "\\Vorlane.exe");
  config.Click(IDC_START_WITH_WINDOWS);
  EXPECT_EQ(Key("Settings", "Startwithwindows"), "0");
  EXPECT_EQ(runValue(), "<none>");
}

// ---------------------------------------------------------------------------
// The about box and the launcher's commands.

TEST_F(ConfigUse, AboutShowsItsHistoryAndLeavesWebsiteAndFeedbackOpen) {
  const std::string probe = folder.File("a.exe");
  ProtocolProgram web("http", probe);
  ProtocolProgram mail("mailto", probe);
  ASSERT_TRUE(web.Ready() && mail.Ready());
  WriteTextFile(ini, SettingsFile().Text());
  ASSERT_TRUE(config.Start("4 " + ini, kAboutCaption));

  HWND history = config.Control(IDC_HISTORY);
  EXPECT_TRUE(GetWindowLongA(history, GWL_STYLE) & ES_READONLY);
  const std::string text = config.Text(IDC_HISTORY);
  EXPECT_EQ(text.rfind("---2.52b2---\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("- FIXED: Deletion of standard menu\r\n"), std::string::npos);
  config.Click(history);
  for (char c : std::string("xyz")) PostMessageA(history, WM_CHAR, c, 0);
  config.Settle();
  EXPECT_EQ(config.Text(IDC_HISTORY), text) << "the history is read-only";

  config.Click(IDC_WEBSITE);
  config.Click(IDC_FEEDBACK);
  ASSERT_TRUE(WaitUntil([&] { return ReadProbeLog(folder.Path()).size() >= 2; }))
      << Describe(ReadProbeLog(folder.Path()));
  const std::vector<ProbeStart> starts = ReadProbeLog(folder.Path());
  EXPECT_NE(starts[0].arguments.find("http://www.vorlane.org/vorlane"),
            std::string::npos) << starts[0].arguments;
  EXPECT_NE(starts[1].arguments.find("mailto:"), std::string::npos);
  EXPECT_NE(starts[1].arguments.find("subject=Vorlane"), std::string::npos);
  EXPECT_NE(config.Find(kAboutCaption), nullptr) << "both leave it open";
  config.Click(IDOK);
  EXPECT_EQ(config.Process().WaitForExit(), 0u);
}

TEST_F(ConfigUse, LaunchersConfigCommandOpensTheConfiguratorOnItsFile) {
  ASSERT_TRUE(CopyFileA((BinDirectory() + "\\config.exe").c_str(),
                        folder.File("a  b\\config.exe").c_str(), FALSE));
  WriteTextFile(ini, ThreeMenus(folder, false).Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  ASSERT_NE(WaitForPopupMenu(launcher.Process().Id()), nullptr);
  for (int i = 0; i < 2; ++i) PressMenuKey(launcher.Process().Id(), VK_DOWN);
  PressMenuKey(launcher.Process().Id(), VK_RIGHT);
  ChooseByKeys(launcher.Process().Id(), 0);  // "Config"
  HWND window = nullptr;
  // Shown once its lists are filled.
  ASSERT_TRUE(WaitUntil([&] {
    window = FindWindowA("#32770", kMenusCaption);
    return window != nullptr && IsWindowVisible(window);
  }));
  // The launcher started it: it is ended here whatever happens below.
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  ChildProcess started;
  started.Adopt(id);
  const HWND list = GetDlgItem(window, IDC_MENU_LIST);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 4; }))
      << SendMessageA(list, LB_GETCOUNT, 0, 0) << " lines";
  wchar_t first[64] = {};
  SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
  EXPECT_EQ(Narrow(first), "Standard");
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(started.WaitForExit(), 0u);
  EXPECT_EQ(launcher.Close(), 0u);
}

}  // namespace
}  // namespace vorlane::test
