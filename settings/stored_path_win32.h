// How a path enters the settings file, which holds text in the ANSI code
// page, and whose launcher starts a location only when it is at most
// kProgramToLaunch.limit characters long: a longer one is read cut and
// fails to start. Every place that writes a path the user chose goes
// through here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlane::settings {

// The text in the system's ANSI code page, or nothing when a character has
// no exact equivalent there.
std::optional<std::string> ExactSystemAnsi(std::wstring_view text);

// What the settings file can keep of a path, or why it keeps nothing.
struct StoredText {
  enum class Refusal {
    None,
    TooLong,     // longer than its reader takes, even in its short form
    Characters,  // characters the ANSI code page cannot hold, and no short
                 // form that it can
  };
  std::optional<std::string> text;  // empty when refused
  Refusal refusal = Refusal::None;
};

// The path as the settings file can keep it: the path itself when the ANSI
// code page holds every character and the launcher starts it whole; else
// its short (8.3) form, when there is one that does; else nothing, and the
// caller refuses the path. A name of a Cyrillic folder on a Western system
// would otherwise be stored full of "?", which reads as a batch.
StoredText StorablePath(const std::wstring& path);

// An item's own icon, "file,index", as the item icon reader takes it whole
// (kItemIcon.limit characters for the whole value): with the file as
// given, else in its short form; else refused as too long.
StoredText StorableIconSpec(const std::string& ansiFile, int index);

}  // namespace vorlane::settings
