// The configurator's decisions and rewrites over an in-memory settings
// file: the menu list, the menu edits with their edge cases and damaged
// files, edits collected and stored at once, the command line, and what a
// row or a selection shows.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "config_ids.h"
#include "configurator/config_app/command_line.h"
#include "configurator/config_dialog/config_view.h"
#include "configurator/controls/window_placement.h"
#include "configurator/item_list/item_operations.h"
#include "configurator/menu_list/menu_operations.h"
#include "configurator/options_dialog/options_logic.h"
#include "launcher/menu_model.h"
#include "settings/ini_document.h"
#include "settings/menu_edits.h"
#include "settings/settings_edit.h"

namespace vorlane::configurator {
namespace {

using settings::IniDocument;

std::string Get(IniDocument& doc, const std::string& section,
                const std::string& key) {
  return doc.ReadString(section, key, "<absent>", 100000);
}

std::vector<std::string> Names(IniDocument& doc) {
  std::vector<std::string> names;
  for (const MenuLine& line : ReadMenuList(doc)) names.push_back(line.name);
  return names;
}

// Three menus with two items each, named after their menu and item.
IniDocument ThreeMenus(const std::string& order = "1*2*3*") {
  std::string text = "[Settings]\nMenuCount=3\nMenuOrder=" + order + "\n";
  for (int m = 1; m <= 3; ++m) {
    text += "MenuName" + std::to_string(m) + "=M" + std::to_string(m) + "\n";
    text += "Count" + std::to_string(m) + "=2\n";
  }
  for (int m = 1; m <= 3; ++m) {
    text += "[Program locations" + std::to_string(m) + "]\n";
    for (int i = 1; i <= 2; ++i) {
      const std::string id = std::to_string(m) + std::to_string(i);
      const std::string n = std::to_string(i);
      text += "Program" + n + "=C:\\p" + id + ".exe\nDes" + n + "=d" + id +
              "\nPar" + n + "=-x" + id + "\nOM" + n + "=2\nIcon" + n +
              "=C:\\i" + id + ".ico,1\n";
    }
  }
  return IniDocument::Parse(text);
}

TEST(MenuList, FollowsMenuOrderAndNamesTheNumbers) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuCount=2\nMenuOrder=2*1*\nMenuName1=A\nMenuName2=B\n");
  EXPECT_EQ(Names(doc), (std::vector<std::string>{"B", "A"}));
  EXPECT_EQ(MenuNumberAt(doc, 0), 2);
  EXPECT_EQ(MenuNumberAt(doc, 1), 1);
  EXPECT_EQ(MenuNumberAt(doc, 2), 0) << "the Email Menu line";
}

// The configurator lists what the launcher shows, so that every menu the
// user sees can be edited and no line edits a menu nobody sees.
TEST(MenuList, ReadsADamagedOrderAsTheLauncherDoes) {
  IniDocument noLastStar = IniDocument::Parse(
      "[Settings]\nMenuCount=2\nMenuOrder=1*2\nMenuName1=A\nMenuName2=B\n");
  EXPECT_EQ(Names(noLastStar), (std::vector<std::string>{"A", "B"}));

  IniDocument empty = IniDocument::Parse("[Settings]\nMenuName=x\nMenuCount=2\n");
  EXPECT_TRUE(ReadMenuList(empty).empty());
  EXPECT_EQ(MenuNumberAt(empty, 0), 0);

  IniDocument damaged = IniDocument::Parse(
      "[Settings]\nMenuCount=2\nMenuOrder=1*9*2*1*0*-4*\nMenuName2=B\n");
  ASSERT_EQ(ReadMenuList(damaged).size(), 2u);
  EXPECT_EQ(MenuNumberAt(damaged, 1), 2);
  for (const char* count : {"-1", "100001"}) {
    IniDocument bad = IniDocument::Parse(
        std::string("[Settings]\nMenuCount=") + count + "\nMenuOrder=1*2*3*\n");
    EXPECT_EQ(ReadMenuList(bad).size(), 1u) << count;
  }
}

// However long MenuOrder grows, the configurator lists the menus the tray
// shows, in its order: 120 menus take far more than one line of text, and
// a cut would fall inside a number.
TEST(MenuList, LongOrderListsWhatTheLauncherShows) {
  std::string text = "[Settings]\nMenuCount=120\nMenuOrder=1*";
  for (int m = 120; m >= 2; --m) text += std::to_string(m) + "*";
  text += "\n";
  for (int m = 1; m <= 120; ++m) {
    text += "MenuName" + std::to_string(m) + "=Menu number " + std::to_string(m) + "\n";
  }
  IniDocument doc = IniDocument::Parse(text);
  const std::vector<MenuLine> lines = ReadMenuList(doc);
  ASSERT_EQ(lines.size(), 120u);

  std::vector<std::string> labels;
  for (const launcher::PlannedEntry& e : launcher::PlanMainMenu(doc).entries) {
    if (e.kind == launcher::MenuEntryKind::Submenu && e.submenuSlot > launcher::kSystemSlot) {
      labels.push_back(e.text);
    }
  }
  std::vector<std::string> listed;
  for (std::size_t i = 1; i < lines.size(); ++i) listed.push_back(lines[i].name);
  ASSERT_EQ(labels.size(), listed.size());
  EXPECT_EQ(labels, listed);
  // Without the e-mail submenu the first program submenu is at position 3.
  EXPECT_EQ(launcher::MenuAtPosition(doc, 0), lines[0].number);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    ASSERT_EQ(launcher::MenuAtPosition(doc, static_cast<int>(i) + 2), lines[i].number) << i;
  }
}

