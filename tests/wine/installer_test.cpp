// The setup program and its uninstaller run silently, as a deployment runs
// them, in the test prefix: what they put where, what they start and end,
// and what they leave behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "resources/version.h"
#include "shellext/registration.h"
#include "test_support.h"
#include "win32/com_ptr.h"

namespace vorlane::test {
namespace {

constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorlane";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kLeftoversValue[] = "Vorlane leftovers";
constexpr char kSessionManagerKey[] =
    "System\\CurrentControlSet\\Control\\Session Manager";
constexpr char kPendingRemovals[] = "PendingFileRenameOperations";
constexpr char kMarker[] = "InstallerTestMarker";
// Each run of the setup program or the uninstaller: a loaded host starts
// a 32-bit program in a 64-bit prefix slowly.
constexpr auto kRunTimeout = std::chrono::seconds(90);
// This 64-bit test reads and writes where 64-bit programs do, which the
// 32-bit uninstaller must find.
constexpr REGSAM kNativeView = KEY_WOW64_64KEY;

std::string SetupPath() {
  std::string path = BinDirectory() + "\\" VORLANE_PACKAGES_FROM_BIN
                     "\\Vorlane-" VORLANE_VERSION_TEXT "-setup.exe";
  std::replace(path.begin(), path.end(), '/', '\\');
  char full[MAX_PATH] = {};
  GetFullPathNameA(path.c_str(), std::size(full), full, nullptr);
  return full;
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::string InstallFolder() {
  return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Vorlane";
}

std::string ShortcutPath() { return ShellFolder(CSIDL_PROGRAMS) + "\\Vorlane.lnk"; }

std::optional<std::string> ReadValue(HKEY root, const char* key, const char* value) {
  char data[1024] = {};
  DWORD size = sizeof(data) - 1;
  if (RegGetValueA(root, key, value, RRF_RT_REG_SZ, nullptr,
                   data, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(data);
}

std::string Shown(const std::optional<std::string>& value) {
  return value ? *value : "<none>";
}

bool KeyExists(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | kNativeView, &opened) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(opened);
  return true;
}

bool WriteValue(HKEY root, const char* key, const char* value, const std::string& data) {
  HKEY opened = nullptr;
  if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE | kNativeView, nullptr,
                      &opened, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const win32::UniqueKey owned(opened);
  return RegSetValueExA(opened, value, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

std::string ShortcutTarget(const std::string& shortcut) {
  std::string target = "<unreadable>";
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return "<no COM>";
  {
    win32::ComPtr<IShellLinkA> link;
    win32::ComPtr<IPersistFile> file;
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, wide, MAX_PATH);
    char path[MAX_PATH] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IShellLinkA,
                                   reinterpret_cast<void**>(link.put()))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile,
                                       reinterpret_cast<void**>(file.put()))) &&
        SUCCEEDED(file->Load(wide, STGM_READ)) &&
        SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0))) {
      target = path;
    }
  }
  CoUninitialize();
  return target;
}

// The machine a PE file was built for, from its file header; 0 when the
// file is no PE file.
WORD MachineOf(const std::string& path) {
  const std::string image = ReadTextFile(path);
  if (image.size() < 0x40) return 0;
  DWORD header = 0;
  image.copy(reinterpret_cast<char*>(&header), sizeof(header), 0x3c);
  if (image.size() < header + 6 || image.compare(header, 4, std::string("PE\0\0", 4)) != 0) {
    return 0;
  }
  WORD machine = 0;
  image.copy(reinterpret_cast<char*>(&machine), sizeof(machine), header + 4);
  return machine;
}

