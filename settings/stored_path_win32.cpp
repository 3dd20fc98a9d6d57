#include "settings/stored_path_win32.h"

#include <windows.h>

#include "settings/ansi_text.h"
#include "settings/settings_names.h"

namespace vorlane::settings {
namespace {

// The system's ANSI code page, through the platform's own conversion.
class SystemAnsi final : public AnsiConversion {
 public:
  unsigned CodePage() const override { return GetACP(); }
  int Convert(unsigned flags, std::wstring_view text, char* out, int size,
              bool* usedDefault) const override {
    BOOL lost = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, flags, text.data(),
                                            static_cast<int>(text.size()), out, size,
                                            nullptr, usedDefault ? &lost : nullptr);
    if (usedDefault) *usedDefault = lost != FALSE;
    return written;
  }
};

// The short (8.3) form of an existing file's or folder's path; nothing for
// a path that names nothing.
template <typename Char, typename Shorten>
std::optional<std::basic_string<Char>> ShortForm(const std::basic_string<Char>& path,
                                                 Shorten shorten) {
  const DWORD needed = shorten(path.c_str(), nullptr, 0);
  if (needed == 0) {
    return std::nullopt;
  }
  std::basic_string<Char> shortPath(needed, Char{});
  const DWORD length = shorten(path.c_str(), shortPath.data(), needed);
  if (length == 0 || length >= needed) {
    return std::nullopt;
  }
  shortPath.resize(length);
  return shortPath;
}

}  // namespace

std::optional<std::string> ExactSystemAnsi(std::wstring_view text) {
  return ExactAnsi(text, SystemAnsi());
}

StoredText StorablePath(const std::wstring& path) {
  // The launcher starts what it reads with this limit; the icon reader's
  // larger one would let a path be stored that never starts.
  constexpr std::size_t limit = kProgramToLaunch.limit;
  std::optional<std::string> ansi = ExactSystemAnsi(path);
  if (ansi && ansi->size() <= limit) {
    return {std::move(ansi), StoredText::Refusal::None};
  }
  bool inAnsi = ansi.has_value();
  if (const std::optional<std::wstring> shortPath = ShortForm(path, GetShortPathNameW)) {
    if (std::optional<std::string> shortAnsi = ExactSystemAnsi(*shortPath)) {
      if (shortAnsi->size() <= limit) {
        return {std::move(shortAnsi), StoredText::Refusal::None};
      }
      inAnsi = true;
    }
  }
  return {std::nullopt,
          inAnsi ? StoredText::Refusal::TooLong : StoredText::Refusal::Characters};
}

StoredText StorableIconSpec(const std::string& ansiFile, int index) {
  const std::string suffix = "," + std::to_string(index);
  if (ansiFile.size() + suffix.size() <= kItemIcon.limit) {
    return {ansiFile + suffix, StoredText::Refusal::None};
  }
  if (const std::optional<std::string> shortFile = ShortForm(ansiFile, GetShortPathNameA);
      shortFile && shortFile->size() + suffix.size() <= kItemIcon.limit) {
    return {*shortFile + suffix, StoredText::Refusal::None};
  }
  return {std::nullopt, StoredText::Refusal::TooLong};
}

}  // namespace vorlane::settings