TEST(MenuMoves, SwapNeighboursAndRefuseAtTheEnds) {
  IniDocument doc = ThreeMenus();
  EXPECT_TRUE(MoveMenuUp(doc, 2));
  EXPECT_EQ(Get(doc, "Settings", "MenuOrder"), "1*3*2*");
  EXPECT_TRUE(MoveMenuDown(doc, 1));
  EXPECT_EQ(Get(doc, "Settings", "MenuOrder"), "1*2*3*");

  const std::string before = doc.Text();
  EXPECT_FALSE(MoveMenuUp(doc, 1)) << "nothing moves above the standard menu";
  EXPECT_FALSE(MoveMenuUp(doc, 0));
  EXPECT_FALSE(MoveMenuDown(doc, 0)) << "the standard menu stays first";
  EXPECT_FALSE(MoveMenuDown(doc, 2)) << "the last menu";
  EXPECT_FALSE(MoveMenuUp(doc, 3)) << "the Email Menu line";
  EXPECT_EQ(doc.Text(), before);
}

TEST(MenuRename, StoresTheNameAsTypedAndNeverForEmail) {
  IniDocument doc = ThreeMenus("1*3*2*");
  RenameMenu(doc, 1, "   ");
  EXPECT_EQ(doc.ReadString("Settings", "MenuName3", "", 63), "   ");
  const std::string before = doc.Text();
  RenameMenu(doc, 3, "Email");
  EXPECT_EQ(doc.Text(), before);
}

TEST(MenuRemoval, MovesEveryHigherMenuDownWithItsItems) {
  IniDocument doc = ThreeMenus();
  ASSERT_TRUE(RemoveMenu(doc, 1));
  EXPECT_EQ(Get(doc, "Settings", "MenuCount"), "2");
  EXPECT_EQ(Get(doc, "Settings", "MenuOrder"), "1*2*");
  EXPECT_EQ(Get(doc, "Settings", "MenuName2"), "M3");
  EXPECT_EQ(Get(doc, "Settings", "MenuName3"), "M3") << "left beyond the count";
  EXPECT_EQ(Get(doc, "Settings", "Count2"), "2");
  EXPECT_EQ(Get(doc, "Settings", "Count3"), "0");
  EXPECT_EQ(Get(doc, "Program locations2", "Program2"), "C:\\p32.exe");
  EXPECT_EQ(Get(doc, "Program locations2", "Icon1"), "C:\\i31.ico,1");
  EXPECT_EQ(Get(doc, "Program locations2", "OM1"), "2");
  EXPECT_EQ(Get(doc, "Program locations3", "Program1"), "");
  EXPECT_EQ(Get(doc, "Program locations3", "OM2"), "0");
  EXPECT_EQ(Get(doc, "Program locations1", "Des1"), "d11");
}