std::string ImageOf(HANDLE process) {
  char image[MAX_PATH] = {};
  DWORD size = std::size(image);
  if (!QueryFullProcessImageNameA(process, 0, image, &size)) return "<unknown>";
  return image;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string InstalledLauncher() { return InstallFolder() + "\\Vorlane.exe"; }
std::string InstalledConfigurator() { return InstallFolder() + "\\config.exe"; }

// The processes whose program is the given file.
std::vector<DWORD> ProcessesOf(const std::string& program) {
  std::vector<DWORD> found;
  const win32::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    const win32::UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (process && Lower(ImageOf(process.get())) == Lower(program)) {
      found.push_back(entry.th32ProcessID);
    }
  }
  return found;
}

// The launcher window of this installation; a portable copy's may be there
// as well.
HWND InstalledLauncherWindow() {
  for (DWORD id : ProcessesOf(InstalledLauncher())) {
    if (HWND window = FindProcessWindow(id, "Vorlane")) return window;
  }
  return nullptr;
}

// Takes over the launcher that the setup program started.
::testing::AssertionResult AdoptStartedLauncher(ChildProcess& launcher) {
  HWND window = nullptr;
  if (!WaitUntil([&] { return (window = InstalledLauncherWindow()) != nullptr; })) {
    return ::testing::AssertionFailure() << "no launcher window of the installation";
  }
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  if (!launcher.Adopt(id)) {
    return ::testing::AssertionFailure() << "cannot open the launcher's process " << id;
  }
  // Its tray icon comes after it settled its settings file.
  if (!WaitUntil([&] { return TrayIconExists(window); })) {
    return ::testing::AssertionFailure() << "no tray icon";
  }
  return ::testing::AssertionSuccess();
}

// The setup program run to its end with the arguments given; its exit code.
DWORD RunSetup(const std::string& arguments = "/S") {
  ChildProcess setup;
  if (!setup.Start(SetupPath(), "\"" + SetupPath() + "\" " + arguments)) return GetLastError();
  return setup.WaitForExit(kRunTimeout);
}

// The uninstaller copies itself into the temporary folder, starts the copy
// and ends: the copy does the work, and its exit code is the one that
// counts.
DWORD RunUninstaller() {
  const std::string program = InstallFolder() + "\\uninstall.exe";
  ChildProcess original;
  if (!original.Start(program, "\"" + program + "\" /S")) return GetLastError();
  DWORD code = original.WaitForExit(kRunTimeout);
  if (code != 0) return code;
  std::vector<std::unique_ptr<ChildProcess>> copies;
  for (DWORD id : ChildrenOf(original.Handle()).value_or(std::vector<DWORD>{})) {
    auto copy = std::make_unique<ChildProcess>();
    if (copy->Adopt(id)) copies.push_back(std::move(copy));
  }
  for (auto& copy : copies) code = std::max(code, copy->WaitForExit(kRunTimeout));
  return code;
}

// The configurator of the installation, showing its options as the
// launcher's menu opens them.
::testing::AssertionResult StartInstalledOptions(ChildProcess& config) {
  const std::string program = InstalledConfigurator();
  if (!config.Start(program, "\"" + program + "\" 2 " + InstallFolder() + "\\vorlane.ini")) {
    return ::testing::AssertionFailure() << "CreateProcess failed: " << GetLastError();
  }
  return Eventually([&] { return FindWindowA("#32770", "Vorlane options") != nullptr; },
                    "the options dialog opens");
}

