#include "configurator/options_dialog/start_with_windows_win32.h"

#include <windows.h>

#include "win32/handles.h"

namespace vorlane::configurator {
namespace {

bool WriteRunValue(HKEY root, const std::string& launcherPath) {
  HKEY opened = nullptr;
  if (RegCreateKeyExA(root, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const win32::UniqueKey key(opened);
  return RegSetValueExA(key.get(), kRunValue, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(launcherPath.c_str()),
                        static_cast<DWORD>(launcherPath.size() + 1)) ==
         ERROR_SUCCESS;
}

void DeleteRunValue(HKEY root) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, kRunKey, 0, KEY_READ | KEY_WRITE, &opened) !=
      ERROR_SUCCESS) {
    return;
  }
  const win32::UniqueKey key(opened);
  RegDeleteValueA(key.get(), kRunValue);
}

}  // namespace

bool SetStartWithWindows(bool on, const std::string& launcherPath, HKEY machine,
                         HKEY user) {
  if (!on) {
    DeleteRunValue(machine);
    DeleteRunValue(user);
    return true;
  }
  return WriteRunValue(machine, launcherPath) || WriteRunValue(user, launcherPath);
}

}  // namespace vorlane::configurator