// A menu moved down takes its folders' Expand with it; the slots it leaves
// and the menu it replaces keep no Expand that would turn another folder
// into a submenu.
TEST(MenuRemoval, ExpandMovesWithItsItemAndLeavesNoneBehind) {
  IniDocument doc = ThreeMenus();
  doc.WriteString("Program locations3", "Expand2", "1");
  doc.WriteString("Program locations2", "Expand1", "1");
  doc.WriteString("Program locations1", "Expand1", "1");
  ASSERT_TRUE(RemoveMenu(doc, 1));
  EXPECT_EQ(Get(doc, "Program locations2", "Expand2"), "1");
  EXPECT_EQ(Get(doc, "Program locations2", "Expand1"), "<absent>");
  EXPECT_EQ(Get(doc, "Program locations3", "Expand2"), "<absent>");
  EXPECT_EQ(Get(doc, "Program locations1", "Expand1"), "1");

  // A counted item of which the file holds nothing but Expand still moves.
  IniDocument bare = ThreeMenus();
  bare.WriteString("Settings", "Count3", "3");
  bare.WriteString("Program locations3", "Expand3", "1");
  ASSERT_TRUE(RemoveMenu(bare, 1));
  EXPECT_EQ(Get(bare, "Program locations2", "Expand3"), "1");
  EXPECT_EQ(Get(bare, "Program locations3", "Expand3"), "<absent>");

  // The highest menu removed: nothing moves into its number, and a menu
  // added there later starts without the removed one's folders.
  IniDocument last = ThreeMenus();
  last.WriteString("Program locations3", "Expand1", "1");
  ASSERT_TRUE(RemoveMenu(last, 2));
  EXPECT_EQ(Get(last, "Program locations3", "Expand1"), "<absent>");

  // A file that never held the key gains none from any menu edit.
  IniDocument plain = ThreeMenus();
  ASSERT_TRUE(RemoveMenu(plain, 1));
  EXPECT_EQ(plain.Text().find("Expand"), std::string::npos);
}

TEST(MenuRemoval, RenumbersTheOrderAndDropsTheRemovedMenu) {
  IniDocument doc = ThreeMenus("1*3*2*");
  ASSERT_TRUE(RemoveMenu(doc, 2));
  EXPECT_EQ(Get(doc, "Settings", "MenuOrder"), "1*2*");
  EXPECT_EQ(Get(doc, "Settings", "MenuName2"), "M3");

  IniDocument repeated = ThreeMenus("1*2*3*2*");
  ASSERT_TRUE(RemoveMenu(repeated, 1));
  EXPECT_EQ(Get(repeated, "Settings", "MenuOrder"), "1*2*");

  // Tokens no reader showed are not carried over to name a menu later.
  IniDocument stale = ThreeMenus("1*7*3*0*2*3*");
  ASSERT_TRUE(RemoveMenu(stale, 2));
  EXPECT_EQ(Get(stale, "Settings", "MenuOrder"), "1*2*");
}

TEST(MenuRemoval, HighestMenuLeavesAnEmptyNumberForTheNextAdd) {
  for (const char* order : {"1*2*3*", "1*3*2*"}) {
    SCOPED_TRACE(order);
    IniDocument doc = ThreeMenus(order);
    const int position = std::string(order) == "1*2*3*" ? 2 : 1;
    ASSERT_TRUE(RemoveMenu(doc, position));
    EXPECT_EQ(Get(doc, "Settings", "MenuCount"), "2");
    EXPECT_EQ(Get(doc, "Settings", "Count3"), "0");
    EXPECT_EQ(Get(doc, "Program locations3", "Des2"), "");
    EXPECT_EQ(settings::AddMenu(doc), 3);
    EXPECT_EQ(Get(doc, "Settings", "MenuName3"), "Menu3");
    EXPECT_EQ(doc.ReadInt("Settings", "Count3", -1), 0);
    EXPECT_EQ(Names(doc).size(), 3u);
  }
}