void EndInstalledPrograms() {
  for (const std::string& program : {InstalledLauncher(), InstalledConfigurator()}) {
    for (DWORD id : ProcessesOf(program)) {
      const HWND launcher = FindProcessWindow(id, "Vorlane");
      const win32::UniqueKernelHandle process(
          OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
      if (!process) continue;
      TerminateProcess(process.get(), 99);
      WaitForSingleObject(process.get(), 5000);
      if (launcher != nullptr) RemoveTrayIcon(launcher);
    }
  }
}

// --- Removal at a restart or at the next log-on ----------------------------

std::optional<std::vector<char>> ReadRawValue(HKEY root, const char* key, const char* value,
                                              DWORD& type) {
  DWORD size = 0;
  if (RegGetValueA(root, key, value, RRF_RT_ANY, &type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<char> data(size);
  if (RegGetValueA(root, key, value, RRF_RT_ANY, &type, data.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(size);
  return data;
}

// What the restart will delete: the sources of the pending operations whose
// target is empty, without the "\??\" in front.
std::vector<std::string> PendingDeletions() {
  std::vector<std::string> deletions;
  DWORD type = 0;
  const auto data =
      ReadRawValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRemovals, type);
  if (!data || type != REG_MULTI_SZ) return deletions;
  std::vector<std::string> strings;
  for (std::size_t at = 0; at < data->size();) {
    const std::string text(data->data() + at);
    strings.push_back(text);
    at += text.size() + 1;
  }
  for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (!strings[i + 1].empty()) continue;
    std::string source = strings[i];
    if (source.rfind("\\??\\", 0) == 0) source.erase(0, 4);
    deletions.push_back(source);
  }
  return deletions;
}

// Keeps the pending operations of the prefix as they were before the test.
class PendingOperationsKept {
 public:
  PendingOperationsKept()
      : before_(ReadRawValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRemovals,
                             type_)) {}
  ~PendingOperationsKept() {
    if (!before_) {
      RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRemovals);
      return;
    }
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRemovals, type_,
                    before_->data(), static_cast<DWORD>(before_->size()));
  }
  PendingOperationsKept(const PendingOperationsKept&) = delete;
  PendingOperationsKept& operator=(const PendingOperationsKept&) = delete;

 private:
  DWORD type_ = 0;
  std::optional<std::vector<char>> before_;
};

// A standard user may not schedule a deletion at the restart, which writes
// under the machine's Session Manager key. Wine runs everything with an
// administrator's token but honours a key's access list, so an entry
// refusing writes to everybody plays the standard user.
constexpr char kRefuseWrites[] = "(D;;KW;;;WD)";

bool SetSessionManagerAccess(bool refuseWrites) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, READ_CONTROL | WRITE_DAC,
                    &opened) != ERROR_SUCCESS) {
    return false;
  }
  const win32::UniqueKey key(opened);
  DWORD size = 0;
  RegGetKeySecurity(opened, DACL_SECURITY_INFORMATION, nullptr, &size);
  std::vector<char> descriptor(size);
  char* text = nullptr;
  if (RegGetKeySecurity(opened, DACL_SECURITY_INFORMATION, descriptor.data(), &size) !=
          ERROR_SUCCESS ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorA(
          descriptor.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return false;
  }
  const std::string before = text;
  LocalFree(text);
  std::string access = before;
  for (std::size_t at; (at = access.find(kRefuseWrites)) != std::string::npos;) {
    access.erase(at, std::size(kRefuseWrites) - 1);
  }
  const std::size_t firstEntry = access.find('(');
  if (refuseWrites && firstEntry != std::string::npos) access.insert(firstEntry, kRefuseWrites);
  if (access == before) return true;
  PSECURITY_DESCRIPTOR changed = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(access.c_str(), SDDL_REVISION_1,
                                                            &changed, nullptr)) {
    return false;
  }
  const bool set =
      RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, changed) == ERROR_SUCCESS;
  LocalFree(changed);
  return set;
}

// The names in the folder.
std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  const win32::UniqueFind search(FindFirstFileA((folder + "\\*").c_str(), &found));
  if (!search) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search.get(), &found));
  return names;
}

// --- Looks -----------------------------------------------------------------

// The program's first icon at the size the shell shows programs, over
// magenta, one 0x00RRGGBB per pixel; empty when it has none.
std::vector<std::uint32_t> IconPixels(const std::string& program) {
  constexpr int kSize = 32;
  HICON large = nullptr;
  if (ExtractIconExA(program.c_str(), 0, &large, nullptr, 1) == 0 || large == nullptr) {
    return {};
  }
  const win32::UniqueIcon icon(large);
  return IconDrawnOver(icon.get(), kSize, 0xFF00FF);
}

