// The configurator's command line: the mode argument and the settings
// file's path, as the launcher passes them.
#pragma once

#include <string>
#include <string_view>

namespace vorlane::configurator {

enum class ConfigMode { Menus, Options, About, Unknown };

struct ConfigCommandLine {
  bool hasMode = false;
  ConfigMode mode = ConfigMode::Unknown;
  // Everything after the mode argument as it stands, outer blanks and one
  // pair of enclosing quotation marks removed: the launcher passes the path
  // unquoted, and splitting it at blanks would lose a run of blanks in it.
  std::string path;
};

// `raw` is the whole command line, program name first.
ConfigCommandLine ParseConfigCommandLine(std::string_view raw);

// "1" and "3" the menu configurator, "2" the options, "4" the about box,
// compared whole without regard to case.
ConfigMode ModeOf(std::string_view argument);

}  // namespace vorlane::configurator
