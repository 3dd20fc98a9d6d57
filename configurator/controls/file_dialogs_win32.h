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

// A path the user gave in any other way (typed, pasted), in the form the
// settings file keeps; nothing, after a message saying why, when it has
// none.
std::optional<std::string> StorablePathOrSay(HWND owner, const std::wstring& path);

// "file,index" of a chosen icon within what readers of an icon value take;
// nothing, after a message, when even the file's short form is too long.
std::optional<std::string> IconSpecOrSay(HWND owner, const std::string& file,
                                         int index);

}  // namespace vorlane::configurator
