// What registering the extension writes and unregistering deletes, as plain
// rows, so that both directions walk one table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorlane::shellext {

inline constexpr char kClassIdText[] = "{8D775404-DD7B-11D3-BC49-906B51C10000}";
inline constexpr char kApprovedKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

struct RegistryRow {
  std::string key;        // under HKEY_CLASSES_ROOT
  std::string valueName;  // empty: the key's default value
  std::string data;
};

// The class, its server and both handler keys, in the order they are written.
std::vector<RegistryRow> RegistrationRows(std::string_view classId,
                                          std::string_view modulePath);

// The keys unregistering deletes, each subkey before its parent.
std::vector<std::string> UnregistrationKeys(std::string_view classId);

}  // namespace vorlane::shellext
