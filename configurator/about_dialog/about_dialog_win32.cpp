#include "configurator/about_dialog/about_dialog_win32.h"

#include <shellapi.h>

#include "config_ids.h"
#include "configurator/config_app/config_app_win32.h"
#include "configurator/controls/window_placement_win32.h"
#include "settings/settings_names.h"

namespace vorlane::configurator {
namespace {

constexpr char kHistory[] =
    "---2.52b2---\r\n"
    "- FIXED: Deletion of standard menu\r\n"
    "- FIXED: Paths with two blanks in a row reach the configurator whole\r\n"
    "- Item icons fill in while the list is shown\r\n"
    "---2.52---\r\n"
    "- E-mail contacts in their own menu\r\n"
    "- Batches: several programs from one menu item\r\n"
    "- FIXED: Menus above a removed one keep their items\r\n"
    "---2.5---\r\n"
    "-Add to Vorlane from the Explorer context menu\r\n"
    "-Choose the font of the menu\r\n"
    "-Start with Windows\r\n"
    "\r\n"
    "Is there something you miss in Vorlane?\r\n"
    "Press Feedback and tell us what\r\n"
    "you would like to see in the next version.\r\n";

struct ButtonIcons {
  int id, hot, normal;
};
constexpr ButtonIcons kButtons[] = {
    {IDOK, IDI_DOOR, IDI_DOOR_GREY},
    {IDC_FEEDBACK, IDI_LETTER, IDI_LETTER_GREY},
    {IDC_WEBSITE, IDI_GLOBE_PAGE, IDI_GLOBE_PAGE_GREY},
};

struct Tip {
  int id;
  const char* text;
};
constexpr Tip kTips[] = {
    {IDC_FEEDBACK, "Send suggestions, comments and (technical) questions"},
    {IDC_WEBSITE, "Visit the Vorlane website"},
    {IDOK, "Exit"},
};

}  // namespace

CAboutDialog::CAboutDialog(CConfigApp& app)
    : Dialog(app.Instance(), IDD_ABOUT), app_(app) {
  FollowAppModeInTitleBar();
}

BOOL CAboutDialog::OnInit() {
  CentreOnPointerMonitor(Window());
  SetDlgItemTextA(Window(), IDC_HISTORY, kHistory);
  for (std::size_t i = 0; i < std::size(kButtons); ++i) {
    buttons_[i].Attach(Window(), kButtons[i].id);
    buttons_[i].SetIcons(Resources(), kButtons[i].hot, kButtons[i].normal);
  }
  if (TooltipsWanted(app_.GetProfileInt(settings::kSettingsSection,
                                        settings::kShowTooltips.name,
                                        settings::kShowTooltips.fallback)) &&
      tooltips_.Create(Window())) {
    for (const Tip& tip : kTips) tooltips_.Add(tip.id, tip.text);
    tooltips_.Activate();
  }
  return TRUE;
}

bool CAboutDialog::OnCommand(int id, int notification) {
  switch (id) {
    case IDC_WEBSITE:
      OpenWebsite();
      return true;
    case IDC_FEEDBACK:
      SendFeedback();
      return true;
    default:
      return Dialog::OnCommand(id, notification);
  }
}

void CAboutDialog::OpenWebsite() {
  ShellExecuteA(nullptr, "open", kWebsite, nullptr, nullptr, SW_SHOWNORMAL);
}

void CAboutDialog::SendFeedback() {
  ShellExecuteA(nullptr, nullptr, kFeedback, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace vorlane::configurator
