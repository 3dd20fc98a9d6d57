#include "settings/stored_path_win32.h"

#include <windows.h>

#include "settings/settings_names.h"

namespace vorlane::settings {
namespace {

// The text in the ANSI code page, or nothing when a character has no exact
// equivalent there (no best-fit look-alikes either).
std::optional<std::string> ExactAnsi(const std::wstring& text) {
  if (text.empty()) {
    return std::string();
  }
  BOOL lost = FALSE;
  const int length = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS,
                                         text.data(), length, nullptr, 0,
                                         nullptr, &lost);
  if (needed <= 0 || lost) {
    return std::nullopt;
  }
  std::string ansi(static_cast<std::size_t>(needed), '\0');
  if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length,
                          ansi.data(), needed, nullptr, &lost) != needed ||
      lost) {
    return std::nullopt;
  }
  return ansi;
}

std::optional<std::string> Storable(const std::wstring& path) {
  std::optional<std::string> ansi = ExactAnsi(path);
  if (ansi && ansi->size() <= kProgram.limit) {
    return ansi;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> StorablePath(const std::wstring& path) {
  if (std::optional<std::string> exact = Storable(path)) {
    return exact;
  }
  const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) {
    return std::nullopt;
  }
  std::wstring shortPath(needed, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
  if (length == 0 || length >= needed) {
    return std::nullopt;
  }
  shortPath.resize(length);
  return Storable(shortPath);
}

}  // namespace vorlane::settings