// Whatever the tests left when they failed half-way: the installation, its
// entry, its shortcut and its registrations, and what waits for the
// restart or the log-on to remove it.
void RemoveInstallation() {
  if (FileExists(InstallFolder() + "\\uninstall.exe")) RunUninstaller();
  EndInstalledPrograms();
  RemoveTree(InstallFolder());
  DeleteFileA(ShortcutPath().c_str());
  RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunOnceKey, kLeftoversValue);
  RemoveRunValues();
  RemoveExtensionRegistration();
  SetSessionManagerAccess(false);
}

// Wine's menu builder copies every Start-menu shortcut made in the prefix
// into the host's own menus, which would outlive the test. Its override
// is read from the registry by every process of the prefix (a changed
// WINEDLLOVERRIDES does not reach the programs a Wine process starts).
constexpr char kWineOverridesKey[] = "Software\\Wine\\DllOverrides";
constexpr char kMenuBuilder[] = "winemenubuilder.exe";

bool RunsUnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Turns the builder off for the prefix while it lives.
class MenuBuilderOff {
 public:
  MenuBuilderOff() : wine_(RunsUnderWine()) {
    if (!wine_) return;
    before_ = ReadValue(HKEY_CURRENT_USER, kWineOverridesKey, kMenuBuilder);
    WriteValue(HKEY_CURRENT_USER, kWineOverridesKey, kMenuBuilder, "");
  }
  ~MenuBuilderOff() {
    if (!wine_) return;
    if (before_) {
      WriteValue(HKEY_CURRENT_USER, kWineOverridesKey, kMenuBuilder, *before_);
    } else {
      RegDeleteKeyValueA(HKEY_CURRENT_USER, kWineOverridesKey, kMenuBuilder);
    }
  }
  MenuBuilderOff(const MenuBuilderOff&) = delete;
  MenuBuilderOff& operator=(const MenuBuilderOff&) = delete;

 private:
  bool wine_;
  std::optional<std::string> before_;
};

class Installer : public EndToEndTest {
 protected:
  void SetUp() override {
    // The installer carries both sets in one 32-bit program, as users get
    // it; a host that cannot run 32-bit programs cannot start it.
    const char* runs32 = std::getenv("VORLANE_RUNS_32BIT");
    if (runs32 != nullptr && std::string(runs32) == "0") {
      GTEST_SKIP() << "this host cannot run the 32-bit installer";
    }
    ASSERT_TRUE(FileExists(SetupPath()))
        << SetupPath() << " is missing: run scripts/package.sh";
    EndToEndTest::SetUp();
    RemoveInstallation();
  }
  void TearDown() override { RemoveInstallation(); }

 private:
  const MenuBuilderOff menuBuilderOff_;
};

