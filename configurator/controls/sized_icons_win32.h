// Icons at the size a window of some dpi shows them, rather than at the
// system's sizes: a display other than the primary one may have its own.
// The caller owns every icon it gets; null where there is none.
#pragma once

#include <windows.h>

namespace vorlane::configurator {

// The image of one of the program's icon resources made for `size`.
HICON LoadResourceIconAt(HINSTANCE resources, int id, int size);

// Icon `index` of an icon file, program or library, from its image nearest
// to `size`. A negative index names the icon by its resource number.
HICON ExtractFileIconAt(const char* file, int index, int size);

// The shell's icon of a path (or, with SHGFI_USEFILEATTRIBUTES, of a kind
// of file such as "*.url") at `size`.
HICON ShellIconAt(const char* path, DWORD attributes, UINT extraFlags, int size);

}  // namespace vorlane::configurator
