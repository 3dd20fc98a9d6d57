#include "settings_lock.h"

#include <cstdio>

namespace vorlane::settings {

std::uint64_t SettingsLockHash(std::string_view fullPath) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : fullPath) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 'a' && byte <= 'z') byte = static_cast<unsigned char>(byte - 'a' + 'A');
    hash ^= byte;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string SettingsLockName(std::string_view fullPath) {
  char digits[17] = {};
  std::snprintf(digits, sizeof(digits), "%016llx",
                static_cast<unsigned long long>(SettingsLockHash(fullPath)));
  return std::string("Local\\VorlaneSettings-") + digits;
}

}  // namespace vorlane::settings
