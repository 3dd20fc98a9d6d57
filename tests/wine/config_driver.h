// config.exe driven from another process as a user drives it: started the
// way the launcher starts it, its controls read and clicked for real, and
// the settings file read after each action. Shared by the configurator's
// end-to-end tests.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config_ids.h"
#include "menu_driver.h"
#include "settings/profile_store_win32.h"
#include "test_support.h"
#include "win32/handles.h"

namespace vorlane::test {

using namespace std::chrono_literals;

inline constexpr char kMenusCaption[] = "Vorlane menu configurator";
inline constexpr char kAboutCaption[] = "About Vorlane";
inline constexpr char kOnlyFromLauncher[] =
    "This program can only be run from within Vorlane";

// Three menus: the standard one with a program, a separator and (unless
// left out) a missing program, "Tools" with a.exe and "Web" with b.exe,
// listed Standard, Web, Tools.
SettingsFile ThreeMenus(const TempFolder& folder, bool withMissing = true);

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
std::string Narrow(const wchar_t* text);

// WM_GETTEXT itself: GetWindowText gives another process only a window's
// caption, never an edit's contents.
std::string WindowText(HWND window);

struct Row {
  int index = 0;
  std::string text;
  RECT bounds{};  // in the list's client area
};

// Which windows have the focus and the mouse capture in a thread of
// another process.
GUITHREADINFO InputOf(DWORD thread);

// A real click with the left (or right) button at a point of the screen. The pointer
// arrives first and the window under it sees it move there, as a hand's
// movement would: a hot icon button holds the mouse capture until it sees
// the pointer leave, and a press queued before that would go to it.
// Only a click that could pair with the one before into a double click (in
// the same window, near it, within the double-click time) waits for that
// time to pass first.
void ClickAt(POINT at, bool right = false);

POINT Centre(HWND window);

// config.exe from the test programs' folder with the arguments that the
// launcher would write after its name.
// The tests' config.exe, or the copy at `program`.
bool StartConfigExe(ChildProcess& process, const std::string& arguments,
                    const std::string& program = "");

// Opens the launcher's menu by hovering and chooses the entry `downs` steps
// down, or with `inside` the entry that many steps into the submenu there;
// done when the menu is gone.
::testing::AssertionResult ChooseInLauncher(Launcher& launcher, int downs,
                                            int inside = -1);

// config.exe started from this process and driven by real clicks and keys.
// Its steps return once the input is on its way: what a step did is waited
// for by the test, in the file or in the window.
class Configurator {
 public:
  // A test that failed may have left a box or a menu open, which would hold
  // up the close: its configurator is ended at once instead.
  ~Configurator() {
    if (!::testing::Test::HasFailure()) Close();
  }

