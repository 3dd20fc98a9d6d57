// What choosing an entry does: which file is opened how, which menu an
// entry belongs to, and the texts the user sees when it fails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/command_plan.h"
#include "settings/ini_document.h"

namespace vorlane::launcher {
namespace {

using settings::IniDocument;

EntryRef ItemRef(int menuRef, int itemNo) {
  return {MenuEntryKind::Item, static_cast<std::int16_t>(menuRef), itemNo, 0};
}

// An entry list whose entry `index` is the given one.
std::vector<EntryRef> ListWith(std::size_t index, EntryRef entry) {
  std::vector<EntryRef> list(index + 1, EntryRef{MenuEntryKind::Separator, 0, 0, 0});
  list[index] = entry;
  return list;
}

const char kIni[] = "D:\\cfg\\my.ini";

TEST(LaunchItem, DefaultNotepad) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\n[Program locations1]\n"
      "Program2=C:\\windows\\notepad.exe\nDes2=Notepad\n");
  const CommandPlan plan =
      PlanCommand(doc, ListWith(12, ItemRef(1, 2)), 10011, kIni);
  ASSERT_EQ(plan.action, CommandAction::LaunchItem);
  EXPECT_EQ(plan.launch.file, "C:\\windows\\notepad.exe");
  EXPECT_EQ(plan.launch.parameters, "");
  EXPECT_EQ(plan.launch.directory, "C:\\windows\\");
  EXPECT_TRUE(plan.launch.useDirectory);
  EXPECT_EQ(plan.launch.showCommand, 1);
}

TEST(LaunchItem, OpenModesBecomeShowCommands) {
  EXPECT_EQ(ShowCommandFor(0), 1);
  EXPECT_EQ(ShowCommandFor(1), 2);
  EXPECT_EQ(ShowCommandFor(2), 3);
  EXPECT_EQ(ShowCommandFor(3), 0);
  EXPECT_EQ(ShowCommandFor(7), 7);
  EXPECT_EQ(ShowCommandFor(-4), -4);
}

TEST(LaunchItem, ParametersOpenModeAndRelativePaths) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\nenableRelativePaths=1\n[Program locations1]\n"
      "Program1=tool.exe\nPar1=-x \"a b\"\nOM1=3\n");
  const CommandPlan plan = PlanCommand(doc, ListWith(9, ItemRef(1, 1)), 10008, kIni);
  EXPECT_EQ(plan.launch.parameters, "-x \"a b\"");
  EXPECT_EQ(plan.launch.showCommand, 0);
  EXPECT_FALSE(plan.launch.useDirectory);
  EXPECT_EQ(plan.launch.directory, "tool.exe");  // no backslash: all of it
}

// The file an item of the entry at `menuRef` (its slot + 1) starts.
std::string StartedFrom(IniDocument& doc, int menuRef) {
  return PlanCommand(doc, ListWith(20, ItemRef(menuRef, 1)), 10019, kIni)
      .launch.file;
}

TEST(LaunchItem, SubmenuPositionFindsItsMenuThroughMenuOrder) {
  const std::string items =
      "[Program locations1]\nProgram1=C:\\one.exe\n"
      "[Program locations2]\nProgram1=C:\\two.exe\n"
      "[Program locations3]\nProgram1=C:\\three.exe\n";
  // "Email" at position 3; position 5 shows the third token, menu 2.
  IniDocument email = IniDocument::Parse(
      "[Settings]\nShowEmailItem=1\nMenuOrder=1*3*2*\nMenuCount=3\n" + items);
  EXPECT_EQ(StartedFrom(email, 5), "C:\\two.exe");
  EXPECT_EQ(StartedFrom(email, 4), "C:\\three.exe");
  // A hand-edited order: menu 2 is the standard menu, then "One" (menu 1)
  // and "Three", as the labels show them; the repeated 2 shows once.
  IniDocument edited = IniDocument::Parse(
      "[Settings]\nMenuOrder=2*1*2*3*\nMenuCount=3\n" + items);
  EXPECT_EQ(StartedFrom(edited, 1), "C:\\two.exe");
  EXPECT_EQ(StartedFrom(edited, 3), "C:\\one.exe");
  EXPECT_EQ(StartedFrom(edited, 4), "C:\\three.exe");
}

TEST(LaunchItem, LocationsAreCutAt254Characters) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\n[Program locations1]\nProgram1=C:\\" +
      std::string(400, 'p') + "\nPar1=" + std::string(400, 'q') + "\n");
  const CommandPlan plan = PlanCommand(doc, ListWith(9, ItemRef(1, 1)), 10008, kIni);
  EXPECT_EQ(plan.launch.file.size(), 254u);
  EXPECT_EQ(plan.launch.parameters.size(), 254u);
}

// A secure address with a query, or any location that begins with a URL
// scheme, starts whole: its "?" are no batch.
TEST(LaunchItem, WebAddressWithQuestionMarkIsNoBatch) {
  for (const char* web : {"www.example.org/?q=1", "https://example.org/search?q=vorlane",
                          "ftp://host/a?b?", "MAILTO:ann@example.org?subject=Hi"}) {
    SCOPED_TRACE(web);
    IniDocument doc = IniDocument::Parse(
        std::string("[Settings]\nMenuOrder=1*\n[Program locations1]\nProgram1=") + web +
        "\n");
    const CommandPlan plan = PlanCommand(doc, ListWith(9, ItemRef(1, 1)), 10008, kIni);
    EXPECT_EQ(plan.action, CommandAction::LaunchItem);
    EXPECT_EQ(plan.launch.file, web);
  }
}

