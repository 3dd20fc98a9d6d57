// The system's file and folder dialogs, answering with a path the settings
// file can keep (settings::StorablePath): the dialogs work in wide
// characters, so that a name outside the ANSI code page is seen, and
// refused with a message saying why when it has no form that fits.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vorlane::configurator {

// `filter` is pairs of description and patterns, each ended by "|", and
// one more "|" at the end. Nothing when the user cancelled or the path was
// refused.
std::optional<std::string> ChooseFile(HWND owner, const char* filter,
                                      const char* title);
std::optional<std::string> ChooseFolder(HWND owner, const char* title);

}  // namespace vorlane::configurator
