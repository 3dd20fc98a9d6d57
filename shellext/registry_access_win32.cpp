#include "shellext/registry_access_win32.h"

#include <windows.h>

#include "win32/handles.h"

namespace vorlane::shellext {
namespace {

HKEY Root(RegistryPart part) {
  return part == RegistryPart::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

RegistryAnswer AnswerFor(LONG result) {
  switch (result) {
    case ERROR_SUCCESS: return RegistryAnswer::Done;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return RegistryAnswer::Missing;
    case ERROR_ACCESS_DENIED: return RegistryAnswer::Denied;
    default: return RegistryAnswer::Failed;
  }
}

const char* ValueName(const std::string& name) {
  return name.empty() ? nullptr : name.c_str();
}

}  // namespace

RegistryAnswer SystemRegistry::SetText(RegistryPart part, const std::string& key,
                                       const std::string& valueName,
                                       const std::string& data) {
  HKEY created = nullptr;
  const LONG opened = RegCreateKeyExA(Root(part), key.c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                      nullptr, &created, nullptr);
  if (opened != ERROR_SUCCESS) return AnswerFor(opened);
  const win32::UniqueKey owned(created);
  return AnswerFor(RegSetValueExA(owned.get(), ValueName(valueName), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(data.c_str()),
                                  static_cast<DWORD>(data.size() + 1)));
}

RegistryAnswer SystemRegistry::DeleteKey(RegistryPart part, const std::string& key) {
  return AnswerFor(RegDeleteKeyA(Root(part), key.c_str()));
}

RegistryAnswer SystemRegistry::DeleteValue(RegistryPart part, const std::string& key,
                                           const std::string& valueName) {
  HKEY opened = nullptr;
  const LONG result =
      RegOpenKeyExA(Root(part), key.c_str(), 0, KEY_SET_VALUE, &opened);
  if (result != ERROR_SUCCESS) return AnswerFor(result);
  const win32::UniqueKey owned(opened);
  return AnswerFor(RegDeleteValueA(owned.get(), ValueName(valueName)));
}


bool SystemRegistry::KeyExists(RegistryPart part, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(Root(part), key.c_str(), 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS) {
    return false;
  }
  const win32::UniqueKey owned(opened);
  return true;
}

bool SystemRegistry::ValueExists(RegistryPart part, const std::string& key,
                                 const std::string& valueName) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(Root(part), key.c_str(), 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS) {
    return false;
  }
  const win32::UniqueKey owned(opened);
  return RegQueryValueExA(owned.get(), ValueName(valueName), nullptr, nullptr,
                          nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace vorlane::shellext