TEST(MenuRemoval, RefusesTheStandardAndEmailLines) {
  IniDocument doc = ThreeMenus();
  const std::string before = doc.Text();
  EXPECT_FALSE(RemoveMenu(doc, 0));
  EXPECT_FALSE(RemoveMenu(doc, 3));
  EXPECT_EQ(doc.Text(), before);
}

// Damage in the file bounds the work and the keys written: a MenuCount
// far above the menus stored writes no keys for numbers never used, and a
// value longer than any reader's buffer moves whole.
TEST(MenuRemoval, DamagedCountsAndLongValues) {
  const std::string longValue(5000, 'v');
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuCount=100000\nMenuOrder=1*2*3*\nMenuName2=B\n"
      "MenuName3=" + longValue + "\nCount2=1\nCount3=100000\n"
      "[Program locations3]\nProgram1=" + longValue + "\nDes1=x\n");
  ASSERT_TRUE(RemoveMenu(doc, 1));
  EXPECT_EQ(Get(doc, "Settings", "MenuName2"), longValue);
  EXPECT_EQ(Get(doc, "Program locations2", "Program1"), longValue);
  EXPECT_EQ(Get(doc, "Settings", "MenuCount"), "99999");
  EXPECT_EQ(Get(doc, "Settings", "MenuName4"), "<absent>");
  EXPECT_EQ(Get(doc, "Program locations2", "Program2"), "<absent>");
  EXPECT_LT(doc.Text().size(), 3 * longValue.size() + 1000);
}

// An edit holds its writes and stores them at once; the file must then be
// what the same writes made one by one leave, in every section, whether a
// section is written key by key or whole.
TEST(SettingsEdit, LeavesWhatKeyByKeyWritesLeave) {
  const std::string text =
      "[Settings]\n; kept\nMenuCount=3\nb\nMenuName1=\"q\"\nMENUNAME1=dup\n"
      "[Program locations1]\nProgram1=a\nDes1=b\n[Other]\nx=1\n";
  for (int keys : {2, 40}) {
    SCOPED_TRACE(keys);
    IniDocument direct = IniDocument::Parse(text);
    IniDocument file = IniDocument::Parse(text);
    settings::SettingsEdit edit(file);
    for (settings::SettingsStore* store :
         std::vector<settings::SettingsStore*>{&direct, &edit}) {
      store->WriteString("settings", "menuname1", store->ReadString(
          "Settings", "MenuCount", "", 10) + "!");
      store->WriteString("Program Locations1", "Des1", "b");
      store->WriteString("Program Locations1", "B", "new");
      for (int i = 0; i < keys; ++i) {
        store->WriteString("Program locations9", "K" + std::to_string(i % 30),
                           std::to_string(i));
      }
      store->WriteString("Settings", "Count1", "7");
      // Taken away: a key of the file, one the edit wrote, one never there.
      store->DeleteKey("program locations1", "DES1");
      store->DeleteKey("Program locations9", "K1");
      store->DeleteKey("Program locations1", "Expand1");
      // Taken away and written again, unchanged: it now ends its section.
      store->DeleteKey("Program locations1", "Program1");
      store->WriteString("Program locations1", "Program1", "a");
    }
    EXPECT_EQ(edit.ReadString("Program locations1", "Des1", "gone", 10), "gone");
    EXPECT_EQ(edit.ReadString("Settings", "MenuName1", "", 10), "3!");
    EXPECT_TRUE(edit.Commit());
    EXPECT_EQ(file.Text(), direct.Text());
  }
}

class RefusingStore final : public settings::SettingsStore {
 public:
  std::string ReadString(std::string_view, std::string_view,
                         std::string_view fallback, std::size_t) override {
    return std::string(fallback);
  }
  int ReadInt(std::string_view, std::string_view, int fallback) override {
    return fallback;
  }
  bool WriteString(std::string_view, std::string_view, std::string_view) override {
    return false;
  }
  bool DeleteKey(std::string_view, std::string_view) override { return false; }
  settings::SectionRead ReadSection(std::string_view) override {
    return {settings::SectionRead::Outcome::Whole, std::string(1, '\0')};
  }
  bool WriteSection(std::string_view, std::string_view) override { return false; }
  std::optional<std::set<std::string>> SectionsWithHiddenLines() override {
    return std::set<std::string>();
  }
};

