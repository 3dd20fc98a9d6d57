#include "tray_logic.h"

#include "settings/settings_names.h"

namespace vorlane::launcher {

bool OpensMenu(int openMenu, unsigned mouseMessage) {
  switch (openMenu) {
    case 0:
    case 1:
      return mouseMessage == kMouseMove;
    case 2:
      return mouseMessage == kLeftButtonUp;
    case 3:
      return mouseMessage == kRightButtonUp;
    case 4:
      return mouseMessage == kRightButtonUp || mouseMessage == kLeftButtonUp;
    default:
      return false;
  }
}

bool TrayGestures::Opens(int openMenu, unsigned message) {
  switch (message) {
    case kLeftButtonDown:
      selectFollows_ = false;
      return OpensMenu(openMenu, message);
    case kLeftButtonUp:
      selectFollows_ = true;
      return OpensMenu(openMenu, message);
    case kNinKeySelect:
      selectFollows_ = true;
      return true;
    case kNinSelect:
      if (selectFollows_) {
        selectFollows_ = false;
        return false;
      }
      return true;
    default:
      return OpensMenu(openMenu, message);
  }
}

std::uint64_t PackShellVersion(std::uint32_t major, std::uint32_t minor) {
  return (static_cast<std::uint64_t>(major & 0xFFFF) << 48) |
         (static_cast<std::uint64_t>(minor & 0xFFFF) << 32);
}

TrayRecordLayout TrayRecordLayoutFor(std::uint64_t shellVersion) {
  constexpr unsigned kNotifyIconVersion = 3;
  if (shellVersion >= PackShellVersion(6, 0)) {
    return {TrayRecordSize::Shell6, kNotifyIconVersion};
  }
  if (shellVersion >= PackShellVersion(5, 0)) {
    return {TrayRecordSize::Shell5, kNotifyIconVersion};
  }
  return {TrayRecordSize::Original, 0};
}

std::optional<std::string> DirectoryOf(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) {
    return std::nullopt;
  }
  return std::string(path.substr(0, slash));
}

SettingsPathChoice ChooseSettingsPath(std::string_view programDirectory,
                                      const std::optional<std::string>& argument,
                                      const SettingsFileProbe& probe) {
  std::string besideProgram = std::string(programDirectory) + "\\" +
                              settings::kFileName;
  if (!argument) {
    const bool missing = probe.isMissing(besideProgram);
    return {std::move(besideProgram), missing};
  }
  if (probe.isReadable(*argument)) {
    return {*argument, false};
  }
  return {std::move(besideProgram), false};
}

std::string UnwritableSettingsText(std::string_view iniPath) {
  const std::string folder = DirectoryOf(iniPath).value_or(std::string(iniPath));
  return "Vorlane cannot save its settings in\n" + folder +
         "\nbecause you may not write there.\n\n"
         "Vorlane keeps its settings, vorlane.ini, beside its programs, so its "
         "folder belongs where you may write: in a folder of your own (for "
         "example in your Documents), or installed with Vorlane's setup "
         "program, which puts it there for you.\n\n"
         "Until then Vorlane runs, but its menu stays empty and no change can "
         "be saved.";
}

}  // namespace vorlane::launcher
