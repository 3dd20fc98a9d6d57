// The configurator program: one copy at a time, the mode and the settings
// file from the command line, one modal dialog, and the door to the file
// that every dialog reads and writes through.
#pragma once

#include <windows.h>

#include <string>

#include "settings/profile_store_win32.h"

namespace vorlane::configurator {

inline constexpr char kAppTitle[] = "Vorlane";
inline constexpr char kMenusCaption[] = "Vorlane menu configurator";
inline constexpr char kOptionsCaption[] = "Vorlane options";
inline constexpr char kAboutCaption[] = "About Vorlane";

class CConfigApp {
 public:
  explicit CConfigApp(HINSTANCE instance) : instance_(instance) {}

  // Runs the program; its exit code.
  int Run(const char* commandLine);

  HINSTANCE Instance() const { return instance_; }
  const std::string& ProfilePath() const { return profile_.Path(); }

  int GetProfileInt(const char* section, const char* key, int fallback);
  std::string GetProfileString(const char* section, const char* key,
                               const char* fallback);
  bool WriteProfileInt(const char* section, const char* key, int value);
  bool WriteProfileString(const char* section, const char* key,
                          const char* value);
  settings::ProfileStore& Profile() { return profile_; }

  // Says, once per failed edit, that the settings file could not be
  // written; `owner` is the dialog that tried.
  void ReportWriteFailure(HWND owner) const;
  // Says that the settings file could not be read, so that nothing was
  // changed and the lists stay as they were.
  void ReportReadFailure(HWND owner) const;

 private:
  HINSTANCE instance_;
  settings::ProfileStore profile_{""};
};

}  // namespace vorlane::configurator