// An in-memory file whose section reads can find the file unreadable or a
// section too large, and whose look for hidden lines can fail.
class DamagedReads final : public settings::SettingsStore {
 public:
  explicit DamagedReads(IniDocument& doc) : doc_(doc) {}

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t limit) override {
    return doc_.ReadString(section, key, fallback, limit);
  }
  int ReadInt(std::string_view section, std::string_view key, int fallback) override {
    return doc_.ReadInt(section, key, fallback);
  }
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override {
    return doc_.WriteString(section, key, value);
  }
  bool DeleteKey(std::string_view section, std::string_view key) override {
    return doc_.DeleteKey(section, key);
  }
  settings::SectionRead ReadSection(std::string_view section) override {
    const std::string name(section);
    if (unreadable.count(name)) return {settings::SectionRead::Outcome::Unreadable, {}};
    if (tooLarge.count(name)) return {settings::SectionRead::Outcome::TooLarge, {}};
    return doc_.ReadSection(section);
  }
  bool WriteSection(std::string_view section, std::string_view data) override {
    return doc_.WriteSection(section, data);
  }
  std::optional<std::set<std::string>> SectionsWithHiddenLines() override {
    if (hiddenLookFails) return std::nullopt;
    return doc_.SectionsWithHiddenLines();
  }

  std::set<std::string> unreadable, tooLarge;  // section names as the edits spell them
  bool hiddenLookFails = false;

 private:
  IniDocument& doc_;
};

std::vector<ItemFields> Files(int count) {
  std::vector<ItemFields> files;
  for (int i = 1; i <= count; ++i) {
    files.push_back({"C:\\f" + std::to_string(i) + ".txt", "f" + std::to_string(i), "", "", 0});
  }
  return files;
}

// A file that could not be read reads as empty: an edit computed on that
// would write Count1=1 and item 1 over what the file holds, or rewrite the
// section with nothing but its own keys. Nothing is written at all, also
// not what the edit wrote before the failed read.
TEST(SettingsEdit, WritesNothingWhenAReadFailed) {
  const std::string text = ThreeMenus().Text();
  IniDocument doc = IniDocument::Parse(text);
  DamagedReads file(doc);
  file.unreadable = {"Program locations1"};
  file.tooLarge = {"Program locations2"};
  for (int files : {1, 20}) {
    SCOPED_TRACE(files);
    settings::SettingsEdit edit(file);
    ASSERT_EQ(AddFileItems(edit, 2, Files(files), "", 0, {}).size(), std::size_t(files));
    EXPECT_FALSE(edit.ReadFailed());
    ASSERT_EQ(AddFileItems(edit, 1, Files(files), "", 0, {}).size(), std::size_t(files));
    EXPECT_TRUE(edit.ReadFailed());
    EXPECT_FALSE(edit.Commit());
    EXPECT_EQ(doc.Text(), text);
  }
}

// Where the look for lines that a whole-section write would lose cannot be
// made, or a section cannot be read whole, the edit is stored key by key:
// comments and lines without "=" stay, and the file is what the same
// writes made one by one leave.
TEST(SettingsEdit, WritesKeyByKeyWhenInDoubt) {
  const std::string text =
      "[Settings]\nMenuCount=2\nCount1=2\nCount2=1\n"
      "[Program locations1]\n; by hand\nProgram1=a\nDes1=A\nstray line\n"
      "Program2=b\nDes2=B\nExpand2=1\n[Program locations2]\nProgram1=c\nDes1=C\n";
  for (bool tooLarge : {false, true}) {
    SCOPED_TRACE(tooLarge ? "section too large" : "hidden-lines look failed");
    IniDocument direct = IniDocument::Parse(text);
    IniDocument doc = IniDocument::Parse(text);
    DamagedReads file(doc);
    file.hiddenLookFails = !tooLarge;
    if (tooLarge) file.tooLarge = {"Program locations1"};
    settings::SettingsEdit edit(file);
    for (settings::SettingsStore* store :
         std::vector<settings::SettingsStore*>{&direct, &edit}) {
      std::vector<ItemFields> files = Files(4);
      files[1].expand = true;
      ASSERT_EQ(AddFileItems(*store, 1, files, "-x", 1, {}).size(), 4u);
      RemoveItems(*store, 1, {1});
    }
    EXPECT_EQ(edit.ReadString("Program locations1", "Expand1", "<absent>", 10), "1");
    EXPECT_EQ(edit.ReadString("Program locations1", "Expand2", "<absent>", 10),
              "<absent>");
    EXPECT_EQ(edit.ReadString("Program locations1", "Expand3", "<absent>", 10), "1");
    EXPECT_EQ(Get(doc, "Program locations1", "Program1"), "a") << "nothing before the commit";
    EXPECT_EQ(edit.ReadString("Program locations1", "Program1", "", 10), "b");
    ASSERT_TRUE(edit.Commit());
    EXPECT_EQ(doc.Text(), direct.Text());
    EXPECT_NE(doc.Text().find("; by hand"), std::string::npos);
  }
}

