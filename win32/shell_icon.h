// The shell's small icon of a path, for the launcher's entries and the
// configurator's rows alike.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace vorlane::win32 {

// The icon of the path (or, with SHGFI_USEFILEATTRIBUTES, of a kind of
// file such as "*.url"); null when the shell has none. SHGetFileInfoA
// leaves garbage in hIcon when it fails: only its result says whether
// there is an icon. The caller owns what it gets.
inline HICON ShellSmallIcon(const char* path, DWORD attributes, UINT extraFlags) {
  SHFILEINFOA info{};
  if (SHGetFileInfoA(path, attributes, &info, sizeof(info),
                     SHGFI_ICON | SHGFI_SMALLICON | extraFlags) == 0) {
    return nullptr;
  }
  return info.hIcon;
}

}  // namespace vorlane::win32
