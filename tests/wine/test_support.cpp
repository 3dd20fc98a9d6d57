#include "test_support.h"

#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cwctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "shellext/registration.h"
#include "win32/com_ptr.h"

namespace vorlane::test {

std::string BinDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, std::size(path));
  std::string text(path);
  return text.substr(0, text.rfind('\\'));
}

std::string WindowsDirectory() {
  char directory[MAX_PATH] = {};
  GetWindowsDirectoryA(directory, std::size(directory));
  return directory;
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

std::string ManifestOf(const std::string& program) {
  const win32::UniqueModule module(LoadLibraryExA(
      program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return "<not loaded>";
  HRSRC found = FindResourceA(module.get(), MAKEINTRESOURCEA(1), RT_MANIFEST);
  HGLOBAL loaded = found != nullptr ? LoadResource(module.get(), found) : nullptr;
  if (loaded == nullptr) return "<no manifest>";
  return std::string(static_cast<const char*>(LockResource(loaded)),
                     SizeofResource(module.get(), found));
}

std::string ShortPathOf(const std::string& path) {
  char buffer[MAX_PATH] = {};
  const DWORD length =
      GetShortPathNameA(path.c_str(), buffer, static_cast<DWORD>(std::size(buffer)));
  return std::string(buffer, length < std::size(buffer) ? length : 0);
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {
template <typename T>
void Append(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

constexpr int kIconSize = 32;

// One square image in the form icon files and icon resources share: a
// bitmap header of double height, the colour rows, then the AND mask.
std::string SolidIconImage(COLORREF colour, int size = kIconSize) {
  std::string image;
  Append<std::uint32_t>(image, 40);  // BITMAPINFOHEADER
  Append<std::int32_t>(image, size);
  Append<std::int32_t>(image, size * 2);
  Append<std::uint16_t>(image, 1);
  Append<std::uint16_t>(image, 32);
  for (int i = 0; i < 6; ++i) Append<std::uint32_t>(image, 0);
  for (int i = 0; i < size * size; ++i) {
    Append<std::uint8_t>(image, GetBValue(colour));
    Append<std::uint8_t>(image, GetGValue(colour));
    Append<std::uint8_t>(image, GetRValue(colour));
    Append<std::uint8_t>(image, 255);
  }
  // AND mask, all opaque: rows of whole 32-bit words.
  image.append(static_cast<std::size_t>((size + 31) / 32 * 4 * size), '\0');
  return image;
}

// The directory entry that icon files and icon groups share, up to the
// image's size; a file follows it with the image's offset, a group with
// the image's resource id.
void AppendIconEntry(std::string& out, std::size_t imageSize, int size = kIconSize) {
  Append<std::uint8_t>(out, static_cast<std::uint8_t>(size));
  Append<std::uint8_t>(out, static_cast<std::uint8_t>(size));
  Append<std::uint8_t>(out, 0);
  Append<std::uint8_t>(out, 0);
  Append<std::uint16_t>(out, 1);
  Append<std::uint16_t>(out, 32);
  Append<std::uint32_t>(out, static_cast<std::uint32_t>(imageSize));
}

std::string IconDirectoryHead() {
  std::string head;
  Append<std::uint16_t>(head, 0);
  Append<std::uint16_t>(head, 1);  // icons, not cursors
  Append<std::uint16_t>(head, 1);  // one image
  return head;
}

}  // namespace

void WriteSizedIcon(const std::string& path,
                    const std::vector<std::pair<int, COLORREF>>& images) {
  std::string file;
  Append<std::uint16_t>(file, 0);
  Append<std::uint16_t>(file, 1);
  Append<std::uint16_t>(file, static_cast<std::uint16_t>(images.size()));
  std::string data;
  const std::size_t first = 6 + 16 * images.size();
  for (const auto& [size, colour] : images) {
    const std::string image = SolidIconImage(colour, size);
    AppendIconEntry(file, image.size(), size);
    Append<std::uint32_t>(file, static_cast<std::uint32_t>(first + data.size()));
    data += image;
  }
  WriteTextFile(path, file + data);
}

DisplayDpi::DisplayDpi(int dpi) {
  DWORD value = 0, size = sizeof(value);
  if (RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD,
                   nullptr, &value, &size) == ERROR_SUCCESS) {
    before_ = value;
  }
  const DWORD wanted = static_cast<DWORD>(dpi);
  set_ = RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD,
                         &wanted, sizeof(wanted)) == ERROR_SUCCESS;
}

DisplayDpi::~DisplayDpi() {
  if (before_) {
    const DWORD value = *before_;
    RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &value,
                    sizeof(value));
  } else {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
  }
}

std::vector<std::uint32_t> IconDrawnOver(HICON icon, int size, std::uint32_t background) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const win32::UniqueBitmap bitmap(
      CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const win32::UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
  if (!bitmap || !memory) return {};
  const win32::SelectedObject selected(memory.get(), bitmap.get());
  auto* pixels = static_cast<std::uint32_t*>(bits);
  std::vector<std::uint32_t> drawn(static_cast<std::size_t>(size) * size);
  std::fill(pixels, pixels + drawn.size(), background);
  if (!DrawIconEx(memory.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL)) return {};
  GdiFlush();
  for (std::size_t i = 0; i < drawn.size(); ++i) drawn[i] = pixels[i] & 0xFFFFFF;
  return drawn;
}

UserDword::~UserDword() {
  if (!touched_) return;
  if (before_) {
    const DWORD value = *before_;
    RegSetKeyValueA(HKEY_CURRENT_USER, key_, name_, REG_DWORD, &value, sizeof(value));
  } else {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, key_, name_);
  }
}

bool UserDword::Set(DWORD value) {
  if (!touched_) {
    DWORD old = 0, size = sizeof(old);
    if (RegGetValueA(HKEY_CURRENT_USER, key_, name_, RRF_RT_REG_DWORD, nullptr,
                     &old, &size) == ERROR_SUCCESS) {
      before_ = old;
    }
    touched_ = true;
  }
  return RegSetKeyValueA(HKEY_CURRENT_USER, key_, name_, REG_DWORD, &value,
                         sizeof(value)) == ERROR_SUCCESS;
}

void BroadcastColourSetChange() {
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                      reinterpret_cast<LPARAM>("ImmersiveColorSet"),
                      SMTO_ABORTIFHUNG, 5000, &answer);
}

