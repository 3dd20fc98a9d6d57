// The Explorer extension as the other programs reach it: the configurator
// asks whether it is registered and registers it through regsvr32, the
// installer removes it. These never change, since registrations made by
// other versions rely on them.
#pragma once

namespace vorlane::settings {

inline constexpr char kShellixClassId[] = "{8D775404-DD7B-11D3-BC49-906B51C10000}";
inline constexpr char kShellixRegistrationName[] = "VorlaneShellix";

// HKEY_CLASSES_ROOT is this key of the machine and of the user merged, the
// user's winning; the shell reads both.
inline constexpr char kClassesKey[] = "Software\\Classes\\";
// Under HKEY_CLASSES_ROOT: the key that names the extension's library.
inline constexpr char kShellixServerKey[] =
    "CLSID\\{8D775404-DD7B-11D3-BC49-906B51C10000}\\InProcServer32";
inline constexpr char kShellExtensionsApprovedKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

}  // namespace vorlane::settings
