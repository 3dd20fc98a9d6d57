// "About Vorlane": the version, its history, the web site and feedback.
#pragma once

#include <array>

#include "configurator/controls/icon_button_win32.h"
#include "configurator/controls/tooltips_win32.h"
#include "win32/dialog.h"

namespace vorlane::configurator {

class CConfigApp;

inline constexpr char kWebsite[] = "http://www.vorlane.org/vorlane";
inline constexpr char kFeedback[] =
    "mailto:feedback@vorlane.org?subject=Vorlane Feedback";

class CAboutDialog final : public win32::Dialog {
 public:
  explicit CAboutDialog(CConfigApp& app);

 private:
  BOOL OnInit() override;
  bool OnCommand(int id, int notification) override;

  void OpenWebsite();
  void SendFeedback();

  CConfigApp& app_;
  std::array<CIconButton, 3> buttons_;
  Tooltips tooltips_;
};

}  // namespace vorlane::configurator