void WriteSolidIcon(const std::string& path, COLORREF colour) {
  const std::string image = SolidIconImage(colour);
  std::string file = IconDirectoryHead();
  AppendIconEntry(file, image.size());
  Append<std::uint32_t>(file, 22);  // the image follows the directory
  WriteTextFile(path, file + image);
}

bool WriteIconLibrary(const std::string& path,
                      const std::vector<COLORREF>& colours) {
  if (!CopyFileA((BinDirectory() + "\\probe.exe").c_str(), path.c_str(),
                 FALSE)) {
    return false;
  }
  HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
  if (update == nullptr) return false;
  bool written = true;
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const auto id = static_cast<WORD>(i + 1);
    std::string image = SolidIconImage(colours[i]);
    std::string group = IconDirectoryHead();
    AppendIconEntry(group, image.size());
    Append<std::uint16_t>(group, id);
    written = written &&
              UpdateResourceA(update, RT_ICON, MAKEINTRESOURCEA(id),
                              MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                              image.data(), static_cast<DWORD>(image.size())) &&
              UpdateResourceA(update, RT_GROUP_ICON, MAKEINTRESOURCEA(id),
                              MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                              group.data(), static_cast<DWORD>(group.size()));
  }
  return EndUpdateResourceA(update, !written) && written;
}

SettingsFile::SettingsFile() {
  Set("MenuOrder", "1*").Set("MenuCount", "1").Set("OpenMenu", "1");
}

SettingsFile& SettingsFile::Set(const std::string& key,
                                const std::string& value) {
  settings_[key] = value;
  return *this;
}

SettingsFile& SettingsFile::Item(int menu, int number,
                                 const std::string& program,
                                 const std::string& description,
                                 const Keys& more) {
  std::string& lines = sections_[menu];
  const std::string n = std::to_string(number);
  lines += "Program" + n + "=" + program + "\r\nDes" + n + "=" + description +
           "\r\n";
  for (const auto& [key, value] : more) lines += key + n + "=" + value + "\r\n";
  if (number > counts_[menu]) counts_[menu] = number;
  return *this;
}

SettingsFile& SettingsFile::Contact(int number, const std::string& name,
                                    const std::string& address) {
  const std::string n = std::to_string(number);
  contacts_ += "Name" + n + "=" + name + "\r\nEmail" + n + "=" + address +
               "\r\n";
  contactCount_ = std::max(contactCount_, number);
  return *this;
}