TEST_F(Installer, InstallsUpdatesAndUninstallsForTheUser) {
  const std::string folder = InstallFolder();
  const std::string launcherPath = InstalledLauncher();
  const std::string settings = folder + "\\vorlane.ini";
  const char* const programs[] = {"Vorlane.exe", "config.exe", "Shellix.dll"};
  const char* const documents[] = {"Vorlane.html", "LICENSE.txt", "README.txt"};

  // A deployment's silent run starts nothing it was not asked to: the
  // program was started, if at all, before the setup program ended.
  ASSERT_EQ(RunSetup("/S"), 0u);
  EXPECT_TRUE(ProcessesOf(launcherPath).empty()) << "/S alone started the launcher";
  for (const char* name : programs) {
    // 64-bit Explorer loads only a 64-bit extension; this system is 64-bit.
    EXPECT_EQ(MachineOf(folder + "\\" + name), IMAGE_FILE_MACHINE_AMD64) << name;
  }
  for (const char* name : documents) EXPECT_TRUE(FileExists(folder + "\\" + name)) << name;
  EXPECT_EQ(Lower(ShortcutTarget(ShortcutPath())), Lower(launcherPath));
  EXPECT_EQ(Shown(ReadValue(HKEY_CURRENT_USER, kRunKey, "Vorlane")),
            "\"" + launcherPath + "\"");
  EXPECT_EQ(Shown(ReadValue(HKEY_CURRENT_USER, kUninstallKey, "UninstallString")),
            "\"" + folder + "\\uninstall.exe\"");
  EXPECT_EQ(Shown(ReadValue(HKEY_CURRENT_USER, kUninstallKey, "DisplayVersion")),
            VORLANE_VERSION_TEXT);
  const std::vector<std::uint32_t> launcherIcon = IconPixels(launcherPath);
  EXPECT_FALSE(launcherIcon.empty());
  EXPECT_TRUE(IconPixels(folder + "\\uninstall.exe") == launcherIcon)
      << "the uninstaller does not show the launcher's icon";

  ASSERT_EQ(RunSetup("/S /START"), 0u);
  ChildProcess first;
  ASSERT_TRUE(AdoptStartedLauncher(first));
  EXPECT_EQ(Lower(ImageOf(first.Handle())), Lower(launcherPath));
  ASSERT_TRUE(Eventually([&] { return FileExists(settings); }, "the launcher writes its defaults"));
  ASSERT_TRUE(WritePrivateProfileStringA("Settings", kMarker, "kept", settings.c_str()));

  // Over the running launcher: it is asked to end, its settings stay, and
  // the log-on choice now has a file to be written into.
  ASSERT_EQ(RunSetup("/S /START"), 0u);
  EXPECT_EQ(first.WaitForExit(std::chrono::seconds(0)), 0u)
      << "the launcher was not closed as its own Exit closes it";
  char marker[16] = {};
  GetPrivateProfileStringA("Settings", kMarker, "", marker, std::size(marker),
                           settings.c_str());
  EXPECT_STREQ(marker, "kept");
  EXPECT_EQ(GetPrivateProfileIntA("Settings", "Startwithwindows", -1, settings.c_str()), 1);
  ChildProcess second;
  ASSERT_TRUE(AdoptStartedLauncher(second));
  EXPECT_NE(second.Id(), first.Id());

  // What the user may have added since: the extension registered, and the
  // configurator's Run value on the machine's key.
  ChildProcess regsvr32;
  const std::string extension = folder + "\\Shellix.dll";
  ASSERT_TRUE(regsvr32.Start(WindowsDirectory() + "\\System32\\regsvr32.exe",
                             "regsvr32.exe /s \"" + extension + "\""));
  ASSERT_EQ(regsvr32.WaitForExit(), 0u);
  const std::string classKey = std::string("CLSID\\") + shellext::kClassIdText;
  ASSERT_TRUE(KeyExists(HKEY_CLASSES_ROOT, classKey));
  ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kRunKey, "Vorlane", launcherPath));

  ASSERT_EQ(RunUninstaller(), 0u);
  EXPECT_EQ(second.WaitForExit(std::chrono::seconds(0)), 0u);
  for (const char* name : programs) EXPECT_FALSE(FileExists(folder + "\\" + name)) << name;
  for (const char* name : documents) EXPECT_FALSE(FileExists(folder + "\\" + name)) << name;
  EXPECT_FALSE(FileExists(folder + "\\uninstall.exe"));
  EXPECT_FALSE(FileExists(ShortcutPath()));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
  EXPECT_EQ(Shown(ReadValue(HKEY_CURRENT_USER, kRunKey, "Vorlane")), "<none>");
  EXPECT_EQ(Shown(ReadValue(HKEY_LOCAL_MACHINE, kRunKey, "Vorlane")), "<none>");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey));
  // Silently the settings are kept, and with them the folder.
  GetPrivateProfileStringA("Settings", kMarker, "", marker, std::size(marker),
                           settings.c_str());
  EXPECT_STREQ(marker, "kept");
}

