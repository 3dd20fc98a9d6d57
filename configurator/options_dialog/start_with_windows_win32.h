// The Run value that starts the launcher with Windows: machine-wide where
// the user may write it, else for the user alone.
#pragma once

#include <windows.h>

#include <string>

#include "settings/launcher_window.h"

namespace vorlane::configurator {

using settings::kRunKey;
using settings::kRunValue;

// On: the value "Vorlane" holding the launcher's path in quotes, under
// HKEY_LOCAL_MACHINE or, when that refuses, under HKEY_CURRENT_USER; false
// when neither takes it. Off: the value goes from both where it starts this
// launcher, quoted or bare; one that starts another copy stays, as that
// copy's. False when one of them keeps this launcher's (a user may not
// delete the machine's value).
// The roots are the machine's and the user's unless a test gives others.
bool SetStartWithWindows(bool on, const std::string& launcherPath,
                         HKEY machine = HKEY_LOCAL_MACHINE,
                         HKEY user = HKEY_CURRENT_USER);

}  // namespace vorlane::configurator
