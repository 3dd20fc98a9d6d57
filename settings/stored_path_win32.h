// How a path enters the settings file, which holds text in the ANSI code
// page and whose readers take at most kProgram.limit characters of a
// location. Every place that writes a path the user chose goes through here.
#pragma once

#include <optional>
#include <string>

namespace vorlane::settings {

// The path as the settings file can keep it: the path itself when the ANSI
// code page holds every character and it fits the readers' limit; else its
// short (8.3) form, when there is one that does; else nothing, and the
// caller refuses the path. A name of a Cyrillic folder on a Western system
// would otherwise be stored full of "?", which reads as a batch.
std::optional<std::string> StorablePath(const std::wstring& path);

}  // namespace vorlane::settings
