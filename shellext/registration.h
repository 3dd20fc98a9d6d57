// What registering the extension writes and unregistering deletes, as plain
// rows, so that both directions walk one table, and where the rows go: the
// machine's classes, or the user's where the machine's are refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/extension_names.h"

namespace vorlane::shellext {

inline constexpr const char* kClassIdText = settings::kShellixClassId;
inline constexpr const char* kApprovedKey = settings::kShellExtensionsApprovedKey;
inline constexpr const char* kClassesKey = settings::kClassesKey;

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

// The key naming the class's library, under HKEY_CLASSES_ROOT.
std::string ServerKey(std::string_view classId);

// HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER.
enum class RegistryPart { Machine, User };
enum class RegistryAnswer { Done, Missing, Denied, Failed };

// The registry as registering needs it; keys are named under the part's
// root. Registering needs no more, and a test can refuse a part.
class RegistryAccess {
 public:
  virtual ~RegistryAccess() = default;
  // Creates the key where it is missing.
  virtual RegistryAnswer SetText(RegistryPart part, const std::string& key,
                                 const std::string& valueName,
                                 const std::string& data) = 0;
  // Only a key without subkeys goes.
  virtual RegistryAnswer DeleteKey(RegistryPart part, const std::string& key) = 0;
  virtual RegistryAnswer DeleteValue(RegistryPart part, const std::string& key,
                                     const std::string& valueName) = 0;
  // Looked at with read access alone, which every user has.
  virtual bool KeyExists(RegistryPart part, const std::string& key) = 0;
  virtual bool ValueExists(RegistryPart part, const std::string& key,
                           const std::string& valueName) = 0;
};

enum class RegisteredIn { Nowhere, Machine, User };

// Writes the rows into the machine's classes; where that is refused,
// into the user's instead, and nothing stays in the machine's. With
// `approve` the class is approved in the same part (the user's, should
// the machine's approval alone be refused). Nothing of a registration
// that failed stays behind.
RegisteredIn Register(RegistryAccess& registry, std::string_view classId,
                      std::string_view modulePath, bool approve);

// Removes the registration from both parts; true when nothing of it is
// left, whichever part held it. What is not there counts as removed, and a
// part is opened for a change only where it holds something: a user
// without administrator rights may read the machine's part but not open it
// for writing, and must not fail to remove what is only theirs.
bool Unregister(RegistryAccess& registry, std::string_view classId);

}  // namespace vorlane::shellext
