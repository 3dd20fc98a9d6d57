// Files selected in a shell folder, handed over as Explorer hands them to a
// context-menu handler. Shared by the extension's tests and the 32-bit host
// program that plays Explorer.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

#include "win32/com_ptr.h"

namespace vorlane::test {

// The shell's own data object for files of one folder (SHCreateDataObject
// is a stub in Wine); empty when the shell could not make one.
win32::ComPtr<IDataObject> ShellDataObject(const std::vector<std::wstring>& paths);

}  // namespace vorlane::test
