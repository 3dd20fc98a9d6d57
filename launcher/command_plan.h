// What a chosen command does, decided from the settings alone: which file the
// shell opens with which parameters, folder and window state, which paths a
// batch starts, which mode the configurator gets. The Win32 side carries the
// plan out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "launcher/menu_model.h"
#include "settings/settings_store.h"

namespace vorlane::launcher {

enum class CommandAction {
  Nothing,
  LaunchItem,         // ShellExecuteEx of `launch`
  LaunchBatch,        // each of `batch` in turn, pausing after each
  OpenMail,           // "mailto:" with or without an address: `target`
  StartConfigurator,  // the first of `places` there, with `parameters`
  OpenHelp,           // the first of `places` there that opens
  OpenDonationPage,   // `target`
  ShowRunDialog,
  Exit,
};

struct LaunchRequest {
  std::string file;
  std::string parameters;
  std::string directory;
  bool useDirectory = true;  // false with enableRelativePaths
  int showCommand = 1;
};

struct CommandPlan {
  CommandAction action = CommandAction::Nothing;
  LaunchRequest launch;
  std::vector<std::string> batch;
  std::string target;
  std::string parameters;
  // Where the configurator or the guide is looked for, in order: beside the
  // settings file in use, then beside the launcher.
  std::vector<std::string> places;
};

inline constexpr char kDonationPage[] = "http://www.vorlane.org/vorlane/donate.html";
inline constexpr std::size_t kCommandTextLimit = 255;

// OM<i> to the shell's show command: 0 normal, 1 minimised, 2 maximised,
// 3 hidden; any other value is passed on unchanged.
int ShowCommandFor(int openMode);

// The text of the "Vorlane Error" box for a failed start.
std::string LaunchFailureText(unsigned long errorCode);

// The elements of a batch location, empty ones skipped.
std::vector<std::string> BatchElements(std::string_view location);

// The location up to and including its last backslash, else all of it.
std::string WorkingDirectoryOf(std::string_view location);

// What choosing `commandId` does, with the entry list of the menu that was
// shown, the settings file in use and the launcher's own folder (empty when
// it is not known).
CommandPlan PlanCommand(settings::SettingsStore& store,
                        const std::vector<EntryRef>& entries, int commandId,
                        std::string_view iniPath,
                        std::string_view programFolder = {});

}  // namespace vorlane::launcher