std::string SettingsFile::Text() const {
  Keys settings = settings_;
  for (const auto& [menu, count] : counts_) {
    settings.emplace("Count" + std::to_string(menu), std::to_string(count));
  }
  if (contactCount_ > 0) {
    settings.emplace("ContactCount", std::to_string(contactCount_));
  }
  std::string text = "[Settings]\r\n";
  for (const auto& [key, value] : settings) text += key + "=" + value + "\r\n";
  for (const auto& [menu, lines] : sections_) {
    text += "[Program locations" + std::to_string(menu) + "]\r\n" + lines;
  }
  if (!contacts_.empty()) text += "[Emailcontacts]\r\n" + contacts_;
  return text;
}

bool WriteProgramsMenu(const TempFolder& folder, int count) {
  const std::string probe = BinDirectory() + "\\probe.exe";
  SettingsFile settings;
  settings.Set("MenuOrder", "1*2*").Set("MenuCount", "2").Set("Count1", "0");
  settings.Set("MenuName2", "Programs");
  for (int i = 1; i <= count; ++i) {
    const std::string number = std::to_string(i);
    const std::string program = folder.File("p" + number + ".exe");
    if (!CopyFileA(probe.c_str(), program.c_str(), FALSE)) return false;
    settings.Item(2, i, program, "Program " + number);
  }
  WriteTextFile(folder.File("vorlane.ini"), settings.Text());
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

::testing::AssertionResult Eventually(const std::function<bool()>& condition,
                                      const std::string& what,
                                      std::chrono::milliseconds timeout) {
  if (WaitUntil(condition, timeout)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "not within " << timeout.count() << " ms: " << what;
}

::testing::AssertionResult Becomes(const std::function<std::string()>& actual,
                                   const std::string& expected,
                                   std::chrono::milliseconds timeout) {
  std::string last;
  if (WaitUntil([&] { return (last = actual()) == expected; }, timeout)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "is \"" << last << "\", not \"" << expected
                                       << "\", after " << timeout.count() << " ms";
}

bool Answers(HWND window, std::chrono::milliseconds timeout) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL,
                             static_cast<UINT>(timeout.count()), &ignored) != 0;
}

namespace {
constexpr char kTempFolderStem[] = "vorlane-test-";

std::wstring Widened(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
  if (length > 1) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  return wide;
}

std::string Narrowed(const std::wstring& text) {
  const int length =
      WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(length > 0 ? length - 1 : 0, '\0');
  if (length > 1) {
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow.data(), length, nullptr,
                        nullptr);
  }
  return narrow;
}

std::wstring TempDirectory() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(static_cast<DWORD>(std::size(temp)), temp);
  return temp;
}

// A drive path in the form that lifts the wide calls' length limit: tests
// make paths of 257 characters and more inside their folders.
std::wstring Extended(const std::wstring& path) {
  if (path.size() > 2 && path[1] == L':' && path[2] == L'\\' &&
      path.find(L'/') == std::wstring::npos) {
    return L"\\\\?\\" + path;
  }
  return path;
}

void ClearReadOnly(const std::wstring& path, DWORD attributes) {
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
}

void RemoveBelow(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  const win32::UniqueFind search(FindFirstFileW((path + L"\\*").c_str(), &found));
  if (!search) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring child = path + L"\\" + name;
    ClearReadOnly(child, found.dwFileAttributes);
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      DeleteFileW(child.c_str());
    } else {
      // A junction is removed, never followed into what it points at.
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) RemoveBelow(child);
      RemoveDirectoryW(child.c_str());
    }
  } while (FindNextFileW(search.get(), &found));
}

// How many folders this process made; its n-th is named with its id and n.
int madeFolders = 0;

struct FolderMaker {
  DWORD process = 0;
  int count = 0;
};

// The process that made a folder named kTempFolderStem, its id, "-" and a
// count; nullopt for a name of another form.
std::optional<FolderMaker> MakerOf(const std::wstring& name) {
  const std::size_t stem = std::size(kTempFolderStem) - 1;
  FolderMaker maker;
  std::size_t i = stem;
  for (; i < name.size() && i < stem + 9 && iswdigit(name[i]); ++i) {
    maker.process = maker.process * 10 + static_cast<DWORD>(name[i] - L'0');
  }
  if (i == stem || i + 1 >= name.size() || name[i] != L'-') return std::nullopt;
  const std::size_t countStart = ++i;
  for (; i < name.size() && i < countStart + 9 && iswdigit(name[i]); ++i) {
    maker.count = maker.count * 10 + (name[i] - L'0');
  }
  if (i != name.size()) return std::nullopt;
  return maker;
}

