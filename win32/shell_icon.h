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

// The shell's icon of the path at `size` pixels square. The shell's own
// small and large icons are taken where they have that size (at the system
// dpi the small one is the menu's); otherwise the image of that size in the
// file the shell names, and failing that the large icon, which the caller
// draws smaller.
inline HICON ShellIconAtSize(const char* path, DWORD attributes,
                             UINT extraFlags, int size) {
  if (size == GetSystemMetrics(SM_CXSMICON)) {
    return ShellSmallIcon(path, attributes, extraFlags);
  }
  SHFILEINFOA info{};
  if (size != GetSystemMetrics(SM_CXICON) &&
      SHGetFileInfoA(path, attributes, &info, sizeof(info),
                     SHGFI_ICONLOCATION | extraFlags) != 0 &&
      info.szDisplayName[0] != '\0') {
    HICON icon = nullptr;
    UINT id = 0;
    if (PrivateExtractIconsA(info.szDisplayName, info.iIcon, size, size, &icon,
                             &id, 1, LR_DEFAULTCOLOR) == 1 &&
        icon != nullptr) {
      return icon;
    }
  }
  info = SHFILEINFOA{};
  if (SHGetFileInfoA(path, attributes, &info, sizeof(info),
                     SHGFI_ICON | SHGFI_LARGEICON | extraFlags) == 0) {
    return nullptr;
  }
  return info.hIcon;
}

}  // namespace vorlane::win32