TEST(LaunchBatch, ElementsInOrderWithoutEmptyOnes) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\n[Program locations1]\n"
      "Program1=C:\\a.exe??C:\\b.txt?\n");
  const CommandPlan plan = PlanCommand(doc, ListWith(9, ItemRef(1, 1)), 10008, kIni);
  ASSERT_EQ(plan.action, CommandAction::LaunchBatch);
  EXPECT_EQ(plan.batch, (std::vector<std::string>{"C:\\a.exe", "C:\\b.txt"}));
  EXPECT_TRUE(BatchElements("?").empty());
  EXPECT_EQ(BatchElements("x"), (std::vector<std::string>{"x"}));
}

TEST(ChosenIdentifiers, OutsideTheEntryListStartNothing) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\n[Program locations1]\nProgram1=C:\\a.exe\n");
  const std::vector<EntryRef> list = ListWith(9, ItemRef(1, 1));
  EXPECT_EQ(PlanCommand(doc, list, 10009, kIni).action, CommandAction::Nothing);
  EXPECT_EQ(PlanCommand(doc, list, 19999, kIni).action, CommandAction::Nothing);
  EXPECT_EQ(PlanCommand(doc, list, 10000, kIni).action, CommandAction::Nothing)
      << "index 1 is a separator";
  EXPECT_EQ(PlanCommand(doc, list, 0, kIni).action, CommandAction::Nothing);
  EXPECT_EQ(PlanCommand(doc, list, CMD_NONE, kIni).action, CommandAction::Nothing);
  EXPECT_EQ(PlanCommand(doc, list, 30000, kIni).action, CommandAction::Nothing);
}

TEST(ChosenIdentifiers, MenuOrderWithoutTheTokenStartsNothing) {
  IniDocument doc = IniDocument::Parse("[Settings]\nMenuOrder=1*\n");
  EXPECT_EQ(PlanCommand(doc, ListWith(9, ItemRef(4, 1)), 10008, kIni).action,
            CommandAction::Nothing);
}

using Places = std::vector<std::string>;

// Beside the settings file first, then beside the launcher when it lives
// elsewhere (Vorlane.exe D:\cfg\my.ini).
TEST(FixedCommands, ConfiguratorModesBesideTheSettingsFileThenTheLauncher) {
  IniDocument doc;
  const CommandPlan options = PlanCommand(doc, {}, CMD_OPTIONS, kIni, "C:\\Tools");
  EXPECT_EQ(options.action, CommandAction::StartConfigurator);
  EXPECT_EQ(options.places, (Places{"D:\\cfg\\config.exe", "C:\\Tools\\config.exe"}));
  EXPECT_EQ(options.parameters, "2 D:\\cfg\\my.ini");
  EXPECT_EQ(PlanCommand(doc, {}, CMD_OPTIONS, kIni, "d:\\CFG").places,
            (Places{"D:\\cfg\\config.exe"}))
      << "one folder, written in another case";
  EXPECT_EQ(PlanCommand(doc, {}, CMD_CONFIG, kIni).parameters, "1 D:\\cfg\\my.ini");
  EXPECT_EQ(PlanCommand(doc, {}, CMD_ABOUT, kIni).parameters, "4 D:\\cfg\\my.ini");
}

TEST(FixedCommands, ConfiguratorParametersAreCutAt255Characters) {
  IniDocument doc;
  const std::string longPath = "D:\\" + std::string(400, 'c') + "\\my.ini";
  EXPECT_EQ(PlanCommand(doc, {}, CMD_CONFIG, longPath).parameters.size(), 255u);
}

TEST(FixedCommands, HelpDonateRunMailAndExit) {
  IniDocument doc;
  EXPECT_EQ(PlanCommand(doc, {}, CMD_HELP, kIni, "C:\\Tools").places,
            (Places{"D:\\cfg\\Vorlane.hlp", "D:\\cfg\\Vorlane.html",
                    "C:\\Tools\\Vorlane.html"}));
  const CommandPlan donate = PlanCommand(doc, {}, CMD_DONATE, kIni);
  EXPECT_EQ(donate.action, CommandAction::OpenDonationPage);
  EXPECT_EQ(donate.target.rfind("http://", 0), 0u);
  EXPECT_NE(donate.target.find("/vorlane/donate.html"), std::string::npos);
  EXPECT_EQ(PlanCommand(doc, {}, CMD_RUN, kIni).action, CommandAction::ShowRunDialog);
  EXPECT_EQ(PlanCommand(doc, {}, CMD_BLANK_EMAIL, kIni).target, "mailto:");
  EXPECT_EQ(PlanCommand(doc, {}, CMD_EXIT, kIni).action, CommandAction::Exit);
}

TEST(Contacts, MailtoWithTheAddressCutTo255Characters) {
  IniDocument doc = IniDocument::Parse(
      "[Emailcontacts]\nEmail2=bo@example.org\nEmail3=" + std::string(300, 'e') +
      "\n");
  EXPECT_EQ(PlanCommand(doc, {}, 20001, kIni).target, "mailto:bo@example.org");
  EXPECT_EQ(PlanCommand(doc, {}, 20002, kIni).target.size(), 255u);
}

TEST(FailureTexts, EverySuffix) {
  const std::string head = "The program/folder/file could not be started:\r\n";
  const std::vector<std::pair<unsigned long, std::string>> cases = {
      {2, "the file was not found."},
      {3, "the path was not found."},
      {5, "access was denied."},
      {8, "there is not enough memory."},
      {32, "sharing violation."},
      {1155, "no association exist for this file type."},
      {1156, "DDE transation failure."},
      {1157, "there is a DLL missing."},
      {1223, "the request was cancelled."},
      {193, "but the error is unknown."},
      {0, "but the error is unknown."}};
  for (const auto& [code, suffix] : cases) {
    EXPECT_EQ(LaunchFailureText(code), head + suffix) << code;
  }
}

}  // namespace
}  // namespace vorlane::launcher
