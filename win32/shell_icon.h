// Icons of paths, files and the program's own resources at the size a
// window shows them, for the launcher's entries and the configurator's rows
// and buttons alike. The caller owns every icon it gets; null where there
// is none.
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

// The image of one of the program's icon resources made for `size`.
inline HICON ResourceIconAtSize(HINSTANCE module, int id, int size) {
  return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON,
                                       size, size, LR_DEFAULTCOLOR));
}

// Icon `index` of an icon file, program or library, from its image nearest
// to `size` pixels square; a negative index names the icon by its resource
// number. Null where there is none: the answer counts the icons made, and a
// missing file answers 0xFFFFFFFF and may leave the handle as it was.
inline HICON FileIconAtSize(const char* file, int index, int size) {
  HICON icon = nullptr;
  const UINT made = PrivateExtractIconsA(file, index, size, size, &icon, nullptr,
                                         1, LR_DEFAULTCOLOR);
  if (made == 0 || made == 0xFFFFFFFF) return nullptr;
  return icon;
}

// The shell's icon of the path at `size` pixels square, for a window of a
// dpi other than the system's. The shell's own small and large icons are
// taken where they have that size (at the system dpi the small one is a
// menu's or a list's); otherwise the image of that size in the file the
// shell names. Some icons have no file of their own (a handler draws them):
// then the large one, which the caller draws smaller, sharper than the
// small one brought up.
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
    if (HICON icon = FileIconAtSize(info.szDisplayName, info.iIcon, size)) {
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
