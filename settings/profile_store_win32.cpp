#include "profile_store_win32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "ini_document.h"
#include "win32/handles.h"

namespace vorlane::settings {

std::string ProfileStore::ReadString(std::string_view section,
                                     std::string_view key,
                                     std::string_view fallback,
                                     std::size_t limit) {
  const std::string sectionName(section), keyName(key), fallbackText(fallback);
  // Most values are short: a key read whole (MenuOrder) costs a large
  // buffer only when its value is large.
  std::vector<char> buffer(std::min(limit, kFirstValueBuffer) + 1, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD copied = GetPrivateProfileStringA(
        sectionName.c_str(), keyName.c_str(), fallbackText.c_str(),
        buffer.data(), size, path_.c_str());
    // A value that did not fit comes back cut, with size - 1. Wine 8 gives
    // size - 2 for a quoted value whose text exactly fills the buffer, having
    // lost its last character: that answer is not trusted either. The last
    // buffer is the key's own, so that a value is cut where it always was.
    if (copied + 2 < size || buffer.size() > limit) {
      return std::string(buffer.data(), std::min<std::size_t>(copied, limit));
    }
    buffer.assign(std::min(limit, buffer.size() * 2) + 1, '\0');
  }
}

int ProfileStore::ReadInt(std::string_view section, std::string_view key,
                          int fallback) {
  return static_cast<int>(GetPrivateProfileIntA(std::string(section).c_str(),
                                                std::string(key).c_str(),
                                                fallback, path_.c_str()));
}

bool ProfileStore::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
  return WritePrivateProfileStringA(std::string(section).c_str(),
                                    std::string(key).c_str(),
                                    StoredValue(value).c_str(),
                                    path_.c_str()) != FALSE;
}

bool ProfileStore::WriteSection(std::string_view section,
                                std::string_view data) {
  // The platform reads the lines up to the empty one that ends them.
  std::string lines(data);
  lines.append(2, '\0');
  return WritePrivateProfileSectionA(std::string(section).c_str(),
                                     lines.c_str(), path_.c_str()) != FALSE;
}

std::optional<std::string> ProfileStore::ReadSection(std::string_view section) {
  const std::string name(section);
  std::vector<char> buffer(kFirstSectionBuffer, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD copied = GetPrivateProfileSectionA(name.c_str(), buffer.data(),
                                                   size, path_.c_str());
    // A section that did not fit comes back cut, with size - 2. A section
    // that just fits can report the same, so that answer is never trusted.
    if (copied + 2 < size) {
      // The NUL after the last string ends the list and belongs to the data.
      return std::string(buffer.data(), copied + 1);
    }
    if (buffer.size() >= kLastSectionBuffer) {
      return std::nullopt;
    }
    buffer.assign(buffer.size() * 2, '\0');
  }
}

std::set<std::string> ProfileStore::SectionsWithHiddenLines() {
  win32::UniqueFile file(CreateFileA(path_.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE |
                                         FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return {};
  std::string text;
  char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) {
    text.append(chunk, read);
  }
  return IniDocument::Parse(text).SectionsWithHiddenLines();
}

}  // namespace vorlane::settings