bool IsRunningProcess(DWORD id) {
  const win32::UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// Whose folder it may be: this process's own, or one of another test
// program that still runs (several may share one prefix).
bool IsInUse(const FolderMaker& maker) {
  if (maker.process == GetCurrentProcessId()) {
    // A higher count is of an earlier process that had the same id.
    return maker.count <= madeFolders;
  }
  return IsRunningProcess(maker.process);
}

class LeftoverTempFolders : public ::testing::Environment {
 public:
  void SetUp() override {
    const int found = RemoveLeftoverTempFolders();
    if (found > 0) {
      std::fprintf(stderr, "Left by earlier test programs: %d temporary folders\n", found);
    }
  }
};

[[maybe_unused]] ::testing::Environment* const kLeftoverTempFolders =
    ::testing::AddGlobalTestEnvironment(new LeftoverTempFolders);

// What every TempFolder's path begins with.
std::string TempFolderPrefix() {
  char temp[MAX_PATH] = {};
  GetTempPathA(std::size(temp), temp);
  return std::string(temp) + kTempFolderStem;
}

}  // namespace

TempFolder::TempFolder() {
  for (;;) {
    path_ = TempFolderPrefix() + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++madeFolders);
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

int RemoveLeftoverTempFolders() {
  const std::wstring temp = TempDirectory();
  std::vector<std::wstring> leftovers;
  WIN32_FIND_DATAW found;
  if (const win32::UniqueFind search(
          FindFirstFileW((temp + Widened(kTempFolderStem) + L"*").c_str(), &found));
      search) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      const std::optional<FolderMaker> maker = MakerOf(found.cFileName);
      if (maker && !IsInUse(*maker)) leftovers.push_back(temp + found.cFileName);
    } while (FindNextFileW(search.get(), &found));
  }
  for (const std::wstring& folder : leftovers) {
    if (!RemoveTree(folder)) {
      std::fprintf(stderr, "Could not remove %s, left by an earlier test program\n",
                   Narrowed(folder).c_str());
    }
  }
  return static_cast<int>(leftovers.size());
}

