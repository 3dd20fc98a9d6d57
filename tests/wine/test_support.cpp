#include "test_support.h"

#include <shellapi.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace vorlane::test {

std::string BinDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, std::size(path));
  std::string text(path);
  return text.substr(0, text.rfind('\\'));
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {
template <typename T>
void Append(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof(value));
}
}  // namespace

void WriteSolidIcon(const std::string& path, COLORREF colour) {
  constexpr int kSize = 32;
  std::string image;
  Append<std::uint32_t>(image, 40);  // BITMAPINFOHEADER
  Append<std::int32_t>(image, kSize);
  Append<std::int32_t>(image, kSize * 2);
  Append<std::uint16_t>(image, 1);
  Append<std::uint16_t>(image, 32);
  for (int i = 0; i < 6; ++i) Append<std::uint32_t>(image, 0);
  for (int i = 0; i < kSize * kSize; ++i) {
    Append<std::uint8_t>(image, GetBValue(colour));
    Append<std::uint8_t>(image, GetGValue(colour));
    Append<std::uint8_t>(image, GetRValue(colour));
    Append<std::uint8_t>(image, 255);
  }
  image.append(kSize * kSize / 8, '\0');  // AND mask: all opaque

  std::string file;
  Append<std::uint16_t>(file, 0);
  Append<std::uint16_t>(file, 1);
  Append<std::uint16_t>(file, 1);
  Append<std::uint8_t>(file, kSize);
  Append<std::uint8_t>(file, kSize);
  Append<std::uint8_t>(file, 0);
  Append<std::uint8_t>(file, 0);
  Append<std::uint16_t>(file, 1);
  Append<std::uint16_t>(file, 32);
  Append<std::uint32_t>(file, static_cast<std::uint32_t>(image.size()));
  Append<std::uint32_t>(file, 22);
  WriteTextFile(path, file + image);
}

bool WriteProgramsMenu(const TempFolder& folder, int count) {
  const std::string probe = BinDirectory() + "\\probe.exe";
  std::string text =
      "[Settings]\r\nMenuOrder=1*2*\r\nMenuCount=2\r\nCount1=0\r\n"
      "MenuName2=Programs\r\nCount2=";
  text.append(std::to_string(count)).append("\r\n[Program locations2]\r\n");
  for (int i = 1; i <= count; ++i) {
    const std::string number = std::to_string(i);
    const std::string program =
        folder.File(std::string("p").append(number).append(".exe"));
    if (!CopyFileA(probe.c_str(), program.c_str(), FALSE)) return false;
    text.append("Program").append(number).append("=").append(program);
    text.append("\r\nDes").append(number).append("=Program ").append(number);
    text.append("\r\n");
  }
  WriteTextFile(folder.File("vorlane.ini"), text);
  return true;
}

bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

TempFolder::TempFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(std::size(temp), temp);
  static int counter = 0;
  for (;;) {
    path_ = std::string(temp) + "vorlane-test-" +
            std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

namespace {
void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}
}  // namespace

TempFolder::~TempFolder() { RemoveTree(path_); }

ChildProcess::~ChildProcess() {
  if (info_.hProcess != nullptr) {
    if (IsRunning()) {
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
}

bool ChildProcess::Start(const std::string& program,
                         const std::string& commandLine,
                         const std::string& workingDirectory) {
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  return CreateProcessA(program.empty() ? nullptr : program.c_str(),
                        mutableLine.data(), nullptr, nullptr,
                        FALSE, 0, nullptr,
                        workingDirectory.empty() ? nullptr
                                                 : workingDirectory.c_str(),
                        &startup, &info_) != 0;
}

bool ChildProcess::IsRunning() const {
  return info_.hProcess != nullptr &&
         WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (WaitForSingleObject(info_.hProcess,
                          static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return STILL_ACTIVE;
  }
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

namespace {
struct WindowSearch {
  DWORD processId;
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  char name[64] = {};
  GetClassNameA(hwnd, name, std::size(name));
  if (owner == search->processId && lstrcmpA(name, search->className) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindProcessWindow(DWORD processId, const char* className) {
  WindowSearch search{processId, className, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

::testing::AssertionResult Launcher::Start(const TempFolder& folder,
                                          const std::string& arguments,
                                          const std::string& workingDirectory,
                                          bool bareName) {
  exePath_ = folder.File("Vorlane.exe");
  if (!CopyFileA((BinDirectory() + "\\Vorlane.exe").c_str(), exePath_.c_str(),
                 FALSE)) {
    return ::testing::AssertionFailure()
           << "copy to " << exePath_ << " failed: " << GetLastError();
  }
  std::string commandLine = bareName ? "Vorlane.exe" : "\"" + exePath_ + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  if (!process_.Start(exePath_, commandLine, workingDirectory)) {
    return ::testing::AssertionFailure()
           << "CreateProcess failed: " << GetLastError();
  }
  WaitForInputIdle(process_.Handle(), 10000);
  WaitUntil([&] {
    window_ = FindProcessWindow(process_.Id(), "Vorlane");
    return window_ != nullptr || !process_.IsRunning();
  });
  if (window_ == nullptr) {
    return ::testing::AssertionFailure()
           << "no window; exit code " << process_.WaitForExit(
                                             std::chrono::milliseconds(0));
  }
  DWORD_PTR ignored = 0;
  if (SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000,
                          &ignored) == 0) {
    return ::testing::AssertionFailure() << "window does not answer";
  }
  // A window that answers may still be inside its call to the shell, which
  // serves incoming messages while it waits: the icon tells that start-up
  // is over.
  if (!WaitUntil([&] { return TrayIconExists(window_); })) {
    return ::testing::AssertionFailure() << "no tray icon";
  }
  return ::testing::AssertionSuccess();
}

DWORD Launcher::Close() {
  PostMessageA(window_, WM_CLOSE, 0, 0);
  return process_.WaitForExit();
}

namespace {
NOTIFYICONDATAA TrayRecord(HWND window) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = 1;
  return data;
}
}  // namespace

bool TrayIconExists(HWND window) {
  NOTIFYICONDATAA data = TrayRecord(window);
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

void RemoveTrayIcon(HWND window) {
  NOTIFYICONDATAA data = TrayRecord(window);
  Shell_NotifyIconA(NIM_DELETE, &data);
}

bool TrayShowsColour(COLORREF colour) {
  HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
  if (tray == nullptr) return false;
  RECT bounds{};
  GetWindowRect(tray, &bounds);
  HDC screen = GetDC(nullptr);
  bool seen = false;
  constexpr int kCellWidth = 20;
  for (int y = bounds.top; y < bounds.bottom && !seen; ++y) {
    for (int x = bounds.right - kCellWidth; x < bounds.right && !seen; ++x) {
      seen = (GetPixel(screen, x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    }
  }
  ReleaseDC(nullptr, screen);
  return seen;
}

}  // namespace vorlane::test
