#include "configurator/options_dialog/start_with_windows_win32.h"

#include <windows.h>

#include "win32/handles.h"

namespace vorlane::configurator {
namespace {

// In quotes: Windows reads an unquoted path with a blank as a program
// followed by arguments, and may start C:\Program.exe instead.
bool WriteRunValue(HKEY root, const std::string& launcherPath) {
  const std::string command = "\"" + launcherPath + "\"";
  HKEY opened = nullptr;
  if (RegCreateKeyExA(root, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const win32::UniqueKey key(opened);
  return RegSetValueExA(key.get(), kRunValue, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(command.c_str()),
                        static_cast<DWORD>(command.size() + 1)) ==
         ERROR_SUCCESS;
}

bool HasRunValue(HKEY root) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, kRunKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return false;
  }
  const win32::UniqueKey key(opened);
  return RegQueryValueExA(key.get(), kRunValue, nullptr, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

// Whether no value is left under the root.
bool DeleteRunValue(HKEY root) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, kRunKey, 0, KEY_READ | KEY_WRITE, &opened) == ERROR_SUCCESS) {
    const win32::UniqueKey key(opened);
    RegDeleteValueA(key.get(), kRunValue);
  }
  return !HasRunValue(root);
}

}  // namespace

bool SetStartWithWindows(bool on, const std::string& launcherPath, HKEY machine,
                         HKEY user) {
  if (!on) {
    const bool machineClear = DeleteRunValue(machine);
    const bool userClear = DeleteRunValue(user);
    return machineClear && userClear;
  }
  return WriteRunValue(machine, launcherPath) || WriteRunValue(user, launcherPath);
}

}  // namespace vorlane::configurator
