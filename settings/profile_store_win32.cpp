#include "profile_store_win32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vorlane::settings {

std::string ProfileStore::ReadString(std::string_view section,
                                     std::string_view key,
                                     std::string_view fallback,
                                     std::size_t limit) {
  std::vector<char> buffer(limit + 1, '\0');
  const DWORD copied = GetPrivateProfileStringA(
      std::string(section).c_str(), std::string(key).c_str(),
      std::string(fallback).c_str(), buffer.data(),
      static_cast<DWORD>(buffer.size()), path_.c_str());
  return std::string(buffer.data(), std::min<std::size_t>(copied, limit));
}

int ProfileStore::ReadInt(std::string_view section, std::string_view key,
                          int fallback) {
  return static_cast<int>(GetPrivateProfileIntA(std::string(section).c_str(),
                                                std::string(key).c_str(),
                                                fallback, path_.c_str()));
}

void ProfileStore::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
  WritePrivateProfileStringA(std::string(section).c_str(),
                             std::string(key).c_str(),
                             std::string(value).c_str(), path_.c_str());
}

}  // namespace vorlane::settings
