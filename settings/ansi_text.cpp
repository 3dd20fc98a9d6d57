#include "ansi_text.h"

namespace vorlane::settings {

std::optional<std::string> ExactAnsi(std::wstring_view text, const AnsiConversion& convert) {
  if (text.empty()) return std::string();
  const bool utf8 = convert.CodePage() == kUtf8CodePage;
  // UTF-8 fails only on a lone surrogate, which no file name can keep.
  const unsigned flags = utf8 ? kErrorOnInvalidChars : kNoBestFitChars;
  bool lost = false;
  bool* check = utf8 ? nullptr : &lost;
  const int needed = convert.Convert(flags, text, nullptr, 0, check);
  if (needed <= 0 || lost) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(needed), '\0');
  if (convert.Convert(flags, text, ansi.data(), needed, check) != needed || lost) {
    return std::nullopt;
  }
  return ansi;
}

}  // namespace vorlane::settings