TEST_F(Installer, UpdateAndRemovalEndOnlyThisInstallationsPrograms) {
  TempFolder elsewhere;
  Launcher portable;
  ASSERT_TRUE(portable.Start(elsewhere));

  ASSERT_EQ(RunSetup("/S /START"), 0u);
  ChildProcess launcher;
  ASSERT_TRUE(AdoptStartedLauncher(launcher));
  ASSERT_TRUE(Eventually([] { return FileExists(InstallFolder() + "\\vorlane.ini"); },
                         "the launcher writes its defaults"));
  ChildProcess config;
  ASSERT_TRUE(StartInstalledOptions(config));

  // Every program of the folder is replaced, so both have to go first.
  EXPECT_EQ(RunSetup("/S"), 0u);
  EXPECT_EQ(launcher.WaitForExit(std::chrono::seconds(0)), 0u);
  EXPECT_NE(config.WaitForExit(std::chrono::seconds(0)), STILL_ACTIVE);
  EXPECT_TRUE(portable.Process().IsRunning()) << "the update ended a portable copy";

  ChildProcess restarted;
  ASSERT_TRUE(restarted.Start(InstalledLauncher(), "\"" + InstalledLauncher() + "\""));
  ASSERT_TRUE(Eventually([] { return InstalledLauncherWindow() != nullptr; },
                         "the installed launcher starts again"));
  ChildProcess configAgain;
  ASSERT_TRUE(StartInstalledOptions(configAgain));
  EXPECT_EQ(RunUninstaller(), 0u);
  EXPECT_EQ(restarted.WaitForExit(std::chrono::seconds(0)), 0u);
  EXPECT_NE(configAgain.WaitForExit(std::chrono::seconds(0)), STILL_ACTIVE);
  EXPECT_FALSE(FileExists(InstalledConfigurator()));
  EXPECT_TRUE(portable.Process().IsRunning()) << "the removal ended a portable copy";
  EXPECT_EQ(portable.Close(), 0u);
}

TEST_F(Installer, AnUpdateKeepsTheLogOnChoice) {
  const std::string launcherPath = InstalledLauncher();
  ASSERT_EQ(RunSetup(), 0u);
  ASSERT_EQ(Shown(ReadValue(HKEY_CURRENT_USER, kRunKey, "Vorlane")),
            "\"" + launcherPath + "\"");

  // Turned off in the options, which remove the value wherever it is.
  RemoveRunValues();
  ASSERT_EQ(RunSetup(), 0u);
  EXPECT_EQ(Shown(ReadValue(HKEY_CURRENT_USER, kRunKey, "Vorlane")), "<none>");
  EXPECT_EQ(Shown(ReadValue(HKEY_LOCAL_MACHINE, kRunKey, "Vorlane")), "<none>");

  // Turned on again: the configurator writes the machine's value where it
  // may, and an older one wrote the path bare. It stays the only one.
  const std::string bare = Lower(launcherPath);
  ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kRunKey, "Vorlane", bare));
  ASSERT_EQ(RunSetup(), 0u);
  EXPECT_EQ(Shown(ReadValue(HKEY_LOCAL_MACHINE, kRunKey, "Vorlane")), bare);
  EXPECT_EQ(Shown(ReadValue(HKEY_CURRENT_USER, kRunKey, "Vorlane")), "<none>");
}

TEST_F(Installer, RemovalKeepsAnotherCopysLogOnStart) {
  ASSERT_EQ(RunSetup(), 0u);
  const std::string other = "\"C:\\Tools\\Vorlane\\Vorlane.exe\"";
  ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kRunKey, "Vorlane", other));
  ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kRunKey, "Vorlane",
                         "\"" + Lower(InstalledLauncher()) + "\" D:\\my.ini"));

  ASSERT_EQ(RunUninstaller(), 0u);
  EXPECT_EQ(Shown(ReadValue(HKEY_CURRENT_USER, kRunKey, "Vorlane")), other);
  EXPECT_EQ(Shown(ReadValue(HKEY_LOCAL_MACHINE, kRunKey, "Vorlane")), "<none>");
}

