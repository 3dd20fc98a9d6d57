#include "settings_lock.h"

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

namespace {

// Sixteen lower-case hexadecimal digits, written by hand: a formatted print
// would bring the C library's whole formatter into every program.
std::string HashedName(std::string name, std::string_view fullPath) {
  constexpr char kHexDigits[] = "0123456789abcdef";
  const std::uint64_t hash = SettingsLockHash(fullPath);
  for (int shift = 60; shift >= 0; shift -= 4) {
    name += kHexDigits[(hash >> shift) & 0xf];
  }
  return name;
}

}  // namespace

std::string SettingsLockName(std::string_view fullPath) {
  return HashedName("Local\\VorlaneSettings-", fullPath);
}

std::string LauncherInstanceName(std::string_view fullPath) {
  return HashedName("Local\\VorlaneLauncher-", fullPath);
}

}  // namespace vorlane::settings
