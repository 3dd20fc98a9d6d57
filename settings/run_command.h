// The Run value "Vorlane" as the programs read it: the launcher's first start
// asks whether one starts it, and the configurator removes only one that
// starts its own launcher, not another copy's.
#pragma once

#include <string_view>

namespace vorlane::settings {

// Whether a Run value's command starts the program at `programPath`: the
// command's program, in quotes or bare (then followed by the end or by a
// blank and arguments), names the same path, letter case aside.
bool RunCommandStarts(std::string_view command, std::string_view programPath);

}  // namespace vorlane::settings