bool RemoveTree(const std::wstring& path) {
  const std::wstring extended = Extended(path);
  const DWORD attributes = GetFileAttributesW(extended.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  ClearReadOnly(extended, attributes);
  RemoveBelow(extended);
  RemoveDirectoryW(extended.c_str());
  return GetFileAttributesW(extended.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool RemoveTree(const std::string& path) { return RemoveTree(Widened(path)); }

TempFolder::~TempFolder() {
  if (!RemoveTree(path_)) {
    std::fprintf(stderr, "The temporary folder %s could not be removed\n", path_.c_str());
  }
}

ChildProcess::~ChildProcess() {
  if (info_.hProcess != nullptr) {
    if (IsRunning()) {
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    if (info_.hThread != nullptr) CloseHandle(info_.hThread);
  }
}

bool ChildProcess::Adopt(DWORD processId) {
  info_.hProcess = OpenProcess(
      PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE,
      processId);
  info_.dwProcessId = processId;
  return info_.hProcess != nullptr;
}

namespace {

// The test script names the tests whose programs Wine refused to start once
// ($VORLANE_RETRY_LOG, a Unix path: Wine shows the Unix root as drive Z:).
void LogRetry(const std::string& what) {
  const ::testing::TestInfo* test =
      ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string line =
      (test ? std::string(test->test_suite_name()) + "." + test->name()
            : std::string("(outside a test)")) +
      ": " + what + "\n";
  std::fputs(line.c_str(), stderr);
  char log[MAX_PATH] = {};
  const DWORD length =
      GetEnvironmentVariableA("VORLANE_RETRY_LOG", log, std::size(log));
  if (length == 0 || length >= std::size(log)) return;
  std::string path(log);
  if (path.front() == '/') {
    std::replace(path.begin(), path.end(), '/', '\\');
    path = "Z:" + path;
  }
  std::ofstream(path, std::ios::app) << line;
}

}  // namespace

bool ChildProcess::Start(const std::string& program,
                         const std::string& commandLine,
                         const std::string& workingDirectory) {
  for (int attempt = 1;; ++attempt) {
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    if (CreateProcessA(program.empty() ? nullptr : program.c_str(),
                       mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingDirectory.empty() ? nullptr
                                                : workingDirectory.c_str(),
                       &startup, &info_)) {
      return true;
    }
    const DWORD error = GetLastError();
    // A program or folder that is not there is the test's own doing.
    if (attempt == 2 || error == ERROR_FILE_NOT_FOUND ||
        error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY) {
      SetLastError(error);
      return false;
    }
    LogRetry("CreateProcess(" + commandLine + ") failed with error " +
             std::to_string(error) + "; started again");
  }
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
std::uint64_t Ticks(const FILETIME& time) {
  return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

std::optional<std::uint64_t> CreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return std::nullopt;
  return Ticks(created);
}

// Nullopt once the process has ended and nobody holds it.
std::optional<std::uint64_t> CreationTime(DWORD processId) {
  const win32::UniqueKernelHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return std::nullopt;
  return CreationTime(process.get());
}
}  // namespace

std::optional<std::vector<DWORD>> ChildrenOf(HANDLE parent) {
  // Wine hands out the ids of ended processes again, so a process whose
  // parent ended long ago (the desktop's explorer.exe, started by the first
  // program of a run) can name the id that the parent has now. Only a
  // process created after the parent is its child.
  const std::optional<std::uint64_t> parentCreated = CreationTime(parent);
  const DWORD parentId = GetProcessId(parent);
  if (!parentCreated || parentId == 0) return std::nullopt;
  const win32::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  std::vector<DWORD> children;
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    if (entry.th32ParentProcessID != parentId) continue;
    const std::optional<std::uint64_t> created = CreationTime(entry.th32ProcessID);
    if (created && *created >= *parentCreated) children.push_back(entry.th32ProcessID);
  }
  return children;
}

int RunningChildren(DWORD processId) {
  const win32::UniqueKernelHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return -1;
  const std::optional<std::vector<DWORD>> children = ChildrenOf(process.get());
  return children ? static_cast<int>(children->size()) : -1;
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

void ParkCursor() {
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2,
               GetSystemMetrics(SM_CYSCREEN) / 2);
}

::testing::AssertionResult Launcher::Start(const TempFolder& folder,
                                          const std::string& arguments,
                                          const std::string& workingDirectory,
                                          bool bareName) {
  ParkCursor();
  exePath_ = folder.File("Vorlane.exe");
  const std::string program =
      program_.empty() ? BinDirectory() + "\\Vorlane.exe" : program_;
  if (!CopyFileA(program.c_str(), exePath_.c_str(), FALSE)) {
    return ::testing::AssertionFailure()
           << "copy to " << exePath_ << " failed: " << GetLastError();
  }
  std::string commandLine = bareName ? "Vorlane.exe" : "\"" + exePath_ + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  if (!process_.Start(exePath_, commandLine, workingDirectory)) {
    return ::testing::AssertionFailure()
           << "CreateProcess failed: " << GetLastError();
  }
  const auto patience = static_cast<DWORD>(patience_.count());
  WaitForInputIdle(process_.Handle(), patience);
  WaitUntil([&] {
    window_ = FindProcessWindow(process_.Id(), "Vorlane");
    return window_ != nullptr || !process_.IsRunning();
  }, patience_);
  if (window_ == nullptr) {
    return ::testing::AssertionFailure()
           << "no window; exit code " << process_.WaitForExit(
                                             std::chrono::milliseconds(0));
  }
  DWORD_PTR ignored = 0;
  if (SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, patience,
                          &ignored) == 0) {
    return ::testing::AssertionFailure() << "window does not answer";
  }
  // A window that answers may still be inside its call to the shell, which
  // serves incoming messages while it waits: the icon tells that start-up
  // is over.
  if (!WaitUntil([&] { return TrayIconExists(window_); }, patience_)) {
    return ::testing::AssertionFailure() << "no tray icon";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Launcher::StartWith(
    const TempFolder& folder, const std::string& settings,
    const std::string& workingDirectory) {
  WriteTextFile(folder.File("vorlane.ini"), settings);
  return Start(folder, "", workingDirectory);
}

DWORD Launcher::Close() {
  PostMessageA(window_, WM_CLOSE, 0, 0);
  return process_.WaitForExit(patience_);
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

// Wine warps the X pointer for every move, and the desktop's process then
// reports the pointer where the warp found it: a moment after a move the
// cursor is back where it was. The same move again finds it at its target,
// so that the stale report says the same.
void MoveMouseTo(POINT at,
                 const std::function<void(std::chrono::milliseconds)>& wait) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  // Mapped back as dx * width / 65536, so rounded up here.
  const LONG width = GetSystemMetrics(SM_CXSCREEN);
  const LONG height = GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = (at.x * 65536 + width - 1) / width;
  input.mi.dy = (at.y * 65536 + height - 1) / height;
  for (int i = 0; i < 2; ++i) {
    SendInput(1, &input, sizeof(input));
    if (wait) {
      wait(std::chrono::milliseconds(100));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
}

std::vector<ProbeStart> ReadProbeLog(const std::string& folder) {
  std::vector<ProbeStart> starts;
  std::istringstream lines(ReadTextFile(folder + "\\probe-log.txt"));
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::istringstream parts(line);
    std::string field;
    while (std::getline(parts, field, '\t')) fields.push_back(field);
    if (fields.size() < 5) continue;
    fields.resize(6);
    starts.push_back({fields[0], std::stoull(fields[1]), std::stoull(fields[2]),
                      std::stoi(fields[3]), fields[4], fields[5]});
  }
  return starts;
}

std::string Describe(const std::vector<ProbeStart>& starts) {
  std::string text = std::to_string(starts.size()) + " start(s)";
  for (const ProbeStart& start : starts) {
    text += "\n  " + start.program + " show " + std::to_string(start.show) +
            " in \"" + start.directory + "\" with \"" + start.arguments + "\"";
  }
  return text;
}

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Whether the program is one of this build's: in the test programs' folder
// or its twin of the other flavour (both suites share the prefix, and a
// configurator left by one keeps the other's from opening), or copied into
// a test's temporary folder.
bool IsTestedProgram(const std::string& path) {
  const std::string bin = Lower(BinDirectory());
  const std::string build = bin.substr(0, bin.rfind('\\', bin.rfind('\\') - 1) + 1);
  if (path.rfind(Lower(TempFolderPrefix()), 0) == 0) return true;
  if (path.rfind(build, 0) != 0) return false;
  const std::string rest = path.substr(build.size());  // flavour\bin\name
  const std::size_t first = rest.find('\\');
  return first != std::string::npos && rest.compare(first, 5, "\\bin\\") == 0 &&
         rest.find('\\', first + 5) == std::string::npos;
}

// Ends every configurator and launcher of this build that is running; a
// launcher's tray icon goes with it, which the shell would otherwise keep
// in front of the next launcher's. Nothing else is touched. Gives what it
// ended, or why it could not.
::testing::AssertionResult EndLeftoverPrograms(std::string& ended) {
  const win32::UniqueKernelHandle snapshot(
      CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) {
    return ::testing::AssertionFailure() << "no process snapshot: " << GetLastError();
  }
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    std::string name = Lower(entry.szExeFile);
    name = name.substr(name.rfind('\\') + 1);
    if (name != "config.exe" && name != "vorlane.exe") continue;
    const win32::UniqueKernelHandle process(OpenProcess(
        PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
        entry.th32ProcessID));
    char image[MAX_PATH] = {};
    DWORD size = std::size(image);
    if (!process || !QueryFullProcessImageNameA(process.get(), 0, image, &size)) {
      continue;
    }
    if (!IsTestedProgram(Lower(image))) continue;
    const HWND launcher = FindProcessWindow(entry.th32ProcessID, "Vorlane");
    TerminateProcess(process.get(), 99);
    if (WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0) {
      return ::testing::AssertionFailure() << "a leftover " << image << " does not end";
    }
    if (launcher != nullptr) RemoveTrayIcon(launcher);
    ended += std::string(" ") + image;
  }
  return ::testing::AssertionSuccess();
}

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr REGSAM kBothViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

// True when there was a value to delete.
bool DeleteValue(HKEY root, const char* key, const char* value, REGSAM view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE | view, &opened) != ERROR_SUCCESS) {
    return false;
  }
  const bool deleted = RegDeleteValueA(opened, value) == ERROR_SUCCESS;
  RegCloseKey(opened);
  return deleted;
}

// --- Protocol handlers, and the record of what a test changed -------------

std::string RecordKey(const std::string& scheme) {
  return std::string(kTestRecordKey) + "\\Protocols\\" + scheme;
}

std::string CommandKey(const std::string& scheme) {
  return scheme + "\\shell\\open\\command";
}

std::optional<std::string> ReadText(HKEY root, const std::string& key, const char* value) {
  char data[1024] = {};
  DWORD size = sizeof(data) - 1;
  if (RegGetValueA(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(data);
}

bool WriteText(HKEY root, const std::string& key, const char* value,
               const std::string& text) {
  return RegSetKeyValueA(root, key.c_str(), value, REG_SZ, text.c_str(),
                         static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

// Writes down whether the protocol and its command were there, and the
// command; a value "Command" that is missing means there was none.
bool RecordProtocol(const std::string& scheme) {
  HKEY protocol = nullptr;
  const DWORD hadProtocol =
      RegOpenKeyExA(HKEY_CLASSES_ROOT, scheme.c_str(), 0, KEY_READ, &protocol) ==
      ERROR_SUCCESS;
  if (protocol != nullptr) RegCloseKey(protocol);
  const std::string record = RecordKey(scheme);
  if (RegSetKeyValueA(HKEY_CURRENT_USER, record.c_str(), "HadProtocol", REG_DWORD,
                      &hadProtocol, sizeof(hadProtocol)) != ERROR_SUCCESS) {
    return false;
  }
  const std::optional<std::string> command =
      ReadText(HKEY_CLASSES_ROOT, CommandKey(scheme), nullptr);
  return !command || WriteText(HKEY_CURRENT_USER, record, "Command", *command);
}

// Puts back what the scheme's record says and deletes the record; false
// when there was none.
bool PutBackRecordedProtocol(const std::string& scheme) {
  const std::string record = RecordKey(scheme);
  DWORD hadProtocol = 0, size = sizeof(hadProtocol);
  if (RegGetValueA(HKEY_CURRENT_USER, record.c_str(), "HadProtocol", RRF_RT_REG_DWORD,
                   nullptr, &hadProtocol, &size) != ERROR_SUCCESS) {
    return false;
  }
  if (const std::optional<std::string> command =
          ReadText(HKEY_CURRENT_USER, record, "Command")) {
    WriteText(HKEY_CLASSES_ROOT, CommandKey(scheme), nullptr, *command);
  } else {
    RegDeleteKeyValueA(HKEY_CLASSES_ROOT, CommandKey(scheme).c_str(), nullptr);
  }
  if (!hadProtocol) RegDeleteTreeA(HKEY_CLASSES_ROOT, scheme.c_str());
  RegDeleteTreeA(HKEY_CURRENT_USER, record.c_str());
  // Each fails while another record is left.
  RegDeleteKeyA(HKEY_CURRENT_USER, RecordKey("").c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, kTestRecordKey);
  return true;
}

// Every protocol that a killed test left changed; gives their names.
std::string PutBackRecordedProtocols() {
  std::vector<std::string> schemes;
  HKEY records = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, RecordKey("").c_str(), 0, KEY_READ, &records) ==
      ERROR_SUCCESS) {
    char name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = std::size(name);
      if (RegEnumKeyExA(records, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      schemes.emplace_back(name);
    }
    RegCloseKey(records);
  }
  std::string names;
  for (const std::string& scheme : schemes) {
    if (PutBackRecordedProtocol(scheme)) names += " " + scheme + ":";
  }
  return names;
}


// --- File types: which class an extension names -------------------------

std::string TypeRecordKey(const std::string& extension) {
  return std::string(kTestRecordKey) + "\\FileTypes\\" + extension;
}

// Writes down whether the extension's key was there, and its class.
bool RecordFileType(const std::string& extension) {
  HKEY type = nullptr;
  const DWORD hadType =
      RegOpenKeyExA(HKEY_CLASSES_ROOT, extension.c_str(), 0, KEY_READ, &type) ==
      ERROR_SUCCESS;
  if (type != nullptr) RegCloseKey(type);
  const std::string record = TypeRecordKey(extension);
  if (RegSetKeyValueA(HKEY_CURRENT_USER, record.c_str(), "HadType", REG_DWORD,
                      &hadType, sizeof(hadType)) != ERROR_SUCCESS) {
    return false;
  }
  const std::optional<std::string> typeClass =
      ReadText(HKEY_CLASSES_ROOT, extension, nullptr);
  return !typeClass || WriteText(HKEY_CURRENT_USER, record, "Class", *typeClass);
}

bool PutBackRecordedFileType(const std::string& extension) {
  const std::string record = TypeRecordKey(extension);
  DWORD hadType = 0, size = sizeof(hadType);
  if (RegGetValueA(HKEY_CURRENT_USER, record.c_str(), "HadType", RRF_RT_REG_DWORD,
                   nullptr, &hadType, &size) != ERROR_SUCCESS) {
    return false;
  }
  if (const std::optional<std::string> typeClass =
          ReadText(HKEY_CURRENT_USER, record, "Class")) {
    WriteText(HKEY_CLASSES_ROOT, extension, nullptr, *typeClass);
  } else {
    RegDeleteKeyValueA(HKEY_CLASSES_ROOT, extension.c_str(), nullptr);
  }
  if (!hadType) RegDeleteTreeA(HKEY_CLASSES_ROOT, extension.c_str());
  RegDeleteTreeA(HKEY_CURRENT_USER, record.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, TypeRecordKey("").c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, kTestRecordKey);
  return true;
}

std::string PutBackRecordedFileTypes() {
  std::vector<std::string> extensions;
  HKEY records = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, TypeRecordKey("").c_str(), 0, KEY_READ,
                    &records) == ERROR_SUCCESS) {
    char name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = std::size(name);
      if (RegEnumKeyExA(records, i, name, &length, nullptr, nullptr, nullptr,
                        nullptr) != ERROR_SUCCESS) {
        break;
      }
      extensions.emplace_back(name);
    }
    RegCloseKey(records);
  }
  std::string names;
  for (const std::string& extension : extensions) {
    if (PutBackRecordedFileType(extension)) names += " " + extension;
  }
  return names;
}

}  // namespace

ProtocolProgram::ProtocolProgram(std::string scheme, const std::string& probe)
    : scheme_(std::move(scheme)) {
  PutBackRecordedProtocol(scheme_);
  ready_ = RecordProtocol(scheme_) &&
           WriteText(HKEY_CLASSES_ROOT, CommandKey(scheme_), nullptr,
                     "\"" + probe + "\" %1");
}

ProtocolProgram::~ProtocolProgram() { PutBackRecordedProtocol(scheme_); }

FileTypeProgram::FileTypeProgram(std::string extension, const std::string& probe)
    : extension_(std::move(extension)),
      class_(std::string(kTestClassPrefix) + extension_, probe) {
  PutBackRecordedFileType(extension_);
  ready_ = class_.Ready() && RecordFileType(extension_) &&
           WriteText(HKEY_CLASSES_ROOT, extension_, nullptr,
                     std::string(kTestClassPrefix) + extension_);
}

FileTypeProgram::~FileTypeProgram() { PutBackRecordedFileType(extension_); }

bool RemoveRunValues() {
  bool removed = false;
  for (REGSAM view : kBothViews) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      removed = DeleteValue(root, kRunKey, "Vorlane", view) || removed;
    }
  }
  return removed;
}