// Explorer keeps the extension loaded for minutes after a right-click; the
// test holds it as Explorer does. The removal completes the next time, and
// the entry in Settings > Apps goes at once either way.
class HeldExtension : public Installer {
 protected:
  // Installs, holds the extension and uninstalls; the folder is then left
  // holding only what waits.
  void RemoveWhileHeld() {
    ASSERT_EQ(RunSetup(), 0u);
    held_.reset(LoadLibraryA((InstallFolder() + "\\Shellix.dll").c_str()));
    ASSERT_TRUE(held_) << GetLastError();
    ASSERT_EQ(RunUninstaller(), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(FileExists(InstallFolder() + "\\Vorlane.exe"));
    leftovers_ = FolderEntries(InstallFolder());
    ASSERT_EQ(leftovers_.size(), 1u) << ::testing::PrintToString(leftovers_);
    // A new installation before then keeps its own extension.
    EXPECT_NE(Lower(leftovers_[0]), "shellix.dll");
  }
  void TearDown() override {
    held_.reset();
    Installer::TearDown();
  }

  const PendingOperationsKept pendingKept_;
  win32::UniqueModule held_;
  std::vector<std::string> leftovers_;
};

TEST_F(HeldExtension, RemovalFinishesAtTheRestart) {
  RemoveWhileHeld();
  if (HasFatalFailure()) return;
  std::vector<std::string> pending = PendingDeletions();
  for (std::string& path : pending) path = Lower(path);
  const auto file = std::find(pending.begin(), pending.end(),
                              Lower(InstallFolder() + "\\" + leftovers_[0]));
  const auto folder = std::find(pending.begin(), pending.end(), Lower(InstallFolder()));
  // The file first: a folder goes at the restart only when it is empty.
  EXPECT_TRUE(file < folder && folder != pending.end()) << ::testing::PrintToString(pending);
  EXPECT_EQ(Shown(ReadValue(HKEY_CURRENT_USER, kRunOnceKey, kLeftoversValue)), "<none>");
}

TEST_F(HeldExtension, AStandardUsersRemovalFinishesAtTheNextLogOn) {
  ASSERT_TRUE(SetSessionManagerAccess(true));
  const std::size_t pendingBefore = PendingDeletions().size();
  RemoveWhileHeld();
  if (HasFatalFailure()) return;
  EXPECT_EQ(PendingDeletions().size(), pendingBefore);
  const std::optional<std::string> command =
      ReadValue(HKEY_CURRENT_USER, kRunOnceKey, kLeftoversValue);
  ASSERT_TRUE(command.has_value());

  // The log-on runs the command once Explorer has let go.
  held_.reset();
  ChildProcess logOn;
  ASSERT_TRUE(logOn.Start("", *command));
  EXPECT_EQ(logOn.WaitForExit(), 0u) << *command;
  EXPECT_FALSE(FileExists(InstallFolder())) << *command;
}

TEST(SetupProgram, ShowsVorlanesIconAndScalesSharply) {
  ASSERT_TRUE(FileExists(SetupPath())) << SetupPath() << " is missing: run scripts/package.sh";
  const std::vector<std::uint32_t> launcherIcon = IconPixels(BinDirectory() + "\\Vorlane.exe");
  ASSERT_FALSE(launcherIcon.empty());
  EXPECT_TRUE(IconPixels(SetupPath()) == launcherIcon)
      << "the setup program does not show the launcher's icon";
  const std::string manifest = ManifestOf(SetupPath());
  EXPECT_NE(manifest.find("true</dpiAware>"), std::string::npos) << manifest;
}

}  // namespace
}  // namespace vorlane::test