TEST(SettingsEdit, ReportsAWriteThatFailed) {
  RefusingStore file;
  settings::SettingsEdit edit(file);
  EXPECT_EQ(settings::AddMenu(edit), 1);
  EXPECT_FALSE(edit.Commit());
}

TEST(CommandLine, PathComesAsPassedAfterTheMode) {
  ConfigCommandLine line =
      ParseConfigCommandLine("config.exe 1 C:\\My  Tools\\vorlane.ini ");
  EXPECT_TRUE(line.hasMode);
  EXPECT_EQ(line.mode, ConfigMode::Menus);
  EXPECT_EQ(line.path, "C:\\My  Tools\\vorlane.ini");

  line = ParseConfigCommandLine("\"C:\\a b\\config.exe\"  3  \"C:\\x  y\\v.ini\"");
  EXPECT_EQ(line.mode, ConfigMode::Menus);
  EXPECT_EQ(line.path, "C:\\x  y\\v.ini");

  EXPECT_EQ(ParseConfigCommandLine("config 2 p").mode, ConfigMode::Options);
  EXPECT_EQ(ParseConfigCommandLine("config \"4\"").mode, ConfigMode::About);
  for (const char* odd : {"config 5 p", "config 01 p", "config \"\" p", "config 1x"}) {
    EXPECT_EQ(ParseConfigCommandLine(odd).mode, ConfigMode::Unknown) << odd;
  }
  EXPECT_FALSE(ParseConfigCommandLine("\"C:\\config.exe\"   ").hasMode);
  EXPECT_FALSE(ParseConfigCommandLine("").hasMode);
}

TEST(ItemRows, ImageAndTextFollowTheLocation) {
  EXPECT_EQ(ChooseRowLook("a.exe?b.exe?", "b", false).image, RowImage::Batch);
  for (const char* web : {"http://x", "C:\\page.htm", "www.x.org", "https://x.org/?q=1"}) {
    const RowLook look = ChooseRowLook(web, "w", false);
    EXPECT_EQ(look.image, RowImage::InternetShortcut) << web;
    EXPECT_FALSE(look.checked) << web;
  }
  const RowLook separator = ChooseRowLook("", "", false);
  EXPECT_EQ(separator.image, RowImage::Separator);
  EXPECT_EQ(separator.text, "----------------------");
  EXPECT_TRUE(ChooseRowLook("C:\\gone.exe", "g", true).checked)
      << "a missing program is bad even with its own icon";
  EXPECT_EQ(ChooseRowLook("C:\\a.exe", "", false).image, RowImage::ShellIcon);
}

// Explorer's "Copy as path" puts quotes around the path; a location pasted
// so is taken without them, and only a pair that encloses it all counts.
TEST(ItemFieldsTyped, LocationLosesEnclosingQuotesAndBlanks) {
  EXPECT_EQ(LocationTyped(L"\"C:\\My Docs\\a b.txt\""), L"C:\\My Docs\\a b.txt");
  EXPECT_EQ(LocationTyped(L"  \"C:\\x.exe\"\t"), L"C:\\x.exe");
  EXPECT_EQ(LocationTyped(L"\"a\" \"b\""), L"a\" \"b") << "one pair only";
  EXPECT_EQ(LocationTyped(L"\"C:\\x.exe"), L"\"C:\\x.exe") << "no closing quote";
  EXPECT_EQ(LocationTyped(L"\""), L"\"");
  EXPECT_EQ(LocationTyped(L"   "), L"");
}