// The keys as unregistering deletes them, and the approval beside them, in
// the machine's part and in the user's.
bool RemoveExtensionRegistration() {
  bool removed = false;
  for (REGSAM view : kBothViews) {
    for (const std::string& key : shellext::UnregistrationKeys(shellext::kClassIdText)) {
      const std::string user = shellext::kClassesKey + key;
      removed = RegDeleteKeyExA(HKEY_CLASSES_ROOT, key.c_str(), view, 0) == ERROR_SUCCESS ||
                removed;
      removed = RegDeleteKeyExA(HKEY_CURRENT_USER, user.c_str(), view, 0) == ERROR_SUCCESS ||
                removed;
    }
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      removed = DeleteValue(root, shellext::kApprovedKey, shellext::kClassIdText, view) ||
                removed;
    }
  }
  return removed;
}

::testing::AssertionResult StartFromKnownState() {
  std::string ended;
  if (::testing::AssertionResult all = EndLeftoverPrograms(ended); !all) return all;
  // The types first: they name the classes that the protocols' records
  // remove.
  std::string putBack = PutBackRecordedFileTypes();
  putBack += PutBackRecordedProtocols();
  if (RemoveRunValues()) putBack += " the Run value;";
  if (RemoveExtensionRegistration()) putBack += " the extension's registration;";
  if (DWORD dpi = 0, size = sizeof(dpi);
      RegGetValueA(HKEY_CURRENT_USER, DisplayDpi::kDesktopKey, DisplayDpi::kLogPixels,
                   RRF_RT_REG_DWORD, nullptr, &dpi, &size) == ERROR_SUCCESS &&
      dpi != 96) {
    // The prefix holds no value of its own: Wine's default is 96.
    RegDeleteKeyValueA(HKEY_CURRENT_USER, DisplayDpi::kDesktopKey, DisplayDpi::kLogPixels);
    putBack += " the display's dpi;";
  }
  // A fresh prefix holds no modes: light apps on a dark taskbar.
  for (const char* mode : {"AppsUseLightTheme", "SystemUsesLightTheme"}) {
    if (RegDeleteKeyValueA(HKEY_CURRENT_USER, kPersonalizeKey, mode) == ERROR_SUCCESS) {
      putBack += std::string(" ") + mode + ";";
    }
  }
  if (!ended.empty() || !putBack.empty()) {
    std::fprintf(stderr, "Left by an earlier test: ended%s; removed or put back%s\n",
                 ended.empty() ? " nothing" : ended.c_str(),
                 putBack.empty() ? " nothing" : putBack.c_str());
  }
  return ::testing::AssertionSuccess();
}

std::wstring Widen(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
  wide.resize(wide.size() - 1);
  return wide;
}

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

}  // namespace vorlane::test
