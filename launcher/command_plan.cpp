#include "command_plan.h"

#include "launcher/tray_logic.h"
#include "settings/settings_model.h"

#include <initializer_list>

namespace vorlane::launcher {
namespace {

using settings::kSettingsSection;

std::string Cut(std::string text, std::size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

// The folder of the settings file; "." for a bare file name, which only a
// hand-made path can be.
std::string SettingsFolder(std::string_view iniPath) {
  return DirectoryOf(iniPath).value_or(".");
}

bool SameFolder(std::string_view a, std::string_view b) {
  const auto upper = [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

// `names` beside the settings file, then beside the launcher when it lives
// elsewhere (a settings file given on the command line).
std::vector<std::string> Places(std::string_view iniPath,
                                std::string_view programFolder,
                                std::initializer_list<const char*> besideSettings,
                                std::initializer_list<const char*> besideProgram) {
  std::vector<std::string> places;
  const std::string settingsFolder = SettingsFolder(iniPath);
  for (const char* name : besideSettings) places.push_back(settingsFolder + "\\" + name);
  if (!programFolder.empty() && !SameFolder(settingsFolder, programFolder)) {
    for (const char* name : besideProgram) {
      places.push_back(std::string(programFolder) + "\\" + name);
    }
  }
  return places;
}

CommandPlan PlanConfigurator(std::string_view mode, std::string_view iniPath,
                             std::string_view programFolder) {
  CommandPlan plan;
  plan.action = CommandAction::StartConfigurator;
  plan.places = Places(iniPath, programFolder, {"config.exe"}, {"config.exe"});
  plan.parameters =
      Cut(std::string(mode) + " " + std::string(iniPath), kCommandTextLimit);
  return plan;
}

CommandPlan PlanItem(settings::SettingsStore& store,
                     const std::vector<EntryRef>& entries, int commandId) {
  CommandPlan plan;
  const std::size_t index =
      static_cast<std::size_t>(commandId - ENTRY_COMMAND_BASE);
  if (index >= entries.size() || entries[index].kind != MenuEntryKind::Item ||
      entries[index].itemNo <= 0) {
    return plan;
  }
  const EntryRef& entry = entries[index];
  const std::optional<int> menu = MenuAtPosition(store, entry.menuRef);
  if (!menu) {
    return plan;
  }
  const std::string section = settings::NumberedName(
      settings::kProgramSectionStemLaunch, *menu);
  const std::string location = settings::Read(
      store, section, settings::kProgramToLaunch, entry.itemNo);

  if (settings::ClassifyLocation(location) == settings::LocationKind::Batch) {
    plan.action = CommandAction::LaunchBatch;
    plan.batch = BatchElements(location);
    return plan;
  }
  plan.action = CommandAction::LaunchItem;
  plan.launch.file = location;
  plan.launch.parameters =
      settings::Read(store, section, settings::kPar, entry.itemNo);
  plan.launch.showCommand = ShowCommandFor(
      settings::Read(store, section, settings::kOpenMode, entry.itemNo));
  plan.launch.directory = WorkingDirectoryOf(location);
  plan.launch.useDirectory =
      settings::Read(store, kSettingsSection,
                     settings::kEnableRelativePaths) == 0;
  return plan;
}

CommandPlan PlanContact(settings::SettingsStore& store, int contact) {
  CommandPlan plan;
  plan.action = CommandAction::OpenMail;
  plan.target = Cut("mailto:" + settings::Read(store, settings::kContactsSection,
                                               settings::kContactEmail, contact),
                    kCommandTextLimit);
  return plan;
}

}  // namespace

int ShowCommandFor(int openMode) {
  switch (openMode) {
    case 0:
      return 1;  // SW_SHOWNORMAL
    case 1:
      return 2;  // SW_SHOWMINIMIZED
    case 2:
      return 3;  // SW_SHOWMAXIMIZED
    case 3:
      return 0;  // SW_HIDE
    default:
      return openMode;
  }
}

std::string LaunchFailureText(unsigned long errorCode) {
  const char* reason = "but the error is unknown.";
  switch (errorCode) {
    case 2: reason = "the file was not found."; break;
    case 3: reason = "the path was not found."; break;
    case 5: reason = "access was denied."; break;
    case 8: reason = "there is not enough memory."; break;
    case 32: reason = "sharing violation."; break;
    case 1155: reason = "no association exist for this file type."; break;
    case 1156: reason = "DDE transation failure."; break;
    case 1157: reason = "there is a DLL missing."; break;
    case 1223: reason = "the request was cancelled."; break;
    default: break;
  }
  return std::string("The program/folder/file could not be started:\r\n") +
         reason;
}

std::vector<std::string> BatchElements(std::string_view location) {
  std::vector<std::string> elements;
  std::size_t start = 0;
  while (start <= location.size()) {
    std::size_t end = location.find('?', start);
    if (end == std::string_view::npos) end = location.size();
    if (end > start) {
      elements.emplace_back(location.substr(start, end - start));
    }
    start = end + 1;
  }
  return elements;
}

std::string WorkingDirectoryOf(std::string_view location) {
  const std::size_t slash = location.rfind('\\');
  if (slash == std::string_view::npos) {
    return std::string(location);
  }
  return std::string(location.substr(0, slash + 1));
}

CommandPlan PlanCommand(settings::SettingsStore& store,
                        const std::vector<EntryRef>& entries, int commandId,
                        std::string_view iniPath,
                        std::string_view programFolder) {
  if (commandId >= kFirstEntryCommand && commandId <= kLastEntryCommand) {
    return PlanItem(store, entries, commandId);
  }
  if (commandId >= kFirstContactCommand && commandId <= kLastContactCommand) {
    return PlanContact(store, commandId - CONTACT_COMMAND_BASE);
  }
  CommandPlan plan;
  switch (commandId) {
    case CMD_EXIT:
      plan.action = CommandAction::Exit;
      break;
    case CMD_CONFIG:
      return PlanConfigurator("1", iniPath, programFolder);
    case CMD_OPTIONS:
      return PlanConfigurator("2", iniPath, programFolder);
    case CMD_ABOUT:
      return PlanConfigurator("4", iniPath, programFolder);
    case CMD_HELP:
      plan.action = CommandAction::OpenHelp;
      // A .hlp file keeps its place for those who have one, but current
      // Windows has no viewer for that format: the HTML guide shipped with
      // the programs is what it opens.
      plan.places = Places(iniPath, programFolder, {"Vorlane.hlp", "Vorlane.html"},
                           {"Vorlane.html"});
      break;
    case CMD_DONATE:
      plan.action = CommandAction::OpenDonationPage;
      plan.target = kDonationPage;
      break;
    case CMD_RUN:
      plan.action = CommandAction::ShowRunDialog;
      break;
    case CMD_BLANK_EMAIL:
      plan.action = CommandAction::OpenMail;
      plan.target = "mailto:";
      break;
    default:
      break;
  }
  return plan;
}

}  // namespace vorlane::launcher
