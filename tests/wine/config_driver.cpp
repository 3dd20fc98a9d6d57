#include "config_driver.h"

#include <shlobj.h>

#include <cstdlib>
#include <thread>

#include "screen_shot.h"

namespace vorlane::test {
namespace {

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

}  // namespace

SettingsFile ThreeMenus(const TempFolder& folder, bool withMissing) {
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

std::string Narrow(const wchar_t* text) {
  char narrow[4096] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof(narrow) - 1, nullptr,
                      nullptr);
  return narrow;
}

std::string WindowText(HWND window) {
  wchar_t text[4096] = {};
  SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
  return Narrow(text);
}

GUITHREADINFO InputOf(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(thread, &info);
  return info;
}

void ClickAt(POINT at, bool right) {
  static struct {
    HWND root = nullptr;
    POINT at{};
    std::chrono::steady_clock::time_point when;
  } last;
  const HWND root = GetAncestor(WindowFromPoint(at), GA_ROOT);
  if (root == last.root &&
      std::abs(at.x - last.at.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
      std::abs(at.y - last.at.y) <= GetSystemMetrics(SM_CYDOUBLECLK)) {
    std::this_thread::sleep_until(last.when +
                                  std::chrono::milliseconds(GetDoubleClickTime() + 50));
  }
  MoveMouseTo(at);
  const DWORD thread = GetWindowThreadProcessId(WindowFromPoint(at), nullptr);
  EXPECT_TRUE(Eventually(
      [&] {
        RECT bounds{};
        const HWND capture = InputOf(thread).hwndCapture;
        return capture == nullptr ||
               (GetWindowRect(capture, &bounds) && PtInRect(&bounds, at));
      },
      "the capture is let go where the pointer left"));
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
  last = {root, at, std::chrono::steady_clock::now()};
}

POINT Centre(HWND window) {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  return {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
}

bool StartConfigExe(ChildProcess& process, const std::string& arguments,
                    const std::string& program) {
  const std::string exe = program.empty() ? BinDirectory() + "\\config.exe" : program;
  return process.Start(exe, "\"" + exe + "\" " + arguments);
}

::testing::AssertionResult ChooseInLauncher(Launcher& launcher, int downs,
                                            int inside) {
  const DWORD pid = launcher.Process().Id();
  // The menu opens where the pointer is; left on the dialog's last button,
  // a late report of it would select the entry under it instead of the keys.
  ParkCursor();
  PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  if (WaitForPopupMenu(pid) == nullptr) return ::testing::AssertionFailure() << "no menu";
  if (inside >= 0) {
    for (int i = 0; i < downs; ++i) PressMenuKey(pid, VK_DOWN);
    PressMenuKey(pid, VK_RIGHT);
    ChooseByKeys(pid, inside);
  } else {
    ChooseByKeys(pid, downs);
  }
  return Eventually([&] { return FindPopupMenu(pid) == nullptr; }, "the menu closes");
}

HWND FindTooltips(DWORD processId) {
  TooltipSearch search{processId, nullptr};
  EnumWindows(FindTooltipWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string AnswerBox(DWORD processId, const char* caption, int button) {
  const HWND box = WaitForMessageBox(processId, caption);
  if (box == nullptr) {
    ADD_FAILURE() << "no box captioned " << caption;
    return "(no box)";
  }
  const HWND owner = GetWindow(box, GW_OWNER);
  const std::string text = MessageBoxText(box);
  PostMessageA(box, WM_COMMAND, button, 0);
  EXPECT_TRUE(Eventually([&] { return !IsWindow(box); }, "the box closes"));
  if (owner != nullptr) Answers(owner);
  return text;
}

::testing::AssertionResult DropFiles(
    Configurator& config, const std::vector<std::string>& paths,
    const std::function<::testing::AssertionResult()>& handled) {
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
  RemoteBuffer remote(config.Pid(), sizeof(header) + names.size() * sizeof(wchar_t));
  remote.Put(0, &header, sizeof(header));
  remote.Put(sizeof(header), names.data(), names.size() * sizeof(wchar_t));
  PostMessageA(config.Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(remote.At(0)), 0);
  return handled();
}

::testing::AssertionResult ChooseInFileDialog(Configurator& config, const char* caption,
                                              const std::string& path) {
  const HWND dialog = config.WaitFor(caption);
  if (dialog == nullptr) return ::testing::AssertionFailure() << "no file dialog";
  // The explorer-style dialog's file name is a combo box (cmb13), the
  // older one's an edit (edt1).
  HWND name = GetDlgItem(dialog, 0x47c);
  if (name == nullptr) name = GetDlgItem(dialog, 0x480);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  config.Click(GetDlgItem(dialog, IDOK));
  return Eventually([&] { return !IsWindow(dialog); }, "the file dialog closes");
}

bool RowShows(HWND list, const Row& row, COLORREF colour) {
  const ScreenShot shot(list);
  for (int y = row.bounds.top; y < row.bounds.bottom; ++y) {
    for (int x = row.bounds.left; x < row.bounds.left + 24; ++x) {
      if (shot.At(x, y) == colour) return true;
    }
  }
  return false;
}

}  // namespace vorlane::test
