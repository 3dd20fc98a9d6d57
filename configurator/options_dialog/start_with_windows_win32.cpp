#include "configurator/options_dialog/start_with_windows_win32.h"

#include <windows.h>

#include <optional>

#include "settings/run_command.h"
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

// The value's command, when there is one.
std::optional<std::string> RunValue(HKEY root) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, kRunKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const win32::UniqueKey key(opened);
  char command[1024] = {};
  DWORD size = sizeof(command) - 1;
  if (RegGetValueA(key.get(), nullptr, kRunValue, RRF_RT_REG_SZ, nullptr, command,
                   &size) != ERROR_SUCCESS) {
    // Too long for a path of this launcher, or no text: not this one's.
    return RegQueryValueExA(key.get(), kRunValue, nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS
               ? std::optional<std::string>("")
               : std::nullopt;
  }
  return std::string(command);
}

// Whether no value under the root starts this launcher any more. A value
// that starts another copy of it (a portable one, another installation)
// is that copy's, and stays.
bool DeleteRunValue(HKEY root, const std::string& launcherPath) {
  const std::optional<std::string> command = RunValue(root);
  if (!command || !settings::RunCommandStarts(*command, launcherPath)) return true;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, kRunKey, 0, KEY_READ | KEY_WRITE, &opened) == ERROR_SUCCESS) {
    const win32::UniqueKey key(opened);
    RegDeleteValueA(key.get(), kRunValue);
  }
  return !RunValue(root);
}

}  // namespace

bool SetStartWithWindows(bool on, const std::string& launcherPath, HKEY machine,
                         HKEY user) {
  if (!on) {
    const bool machineClear = DeleteRunValue(machine, launcherPath);
    const bool userClear = DeleteRunValue(user, launcherPath);
    return machineClear && userClear;
  }
  return WriteRunValue(machine, launcherPath) || WriteRunValue(user, launcherPath);
}

}  // namespace vorlane::configurator
