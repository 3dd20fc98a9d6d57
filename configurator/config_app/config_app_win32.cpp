#include "configurator/config_app/config_app_win32.h"

#include <commctrl.h>
#include <objbase.h>

#include "configurator/about_dialog/about_dialog_win32.h"
#include "configurator/config_app/command_line.h"
#include "configurator/config_dialog/config_dialog_win32.h"
#include "configurator/options_dialog/options_dialog_win32.h"

namespace vorlane::configurator {
namespace {

constexpr char kOnlyFromLauncher[] =
    "This program can only be run from within Vorlane";
constexpr char kMutexName[] = "Prevent Second Instance";

void BringRunningCopyForward() {
  for (const char* caption : {kMenusCaption, kOptionsCaption, kAboutCaption}) {
    if (HWND window = FindWindowA(nullptr, caption)) {
      SetForegroundWindow(window);
      return;
    }
  }
}

// Without a path the settings file beside the program is meant: the
// launcher and the extension keep it there too.
std::string DefaultProfilePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, std::size(path));
  std::string file(path, length < std::size(path) ? length : 0);
  const std::size_t slash = file.rfind('\\');
  return (slash == std::string::npos ? std::string(".") : file.substr(0, slash)) +
         "\\vorlane.ini";
}

}  // namespace

int CConfigApp::Run(const char* commandLine) {
  // Held until the process ends; the platform closes it then.
  CreateMutexA(nullptr, TRUE, kMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    BringRunningCopyForward();
    return 0;
  }
  const ConfigCommandLine line = ParseConfigCommandLine(commandLine);
  if (!line.hasMode || line.mode == ConfigMode::Unknown) {
    MessageBoxA(nullptr, kOnlyFromLauncher, kAppTitle, MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  profile_ = settings::ProfileStore(line.path.empty() ? DefaultProfilePath()
                                                      : line.path);
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                    ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // Shell links are read through COM; the dialogs and the shell's own
  // dialogs share this one apartment.
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));

  switch (line.mode) {
    case ConfigMode::Menus: {
      CConfigDialog dialog(*this);
      dialog.DoModal();
      break;
    }
    case ConfigMode::About: {
      CAboutDialog dialog(*this);
      dialog.DoModal();
      break;
    }
    case ConfigMode::Options: {
      COptionsDialog dialog(*this);
      dialog.DoModal();
      break;
    }
    case ConfigMode::Unknown:
      break;
  }
  if (com) CoUninitialize();
  return 0;
}

int CConfigApp::GetProfileInt(const char* section, const char* key,
                              int fallback) {
  return profile_.ReadInt(section, key, fallback);
}

std::string CConfigApp::GetProfileString(const char* section, const char* key,
                                         const char* fallback) {
  return profile_.ReadString(section, key, fallback, 254);
}

bool CConfigApp::WriteProfileInt(const char* section, const char* key,
                                 int value) {
  return profile_.WriteString(section, key, std::to_string(value));
}

bool CConfigApp::WriteProfileString(const char* section, const char* key,
                                    const char* value) {
  return profile_.WriteString(section, key, value);
}

void CConfigApp::ReportWriteFailure(HWND owner) const {
  if (profile_.LastWriteWasRefused()) {
    const std::string busy =
        "The settings file\r\n" + profile_.Path() +
        "\r\nis held by another program: \"Add to Vorlane\" in an Explorer "
        "window, another configurator, or a program that copies the file. "
        "Nothing was changed; try again in a moment.";
    MessageBoxA(owner, busy.c_str(), "Error", MB_OK | MB_ICONERROR);
    return;
  }
  const std::string text = "The change could not be saved in the settings file\r\n" +
                           profile_.Path() +
                           "\r\nThe file may be read-only, or its folder may be "
                           "missing.";
  MessageBoxA(owner, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}

void CConfigApp::ReportReadFailure(HWND owner) const {
  const std::string text = "The settings file\r\n" + profile_.Path() +
                           "\r\ncould not be read: another program may be "
                           "holding it. Nothing was changed; try again in a "
                           "moment.";
  MessageBoxA(owner, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}

}  // namespace vorlane::configurator