TEST(Enabling, MenuSelectionAndItemClick) {
  auto state = [](const std::vector<ControlState>& controls, int id) {
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
      if (it->id == id) return it->enabled ? 1 : 0;
    }
    return -1;
  };
  const MenuSelectionView email = MenuSelectionControls(3, 4);
  EXPECT_TRUE(email.contactMode);
  EXPECT_EQ(state(email.controls, IDC_PARAMETERS), 0);
  EXPECT_EQ(state(email.controls, IDC_ADD_ITEM), 1);
  const MenuSelectionView first = MenuSelectionControls(0, 4);
  EXPECT_EQ(state(first.controls, IDC_REMOVE_MENU), 0);
  EXPECT_EQ(state(first.controls, IDC_PARAMETERS), -1)
      << "left as it was until a row is clicked";
  const MenuSelectionView last = MenuSelectionControls(2, 4);
  EXPECT_EQ(state(last.controls, IDC_MENU_UP), 1);
  EXPECT_EQ(state(last.controls, IDC_MENU_DOWN), 0);

  const auto separator = ItemClickControls(false, 0, 3, true);
  EXPECT_EQ(state(separator, IDC_ADD_ITEM), 0);
  EXPECT_EQ(state(separator, IDC_ITEM_UP), 0);
  EXPECT_EQ(state(separator, IDC_ITEM_DOWN), 1);
  const auto lastRow = ItemClickControls(true, 2, 3, false);
  EXPECT_EQ(state(lastRow, IDC_ITEM_DOWN), 0);
  EXPECT_EQ(state(lastRow, IDC_CHANGE), 1);
  EXPECT_EQ(state(lastRow, IDC_PARAMETERS), -1);
}

}  // namespace
}  // namespace vorlane::configurator