  // `arguments` follow the program name as the launcher writes them.
  ::testing::AssertionResult Start(const std::string& arguments,
                                   const char* caption = kMenusCaption,
                                   const std::string& program = "") {
    if (!StartConfigExe(process_, arguments, program)) {
      return ::testing::AssertionFailure() << "config.exe did not start";
    }
    if (!WaitUntil([&] { return (window_ = Find(caption)) != nullptr; })) {
      return ::testing::AssertionFailure() << "no window \"" << caption << "\"";
    }
    // Controls react once the dialog runs its loop.
    if (!Answers(window_)) return ::testing::AssertionFailure() << "it does not answer";
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
  // A dialog it opened over its own, once shown.
  HWND WaitFor(const char* caption) const {
    HWND found = nullptr;
    EXPECT_TRUE(Eventually([&] { return (found = Find(caption)) != nullptr; },
                           std::string("a window \"") + caption + "\""));
    return found;
  }
  HWND Window() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  ChildProcess& Process() { return process_; }
  DWORD Pid() const { return process_.Id(); }

  std::string Text(int id) const { return WindowText(Control(id)); }

  // Waits for the dialog to reach a state, then for the handler that got
  // it there to return: the dialog's thread answers a sent message only
  // back in its loop.
  ::testing::AssertionResult Reaches(const std::function<bool()>& state,
                                     const std::string& what) const {
    ::testing::AssertionResult reached = Eventually(state, what);
    if (reached) Answers(window_);
    return reached;
  }
  ::testing::AssertionResult TextBecomes(int id, const std::string& text) const {
    return Settled(Becomes([&] { return Text(id); }, text),
                   "control " + std::to_string(id));
  }
  // Location, description and parameters as one line.
  ::testing::AssertionResult FieldsBecome(const std::string& location,
                                          const std::string& description,
                                          const std::string& parameters = "") const {
    return Settled(Becomes([&] { return Fields(); },
                           location + " | " + description + " | " + parameters),
                   "the fields");
  }
  std::string Fields() const {
    return Text(IDC_LOCATION) + " | " + Text(IDC_DESCRIPTION) + " | " +
           Text(IDC_PARAMETERS);
  }

  // A real click in the middle of the control.
  void Click(HWND control) {
    SetForegroundWindow(GetAncestor(control, GA_ROOT));
    ClickAt(Centre(control));
  }
  void Click(int id) { Click(Control(id)); }

  // Clicks into the edit, empties it and types the text key by key; done
  // when the edit holds it.
  ::testing::AssertionResult Type(HWND edit, const std::string& text) {
    Click(edit);
    const DWORD thread = GetWindowThreadProcessId(edit, nullptr);
    if (::testing::AssertionResult focused = Eventually(
            [&] { return InputOf(thread).hwndFocus == edit; }, "the edit takes the focus");
        !focused) {
      return focused;
    }
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    for (char c : text) {
      INPUT keys[2] = {};
      keys[0].type = keys[1].type = INPUT_KEYBOARD;
      keys[0].ki.wScan = keys[1].ki.wScan =
          static_cast<WORD>(static_cast<unsigned char>(c));
      keys[0].ki.dwFlags = KEYEVENTF_UNICODE;
      keys[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
      SendInput(2, keys, sizeof(INPUT));
    }
    return Becomes([&] { return WindowText(edit); }, text);
  }
  ::testing::AssertionResult Type(int id, const std::string& text) {
    return Type(Control(id), text);
  }

  // Pastes the text into the edit as the clipboard would, wide characters
  // and all; done when the edit holds it.
  ::testing::AssertionResult Paste(int id, const std::wstring& text) {
    HWND edit = Control(id);
    Click(edit);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return Eventually([&] { return WideText(edit) == text; }, "the pasted text");
  }
  static std::wstring WideText(HWND window) {
    std::wstring text(8192, L'\0');
    text.resize(static_cast<std::size_t>(SendMessageW(
        window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
  }

  // A real key press and release, to whatever has the focus.
  static void PressKey(WORD key) {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = key;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
  }

  // A command sent as its control would send it, for a step a person
  // cannot take while a box holds the dialog but that a quicker hand
  // takes just before the box: answered once handled.
  bool Command(int id, int notification = BN_CLICKED) const {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window_, WM_COMMAND, MAKEWPARAM(id, notification),
                               reinterpret_cast<LPARAM>(Control(id)), SMTO_NORMAL,
                               5000, &ignored) != 0;
  }
  // Selects the row alone, as the arrow keys would.
  void SelectRowDirectly(int row) const {
    RemoteBuffer remote(process_.Id());
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    remote.Put(0, &item, sizeof(item));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(Control(IDC_ITEM_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(remote.At(0)), SMTO_NORMAL, 5000, &ignored);
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    remote.Put(0, &item, sizeof(item));
    SendMessageTimeoutA(Control(IDC_ITEM_LIST), LVM_SETITEMSTATE, row,
                        reinterpret_cast<LPARAM>(remote.At(0)), SMTO_NORMAL, 5000, &ignored);
  }

  // A real click on a line of the menu list.
  void PressMenuLine(int line) {
    HWND list = Control(IDC_MENU_LIST);
    const int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    RECT bounds{};
    GetWindowRect(list, &bounds);
    SetForegroundWindow(window_);
    ClickAt({bounds.left + 10, bounds.top + 2 + height * line + height / 2});
  }

  // Clicks a line of the menu list; done when it is selected with its
  // fields' labels and, if given, its rows.
  ::testing::AssertionResult ClickMenuLine(
      int line, const std::optional<std::vector<std::string>>& rows = std::nullopt) {
    HWND list = Control(IDC_MENU_LIST);
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    PressMenuLine(line);
    const std::string label = line == count - 1 ? "Name" : "Location";
    return Reaches(
        [&] {
          return SendMessageA(list, LB_GETCURSEL, 0, 0) == line &&
                 Text(IDC_LOCATION_LABEL) == label && (!rows || RowTexts() == *rows);
        },
        "menu line " + std::to_string(line) + " shown");
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
      item.cchTextMax = 2048;
      remote.Put(0, &item, sizeof(item));
      SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.At(0)));
      Row row;
      row.index = i;
      char text[2048] = {};
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
  std::vector<std::string> RowTexts() const {
    std::vector<std::string> texts;
    for (const Row& row : Rows()) texts.push_back(row.text);
    return texts;
  }

  // A click on the row; done when the list has selected it (a right click:
  // when its menu is open).
  ::testing::AssertionResult ClickRow(const Row& row, bool right = false) {
    POINT at{row.bounds.left + 30, (row.bounds.top + row.bounds.bottom) / 2};
    HWND list = Control(IDC_ITEM_LIST);
    ClientToScreen(list, &at);
    SetForegroundWindow(window_);
    ClickAt(at, right);
    if (right) {
      return Eventually([&] { return FindPopupMenu(Pid()) != nullptr; }, "the row's menu");
    }
    return Eventually(
        [&] { return SendMessageA(list, LVM_GETITEMSTATE, row.index, LVIS_SELECTED) != 0; },
        "row " + row.text + " selected");
  }

 private:
  ::testing::AssertionResult Settled(::testing::AssertionResult result,
                                     const std::string& what) const {
    if (!result) return ::testing::AssertionFailure() << what << " " << result.message();
    Answers(window_);
    return result;
  }

  ChildProcess process_;
  HWND window_ = nullptr;
};

// The tooltip control of the process, or null.
HWND FindTooltips(DWORD processId);

// The box of the configurator with this caption: its text, once it was
// pressed with the given button and the handler that showed it has
// returned (after its box is gone the dialog's thread answers a sent
// message only back in its loop).
std::string AnswerBox(DWORD processId, const char* caption, int button = IDOK);

// Files dropped on the dialog: the drop block is written into the
// configurator's memory, where the platform reads it in place. It stays
// there until the drop's effect shows (`handled`: a count in the file, a
// box) or the wait for it gives up.
::testing::AssertionResult DropFiles(
    Configurator& config, const std::vector<std::string>& paths,
    const std::function<::testing::AssertionResult()>& handled);

// The system's file dialog of the process with this caption: the path
// given as its file name and its Open button clicked.
::testing::AssertionResult ChooseInFileDialog(Configurator& config, const char* caption,
                                              const std::string& path);

// A settings file in a folder whose name holds two blanks, as the launcher
// passes such a path, and two programs (copies of the probe) beside it.
class ConfigUse : public EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    if (HasFatalFailure()) return;
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

  // Waits until the file holds the value, then until the configurator's
  // handler has returned, so that the rest of the same edit is on disk too.
  ::testing::AssertionResult KeyBecomes(const std::string& section, const std::string& key,
                                        const std::string& value) {
    ::testing::AssertionResult result = Becomes([&] { return Key(section, key); }, value);
    if (!result) {
      return ::testing::AssertionFailure() << "[" << section << "] " << key << " "
                                           << result.message();
    }
    if (config.Window() != nullptr) Answers(config.Window());
    return result;
  }

  std::string File() { return ReadTextFile(ini); }

  TempFolder folder;
  std::string ini;
  Configurator config;
};

// Whether the row's image area shows the colour.
bool RowShows(HWND list, const Row& row, COLORREF colour);

}  // namespace vorlane::test
