// Text as the settings file keeps it: in the ANSI code page, exactly or not
// at all. The conversion itself is the platform's; what is asked of it
// depends on the code page, and that choice is made here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlane::settings {

// One conversion into the ANSI code page, as WideCharToMultiByte makes it.
class AnsiConversion {
 public:
  virtual ~AnsiConversion() = default;
  virtual unsigned CodePage() const = 0;
  // The bytes written to `out` (or needed, when `out` is null), 0 when the
  // conversion is refused; `usedDefault`, when given, tells whether a
  // character had no equivalent.
  virtual int Convert(unsigned flags, std::wstring_view text, char* out, int size,
                      bool* usedDefault) const = 0;
};

inline constexpr unsigned kUtf8CodePage = 65001;
// WideCharToMultiByte's flags.
inline constexpr unsigned kNoBestFitChars = 0x400;
inline constexpr unsigned kErrorOnInvalidChars = 0x80;

// The text in the ANSI code page, or nothing when a character has no exact
// equivalent there (no best-fit look-alikes either). Where the code page is
// UTF-8 ("Use Unicode UTF-8 for worldwide language support") every
// character has one; the platform refuses the look-alike and default-
// character checks for it, so they are not asked for.
std::optional<std::string> ExactAnsi(std::wstring_view text, const AnsiConversion& convert);

}  // namespace vorlane::settings
