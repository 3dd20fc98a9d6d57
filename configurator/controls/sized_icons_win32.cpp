#include "configurator/controls/sized_icons_win32.h"

#include <shellapi.h>

#include "win32/shell_icon.h"

namespace vorlane::configurator {

HICON LoadResourceIconAt(HINSTANCE resources, int id, int size) {
  return static_cast<HICON>(LoadImageA(resources, MAKEINTRESOURCEA(id), IMAGE_ICON,
                                       size, size, LR_DEFAULTCOLOR));
}

HICON ExtractFileIconAt(const char* file, int index, int size) {
  HICON icon = nullptr;
  // The answer counts the icons made; a missing file answers 0xFFFFFFFF
  // and may leave the handle as it was.
  const UINT made = PrivateExtractIconsA(file, index, size, size, &icon, nullptr, 1,
                                         LR_DEFAULTCOLOR);
  if (made == 0 || made == 0xFFFFFFFF) return nullptr;
  return icon;
}

HICON ShellIconAt(const char* path, DWORD attributes, UINT extraFlags, int size) {
  // The shell's small icon is made for the system's dpi: where that is the
  // size wanted it is exactly what the shell shows itself.
  if (size == GetSystemMetrics(SM_CXSMICON)) {
    return win32::ShellSmallIcon(path, attributes, extraFlags);
  }
  SHFILEINFOA info{};
  if (SHGetFileInfoA(path, attributes, &info, sizeof(info),
                     SHGFI_ICONLOCATION | extraFlags) != 0 &&
      info.szDisplayName[0] != '\0') {
    if (HICON icon = ExtractFileIconAt(info.szDisplayName, info.iIcon, size)) {
      return icon;
    }
  }
  // Some icons have no file of their own (a handler draws them): the large
  // one, which the image list brings down to its size, is sharper than the
  // small one brought up.
  info = SHFILEINFOA{};
  if (SHGetFileInfoA(path, attributes, &info, sizeof(info),
                     SHGFI_ICON | SHGFI_LARGEICON | extraFlags) == 0) {
    return nullptr;
  }
  return info.hIcon;
}

}  // namespace vorlane::configurator