namespace vorlane::configurator {
namespace {

TEST(Options, PauseShownAndStoredWithinOneToTenSeconds) {
  for (const auto& [stored, shown] :
       {std::pair{499, 1}, {10001, 10}, {1500, 1}, {9999, 9}, {-5, 1}}) {
    EXPECT_EQ(PauseSecondsShown(stored), shown) << stored;
  }
  for (const auto& [typed, stored] :
       {std::pair{0, 1000}, {-3, 1000}, {25, 10000}, {7, 7000}}) {
    EXPECT_EQ(PauseToStore(typed), stored) << typed;
  }
}

// The launcher makes its font with FontSize as the height: a size picked
// is stored as the chosen font's height, and what the dialog showed for
// the stored font (a rounded size, another face for an unknown one) and
// the user left alone keeps the stored value.
TEST(Options, FontKeysFromTheFontDialog) {
  const StoredFont stored{"Gone Sans", -10};
  const ShownFont shown{"DejaVu Sans", 80};
  const FontKeys picked =
      FontKeysFor({"Arial", -16, 120, 700, true, false, false}, stored, shown);
  EXPECT_EQ(picked.face, "Arial");
  EXPECT_EQ(picked.size, -16);
  EXPECT_EQ(picked.weight, 700);
  EXPECT_EQ(picked.italic, 1);
  EXPECT_EQ(picked.strikeOut, 0);
  EXPECT_EQ(picked.underline, 0);
  const FontKeys kept =
      FontKeysFor({"DejaVu Sans", -11, 80, 400, false, true, true}, stored, shown);
  EXPECT_EQ(kept.face, "Gone Sans");
  EXPECT_EQ(kept.size, -10);
  EXPECT_EQ(kept.strikeOut, 1);
  const FontKeys unknown =
      FontKeysFor({"DejaVu Sans", -11, 80, 400, false, false, false}, stored, ShownFont{});
  EXPECT_EQ(unknown.face, "DejaVu Sans");
  EXPECT_EQ(unknown.size, -11);

  EXPECT_EQ(PointSizeTenths("10"), 100);
  EXPECT_EQ(PointSizeTenths(" 7.5 "), 75);
  EXPECT_EQ(PointSizeTenths("8,25"), 82);
  for (const char* text : {"", "abc", "12pt", ".5", "999999"}) {
    EXPECT_EQ(PointSizeTenths(text), std::nullopt) << text;
  }
}

TEST(Options, OpenMenuButtonsAndTheRegistrationCommand) {
  EXPECT_EQ(OpenMenuButton(0), IDC_MOUSE_OVER);
  EXPECT_EQ(OpenMenuButton(4), IDC_BOTH_CLICKS);
  EXPECT_EQ(OpenMenuButton(7), 0);
  EXPECT_EQ(OpenMenuButton(-1), 0);
  const std::string library = BesideProgram("C:\\My Tools\\config.exe", "Shellix.dll");
  EXPECT_EQ(library, "C:\\My Tools\\Shellix.dll");
  EXPECT_EQ(RegistrationCommand(library, false),
            "regsvr32.exe /s \"C:\\My Tools\\Shellix.dll\"");
  EXPECT_EQ(RegistrationCommand(library, true),
            "regsvr32.exe /s /u \"C:\\My Tools\\Shellix.dll\"");
}

// A dialog opens centred on the work area of the monitor under the pointer,
// wholly on it where it fits.
// Save writes whenever the file holds other text than the field gives, so
// that a value the launcher cannot use can be cleared.
TEST(Options, HotkeySavedWhenTheFileHoldsOtherText) {
  using Action = HotkeySave::Action;
  struct Case {
    const char* typed;
    std::optional<std::string> stored;
    Action action;
    std::string value;
    bool tryFirst;
  };
  const Case cases[] = {
      {"", std::nullopt, Action::Keep, "", false},
      {"  ", std::string("Ctrl+Hyper"), Action::Remove, "", false},
      {"", std::string(""), Action::Remove, "", false},
      {"Ctrl+Alt+V", std::string("Ctrl+Alt+V"), Action::Keep, "Ctrl+Alt+V", false},
      {"ctrl + alt + v", std::string("Ctrl+Alt+V"), Action::Keep, "Ctrl+Alt+V", false},
      {"Ctrl+Alt+V", std::string("alt+ctrl+v"), Action::Write, "Ctrl+Alt+V", false},
      {"Ctrl+Alt+B", std::string("Ctrl+Alt+V"), Action::Write, "Ctrl+Alt+B", true},
      {"Ctrl+Alt+B", std::string("Ctrl+Hyper"), Action::Write, "Ctrl+Alt+B", true},
      {"Ctrl+Alt+B", std::nullopt, Action::Write, "Ctrl+Alt+B", true},
  };
  for (const Case& c : cases) {
    const HotkeySave save = PlanHotkeySave(c.typed, c.stored);
    const std::string what = std::string(c.typed) + " over " + c.stored.value_or("<none>");
    EXPECT_EQ(save.action, c.action) << what;
    if (c.action == Action::Write) {
      EXPECT_EQ(save.value, c.value) << what;
      EXPECT_EQ(save.tryFirst, c.tryFirst) << what;
    }
  }
  const HotkeySave refused = PlanHotkeySave("Ctrl+C", std::string("Ctrl+Alt+V"));
  EXPECT_EQ(refused.action, Action::Refuse);
  EXPECT_EQ(refused.problem, settings::HotkeyProblem::kEditingChord);
}

TEST(WindowPlacement, CentresOnTheWorkArea) {
  const ScreenPoint corner = CentredOn({0, 0, 1024, 738}, 400, 300);
  EXPECT_EQ(corner.x, 312);
  EXPECT_EQ(corner.y, 219);
}

TEST(WindowPlacement, CentresOnAMonitorLeftOfThePrimary) {
  const ScreenPoint corner = CentredOn({-1280, -200, 0, 824}, 400, 300);
  EXPECT_EQ(corner.x, -840);
  EXPECT_EQ(corner.y, 162);
}

TEST(WindowPlacement, KeepsTheTopLeftOfAWindowLargerThanTheWorkArea) {
  const ScreenPoint corner = CentredOn({-1280, 40, 0, 800}, 1400, 900);
  EXPECT_EQ(corner.x, -1280);
  EXPECT_EQ(corner.y, 40);
}

}  // namespace
}  // namespace vorlane::configurator
