// Edits of files that were changed by hand: the launcher tolerates them, and
// an edit must change what it shows as the edit says, nothing else. What it
// shows before, with the edit applied, is what it shows after.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "configurator/item_list/contact_operations.h"
#include "configurator/item_list/item_operations.h"
#include "configurator/menu_list/menu_operations.h"
#include "launcher/menu_model.h"
#include "settings/ini_document.h"
#include "settings/menu_edits.h"
#include "settings/settings_model.h"

namespace vorlane::configurator {
namespace {

using launcher::MenuEntryKind;
using launcher::PlannedEntry;
using settings::IniDocument;

// Each menu the launcher shows, in order (the standard menu first): its
// label, then one line per entry with what choosing it starts and whether
// its folder shows as a submenu. Last, the contacts of the e-mail submenu.
using Shown = std::vector<std::vector<std::string>>;

std::string EntryLine(IniDocument& doc, int menu, const PlannedEntry& e) {
  if (e.kind == MenuEntryKind::Separator) return "---";
  if (e.itemNo == 0) return e.text;
  const std::string section = settings::ProgramSection(menu);
  return e.text + " | " + settings::Read(doc, section, settings::kProgramToLaunch, e.itemNo) +
         " | " + settings::Read(doc, section, settings::kPar, e.itemNo) + " | " +
         std::to_string(settings::Read(doc, section, settings::kOpenMode, e.itemNo)) +
         " | " + launcher::IconCacheKey(e.icon) +
         (settings::Read(doc, section, settings::kExpand, e.itemNo) == 1 ? " | expanded"
                                                                          : "");
}

Shown LauncherShows(IniDocument& doc) {
  std::vector<std::string> labels{"(standard)"};
  for (const PlannedEntry& e : launcher::PlanMainMenu(doc).entries) {
    if (e.kind == MenuEntryKind::Submenu && e.submenuSlot > launcher::kSystemSlot) {
      labels.push_back(e.text);
    }
  }
  Shown shown;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    // Without the e-mail submenu the first program submenu is at position 3.
    const int position = i == 0 ? 0 : static_cast<int>(i) + 2;
    const std::optional<int> menu = launcher::MenuAtPosition(doc, position);
    std::vector<std::string> lines{labels[i]};
    for (const PlannedEntry& e : launcher::PlanProgramMenu(doc, position, 0)) {
      lines.push_back(EntryLine(doc, menu.value_or(0), e));
    }
    shown.push_back(lines);
  }
  std::vector<std::string> contacts{"(e-mail)"};
  const std::vector<PlannedEntry> mail = launcher::PlanEmailMenu(doc, 0);
  for (std::size_t i = 2; i < mail.size(); ++i) {
    const int number = mail[i].commandId - launcher::CONTACT_COMMAND_BASE;
    contacts.push_back(mail[i].kind == MenuEntryKind::Separator
                           ? "---"
                           : mail[i].text + " | " +
                                 settings::Read(doc, settings::kContactsSection,
                                                settings::kContactEmail, number));
  }
  shown.push_back(contacts);
  return shown;
}

// The changes an edit makes to what is shown.
std::function<void(Shown&)> MenuGone(int position) {
  return [=](Shown& s) { s.erase(s.begin() + position); };
}
std::function<void(Shown&)> EntryGone(int position, int entry) {
  return [=](Shown& s) { s[position].erase(s[position].begin() + 1 + entry); };
}
std::function<void(Shown&)> ContactGone(int contact) {
  return [=](Shown& s) { s.back().erase(s.back().begin() + 1 + contact); };
}
std::function<void(Shown&)> MenuAdded(const std::string& label) {
  return [=](Shown& s) { s.insert(s.end() - 1, {label, "Empty menu"}); };
}

// Three menus of which the second holds five items with every key; the
// third is what `third` adds to [Settings] and the file.
std::string FiveInMenuTwo(const std::string& third, const std::string& sections) {
  return "[Settings]\nMenuCount=3\nMenuOrder=1*2*3*\nMenuName1=Std\nMenuName2=Two\n"
         "Count1=1\nCount2=5\n" + third +
         "[Program locations1]\nProgram1=C:\\s.exe\nDes1=S\n"
    "[Program locations2]\n"
    "Program1=C:\\r1.exe\nDes1=R1\nPar1=-1\nOM1=1\nIcon1=C:\\i.dll,1\n"
    "Program2=C:\\r2.exe\nDes2=R2\nPar2=-2\nOM2=2\nIcon2=C:\\i.dll,2\n"
    "Program3=C:\\r3.exe\nDes3=R3\nPar3=-3\nOM3=3\nIcon3=C:\\i.dll,3\n"
    "Program4=C:\\r4.exe\nDes4=R4\nPar4=-4\nOM4=1\nIcon4=C:\\i.dll,4\n"
         "Program5=C:\\r5.exe\nDes5=R5\nPar5=-5\nOM5=2\nIcon5=C:\\i.dll,5\n" +
         sections;
}

struct DamagedFile {
  const char* damage;
  std::string text;
  std::function<void(settings::SettingsStore&)> edit;
  std::function<void(Shown&)> change;
};

TEST(DamagedFiles, EditsChangeWhatTheLauncherShowsAsTheySay) {
  const std::vector<DamagedFile> files = {
      {"a count above the items its section holds, moved over a fuller menu",
       FiveInMenuTwo("MenuName3=Three\nCount3=5\n",
                     "[Program locations3]\nProgram1=C:\\t1.exe\nDes1=T1\n"
                     "Program2=C:\\t2.exe\nDes2=T2\n"),
       [](settings::SettingsStore& s) { RemoveMenu(s, 1); }, MenuGone(1)},
      {"a count above the items held, expanded folders on both sides",
       FiveInMenuTwo("MenuName3=Three\nCount3=5\n",
                     "Expand4=1\n[Program locations3]\nProgram1=C:\\t1\nDes1=T1\n"
                     "Expand1=1\nProgram2=C:\\t2.exe\nDes2=T2\n"),
       [](settings::SettingsStore& s) { RemoveMenu(s, 1); }, MenuGone(1)},
      {"a menu without MenuName or Count key",
       FiveInMenuTwo("", ""),
       [](settings::SettingsStore& s) { RemoveMenu(s, 1); }, MenuGone(1)},
      {"a menu with a count but no MenuName key",
       "[Settings]\nMenuCount=3\nMenuOrder=1*2*3*\nMenuName2=Two\nCount2=1\nCount3=1\n"
       "[Program locations2]\nProgram1=C:\\a.exe\nDes1=A\n"
       "[Program locations3]\nProgram1=C:\\b.exe\nDes1=B\n",
       [](settings::SettingsStore& s) { RemoveMenu(s, 1); }, MenuGone(1)},
      {"stale and repeated tokens in MenuOrder",
       "[Settings]\nMenuCount=3\nMenuOrder=1*7*3*2*0*3*\nMenuName2=Two\nMenuName3=Three\n"
       "Count2=1\nCount3=1\n"
       "[Program locations2]\nProgram1=C:\\a.exe\nDes1=A\n"
       "[Program locations3]\nProgram1=C:\\b.exe\nDes1=B\n",
       [](settings::SettingsStore& s) { RemoveMenu(s, 2); }, MenuGone(2)},
      {"a menu counted but not in MenuOrder",
       "[Settings]\nMenuCount=3\nMenuOrder=1*2*\nMenuName2=Two\nMenuName3=Three\n"
       "Count2=1\nCount3=1\n[Program locations3]\nProgram1=C:\\b.exe\nDes1=B\n",
       [](settings::SettingsStore& s) { RemoveMenu(s, 1); }, MenuGone(1)},
      {"an item count above the items held",
       "[Settings]\nMenuCount=1\nMenuOrder=1*\nCount1=5\n"
       "[Program locations1]\nProgram1=C:\\a.exe\nDes1=A\nProgram2=C:\\b.exe\nDes2=B\n",
       [](settings::SettingsStore& s) { RemoveItems(s, 1, {1}); }, EntryGone(0, 0)},
      {"items held with a gap below the count",
       "[Settings]\nMenuCount=1\nMenuOrder=1*\nCount1=6\n"
       "[Program locations1]\nProgram1=C:\\a.exe\nDes1=A\nProgram2=C:\\b.exe\nDes2=B\n"
       "Program5=C:\\e.exe\nDes5=E\nPar5=-e\n",
       [](settings::SettingsStore& s) { RemoveItems(s, 1, {2}); }, EntryGone(0, 1)},
      {"expanded folders with a gap below the count",
       "[Settings]\nMenuCount=1\nMenuOrder=1*\nCount1=6\n"
       "[Program locations1]\nProgram1=C:\\a\nDes1=A\nProgram2=C:\\b\nDes2=B\n"
       "Expand2=1\nProgram5=C:\\e\nDes5=E\nExpand5=1\n",
       [](settings::SettingsStore& s) { RemoveItems(s, 1, {1}); }, EntryGone(0, 0)},
      {"an item removed that the section does not hold",
       "[Settings]\nMenuCount=1\nMenuOrder=1*\nCount1=5\n"
       "[Program locations1]\nProgram1=C:\\a.exe\nDes1=A\nProgram2=C:\\b.exe\nDes2=B\n",
       [](settings::SettingsStore& s) { RemoveItems(s, 1, {4}); }, EntryGone(0, 3)},
      {"a contact count above the contacts held",
       "[Settings]\nContactCount=5\n"
       "[Emailcontacts]\nName1=Ann\nEmail1=ann@x.org\nName2=Bo\nEmail2=bo@x.org\n",
       [](settings::SettingsStore& s) { RemoveContacts(s, {1}); }, ContactGone(0)},
      {"a last token without its star",
       "[Settings]\nMenuCount=2\nMenuOrder=1*2\nMenuName2=Two\n",
       [](settings::SettingsStore& s) { settings::AddMenu(s); }, MenuAdded("Menu3")},
      {"a stale token of the next number",
       "[Settings]\nMenuCount=2\nMenuOrder=1*3*2*\nMenuName2=Two\n",
       [](settings::SettingsStore& s) { settings::AddMenu(s); }, MenuAdded("Menu3")},
  };
  for (const DamagedFile& file : files) {
    SCOPED_TRACE(file.damage);
    IniDocument doc = IniDocument::Parse(file.text);
    Shown expected = LauncherShows(doc);
    file.change(expected);
    file.edit(doc);
    EXPECT_EQ(LauncherShows(doc), expected) << file.damage << " in\n" << doc.Text();
  }
}

}  // namespace
}  // namespace vorlane::configurator
