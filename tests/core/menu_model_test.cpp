// Which entries each popup holds, in which slot and with which identifiers,
// decided from settings files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "generated_menu_file.h"
#include "launcher/menu_model.h"
#include "settings/ini_document.h"

namespace vorlane::launcher {
namespace {

using settings::IniDocument;

// One line per entry of the slot: "banner", "---", "> Name @slot" for a
// submenu entry, "Text menuRef/itemNo #identifier" for an item.
std::vector<std::string> Describe(const std::vector<PlannedEntry>& entries,
                                  int slot) {
  std::vector<std::string> lines;
  for (const PlannedEntry& e : entries) {
    if (e.slot != slot) continue;
    switch (e.kind) {
      case MenuEntryKind::Banner:
        lines.push_back("banner");
        break;
      case MenuEntryKind::Separator:
        lines.push_back("---");
        break;
      case MenuEntryKind::Submenu:
        lines.push_back("> " + e.text + " @" + std::to_string(e.submenuSlot));
        break;
      case MenuEntryKind::Item:
        lines.push_back(e.text + " " + std::to_string(e.menuRef) + "/" +
                        std::to_string(e.itemNo) + " #" +
                        std::to_string(e.commandId));
        break;
    }
  }
  return lines;
}

const char kDefaultFile[] =
    "[Settings]\nMenuOrder=1*\nMenuCount=1\nCount1=2\nMenuName1=Standard Menu\n"
    "OpenMenu=1\nShowTooltips=1\nShowFastStart=1\nShowEmailItem=1\n"
    "Startwithwindows=1\n[Program locations1]\nProgram1=C:\\\n"
    "Des1=Harddrive (C:\\)\nProgram2=C:\\windows\\notepad.exe\nDes2=Notepad\n";

TEST(MainMenu, DefaultFile) {
  IniDocument doc = IniDocument::Parse(kDefaultFile);
  const MainMenuPlan plan = PlanMainMenu(doc);
  EXPECT_EQ(plan.slotCount, 3);
  EXPECT_EQ(Describe(plan.entries, kMainSlot),
            (std::vector<std::string>{"banner", "> Vorlane @1", "---",
                                      "> Email @2", "---",
                                      "Harddrive (C:\\) 1/1 #10010",
                                      "Notepad 1/2 #10011", "---",
                                      "Run 1/0 #7"}));
  EXPECT_EQ(Describe(plan.entries, kSystemSlot),
            (std::vector<std::string>{"Config 2/0 #2", "Options 2/0 #6",
                                      "Help 2/0 #3", "Donate! 2/0 #5",
                                      "About 2/0 #4", "Exit 2/0 #1"}));
}

TEST(MainMenu, SeparatorsTakeIdentifiersByTheirIndex) {
  IniDocument doc = IniDocument::Parse(kDefaultFile);
  const MainMenuPlan plan = PlanMainMenu(doc);
  for (std::size_t i = 0; i < plan.entries.size(); ++i) {
    if (plan.entries[i].kind == MenuEntryKind::Separator) {
      EXPECT_EQ(plan.entries[i].commandId, 9999 + static_cast<int>(i));
    }
  }
}

TEST(MainMenu, OneMenuWithoutEmailHasNoSecondSeparator) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\nMenuCount=1\nCount1=1\n"
      "[Program locations1]\nProgram1=C:\\a.exe\nDes1=A\n");
  const MainMenuPlan plan = PlanMainMenu(doc);
  EXPECT_EQ(Describe(plan.entries, kMainSlot),
            (std::vector<std::string>{"banner", "> Vorlane @1", "---",
                                      "A 1/1 #10008"}));
  EXPECT_EQ(plan.slotCount, 2);
}

TEST(MainMenu, SubmenusFollowMenuOrder) {
  const std::string base =
      "[Settings]\nMenuOrder=1*3*2*\nMenuCount=3\nMenuName2=Two\n"
      "MenuName3=Three\nCount1=0\n";
  IniDocument noEmail = IniDocument::Parse(base + "ShowEmailItem=0\n");
  EXPECT_EQ(Describe(PlanMainMenu(noEmail).entries, kMainSlot),
            (std::vector<std::string>{"banner", "> Vorlane @1", "---",
                                      "> Three @2", "> Two @3", "---",
                                      "Empty menu 1/0 #12"}));
  IniDocument email = IniDocument::Parse(base + "ShowEmailItem=1\n");
  EXPECT_EQ(Describe(PlanMainMenu(email).entries, kMainSlot),
            (std::vector<std::string>{"banner", "> Vorlane @1", "---",
                                      "> Email @2", "> Three @3", "> Two @4",
                                      "---", "Empty menu 1/0 #12"}));
}

// A hand-edited order: labels and contents come from one list, whose first
// number is the standard menu; numbers repeated or above MenuCount show once
// at most.
TEST(MainMenu, OrderNotStartingWithOneShowsEachMenuOnceWhereItsLabelIs) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=2*1*2*7*0*3*1*\nMenuCount=3\nMenuName1=One\n"
      "MenuName2=Two\nMenuName3=Three\nCount1=1\nCount2=1\nCount3=1\n"
      "[Program locations1]\nProgram1=C:\\1.exe\nDes1=In one\n"
      "[Program locations2]\nProgram1=C:\\2.exe\nDes1=In two\n"
      "[Program locations3]\nProgram1=C:\\3.exe\nDes1=In three\n");
  EXPECT_EQ(Describe(PlanMainMenu(doc).entries, kMainSlot),
            (std::vector<std::string>{"banner", "> Vorlane @1", "---",
                                      "> One @2", "> Three @3", "---",
                                      "In two 1/1 #10011"}));
  EXPECT_EQ(Describe(PlanProgramMenu(doc, 3, 20), 2),
            (std::vector<std::string>{"In one 3/1 #10019"}));
  EXPECT_EQ(Describe(PlanProgramMenu(doc, 4, 20), 3),
            (std::vector<std::string>{"In three 4/1 #10019"}));
  EXPECT_TRUE(PlanProgramMenu(doc, 5, 20).empty());
}

TEST(MainMenu, CountsOutsideTheirRangeShowAsEmpty) {
  for (const char* count : {"2147483647", "4294967295", "100001", "-1"}) {
    SCOPED_TRACE(count);
    const std::string c(count);
    IniDocument doc = IniDocument::Parse(
        "[Settings]\nMenuOrder=1*2*\nMenuCount=" + c + "\nCount1=" + c +
        "\nContactCount=" + c + "\n[Program locations1]\nProgram1=C:\\a.exe\n"
        "Des1=A\n[Emailcontacts]\nName1=Ann\nEmail1=ann@example.org\n");
    EXPECT_EQ(Describe(PlanMainMenu(doc).entries, kMainSlot),
              (std::vector<std::string>{"banner", "> Vorlane @1", "---",
                                        "Empty menu 1/0 #12"}));
    EXPECT_EQ(PlanEmailMenu(doc, 20).size(), 2u) << "Blank Email, separator";
  }
}

TEST(MainMenu, MissingMenuNameShowsSubMenu) {
  IniDocument doc =
      IniDocument::Parse("[Settings]\nMenuOrder=1*2*\nMenuCount=2\n");
  EXPECT_EQ(Describe(PlanMainMenu(doc).entries, kMainSlot)[3], "> SubMenu @2");
}

TEST(SubmenuContents, PositionsShowTheMenuOfTheirToken) {
  const std::string base =
      "[Settings]\nMenuOrder=1*3*2*\nMenuCount=3\nCount2=1\nCount3=1\n"
      "[Program locations2]\nProgram1=C:\\two.exe\nDes1=Two\n"
      "[Program locations3]\nProgram1=C:\\three.exe\nDes1=Three\n";
  IniDocument noEmail = IniDocument::Parse(base);
  EXPECT_EQ(Describe(PlanProgramMenu(noEmail, 3, 20), 2),
            (std::vector<std::string>{"Three 3/1 #10019"}));
  EXPECT_EQ(Describe(PlanProgramMenu(noEmail, 4, 20), 3),
            (std::vector<std::string>{"Two 4/1 #10019"}));

  IniDocument email = IniDocument::Parse(
      "[Settings]\nShowEmailItem=1\n" + base.substr(std::string("[Settings]\n").size()));
  EXPECT_TRUE(IsEmailPosition(email, 3));
  EXPECT_FALSE(IsEmailPosition(noEmail, 3));
  EXPECT_EQ(Describe(PlanProgramMenu(email, 4, 20), 3),
            (std::vector<std::string>{"Three 4/1 #10019"}));
  EXPECT_EQ(Describe(PlanProgramMenu(email, 5, 20), 4),
            (std::vector<std::string>{"Two 5/1 #10019"}));
}

TEST(SubmenuContents, AnExpandedFolderIsASubmenuOfItsFolderAndNothingElseIs) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\nMenuCount=1\nCount1=4\n"
      "[Program locations1]\nProgram1=C:\\Tools\nDes1=Tools\nExpand1=1\n"
      "Program2=www.example.org\nDes2=Web\nExpand2=1\n"
      "Program3=C:\\a.exe?C:\\b.exe\nDes3=Batch\nExpand3=1\n"
      "Program4=C:\\Docs\nDes4=Docs\nExpand4=0\n");
  const std::vector<PlannedEntry> entries = PlanProgramMenu(doc, 0, 20);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].kind, MenuEntryKind::Submenu);
  EXPECT_EQ(entries[0].folder, "C:\\Tools");
  EXPECT_EQ(entries[0].text, "Tools");
  EXPECT_EQ(entries[0].submenuSlot, -1);
  for (std::size_t i = 1; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].kind, MenuEntryKind::Item) << entries[i].text;
    EXPECT_TRUE(entries[i].folder.empty()) << entries[i].text;
  }
}

TEST(SubmenuContents, EmptyDescriptionIsASeparatorInItsPlace) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*2*\nMenuCount=2\nCount2=3\n"
      "[Program locations2]\nProgram1=C:\\a.exe\nDes1=A\nProgram2=C:\\x.exe\n"
      "Program3=C:\\c.exe\nDes3=C\n");
  EXPECT_EQ(Describe(PlanProgramMenu(doc, 3, 10), 2),
            (std::vector<std::string>{"A 3/1 #10009", "---", "C 3/3 #10011"}));
}

TEST(SubmenuContents, CountZeroGivesEmptyMenuAndStaleItemsStayHidden) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*2*\nMenuCount=2\nCount2=0\n"
      "[Program locations2]\nProgram1=C:\\old.exe\nDes1=Old\n");
  EXPECT_EQ(Describe(PlanProgramMenu(doc, 3, 10), 2),
            (std::vector<std::string>{"Empty menu 3/0 #12"}));
}

TEST(SubmenuContents, MissingTokenLeavesTheSubmenuEmpty) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\nMenuCount=3\nCount2=1\n"
      "[Program locations2]\nProgram1=C:\\a.exe\nDes1=A\n");
  EXPECT_TRUE(PlanProgramMenu(doc, 3, 10).empty());
  EXPECT_TRUE(PlanProgramMenu(doc, 7, 10).empty());
}

TEST(SubmenuContents, LargestCountStopsAtTheLastEntryIdentifier) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\nMenuCount=1\nCount1=100000\n");
  const std::vector<PlannedEntry> entries = PlanProgramMenu(doc, 0, 9990);
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back().commandId, kLastEntryCommand);
  EXPECT_EQ(entries.size(), 11u);
}

TEST(SubmenuContents, LongDescriptionsAreCutTo63Characters) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuOrder=1*\nMenuCount=1\nCount1=1\n"
      "[Program locations1]\nProgram1=C:\\a.exe\nDes1=" +
      std::string(300, 'd') + "\n");
  EXPECT_EQ(PlanProgramMenu(doc, 0, 10)[0].text.size(), 63u);
}

// A document that counts the single-key reads of item sections and, when
// asked, refuses to read a section whole.
class ItemReadCounter final : public settings::SettingsStore {
 public:
  ItemReadCounter(IniDocument doc, bool sectionsTooLarge)
      : doc_(std::move(doc)), sectionsTooLarge_(sectionsTooLarge) {}

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t limit) override {
    if (section != settings::kSettingsSection) ++keyReads;
    return doc_.ReadString(section, key, fallback, limit);
  }
  int ReadInt(std::string_view section, std::string_view key,
              int fallback) override {
    if (section != settings::kSettingsSection) ++keyReads;
    return doc_.ReadInt(section, key, fallback);
  }
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override {
    return doc_.WriteString(section, key, value);
  }
  bool DeleteKey(std::string_view section, std::string_view key) override {
    return doc_.DeleteKey(section, key);
  }
  bool WriteSection(std::string_view section, std::string_view data) override {
    return doc_.WriteSection(section, data);
  }
  std::optional<std::set<std::string>> SectionsWithHiddenLines() override {
    return doc_.SectionsWithHiddenLines();
  }
  settings::SectionRead ReadSection(std::string_view section) override {
    ++sectionReads;
    if (sectionsTooLarge_) return {settings::SectionRead::Outcome::TooLarge, {}};
    return doc_.ReadSection(section);
  }

  int keyReads = 0;
  int sectionReads = 0;

 private:
  IniDocument doc_;
  bool sectionsTooLarge_;
};

// Everything of an entry that the popup shows or acts on.
std::vector<std::string> DescribeFully(const std::vector<PlannedEntry>& entries) {
  std::vector<std::string> lines;
  for (const PlannedEntry& e : entries) {
    lines.push_back(std::to_string(static_cast<int>(e.kind)) + " " + e.text +
                    " " + std::to_string(e.slot) + " " +
                    std::to_string(e.menuRef) + "/" + std::to_string(e.itemNo) +
                    " #" + std::to_string(e.commandId) + " icon " +
                    std::to_string(static_cast<int>(e.icon.source)) + " " +
                    e.icon.location + " " + e.icon.file + "," +
                    std::to_string(e.icon.index));
  }
  return lines;
}

const char kThreeItems[] =
    "[Settings]\nMenuOrder=1*2*\nMenuCount=2\nCount2=3\n"
    "[Program locations2]\nProgram1=C:\\a.exe\nDes1=A\nIcon1=C:\\i.dll,2\n"
    "Des2=\nProgram3=www.example.org\nDes3=C\nDes4=Stale\n";

TEST(SubmenuContents, ItemsComeFromOneReadOfTheirSection) {
  ItemReadCounter store(IniDocument::Parse(kThreeItems), false);
  EXPECT_EQ(Describe(PlanProgramMenu(store, 3, 10), 2),
            (std::vector<std::string>{"A 3/1 #10009", "---", "C 3/3 #10011"}));
  EXPECT_EQ(store.sectionReads, 1);
  EXPECT_EQ(store.keyReads, 0);
}

TEST(SubmenuContents, SectionTooLargeToReadWholeIsReadKeyByKey) {
  IniDocument doc = IniDocument::Parse(kThreeItems);
  ItemReadCounter store(doc, true);
  EXPECT_EQ(DescribeFully(PlanProgramMenu(store, 3, 10)),
            DescribeFully(PlanProgramMenu(doc, 3, 10)));
  EXPECT_GT(store.keyReads, 0);
}

TEST(SubmenuContents, OneSectionReadPlansAsKeyByKeyReadsOnGeneratedFiles) {
  std::mt19937 random(20261209);
  for (int file = 0; file < 200; ++file) {
    const int count = test::Pick(random, 1, 12);
    const std::string text = test::GeneratedMenuFile(random, count);
    IniDocument doc = IniDocument::Parse(text);
    doc.WriteString(settings::kSettingsSection, "MenuOrder", "1*");
    ItemReadCounter keyByKey(doc, true);
    ASSERT_EQ(DescribeFully(PlanProgramMenu(doc, 0, 10)),
              DescribeFully(PlanProgramMenu(keyByKey, 0, 10)))
        << text;
  }
}

TEST(EmailMenu, BlankEmailThenContacts) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nContactCount=3\n[Emailcontacts]\nName1=Ann\n"
      "Email1=ann@example.org\nName3=" + std::string(200, 'n') + "\n");
  const std::vector<PlannedEntry> entries = PlanEmailMenu(doc, 30);
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(Describe(entries, kEmailSlot)[0], "Blank Email 2/0 #8");
  EXPECT_EQ(entries[1].kind, MenuEntryKind::Separator);
  EXPECT_EQ(entries[1].commandId, 9999 + 31);
  EXPECT_EQ(Describe(entries, kEmailSlot)[2], "Ann 2/0 #20000");
  EXPECT_EQ(entries[3].kind, MenuEntryKind::Separator);
  EXPECT_EQ(entries[4].commandId, 20002);
  EXPECT_EQ(entries[4].text.size(), 63u);
  EXPECT_EQ(entries[4].icon.source, IconSource::Email);
}

TEST(EntryIcons, ChosenByLocation) {
  EXPECT_EQ(DefaultIconFor("C:\\a.exe?C:\\b.txt?").source, IconSource::Batch);
  EXPECT_EQ(DefaultIconFor("www.example.org").source, IconSource::WebShortcut);
  EXPECT_EQ(DefaultIconFor("http://example.org").source, IconSource::WebShortcut);
  EXPECT_EQ(DefaultIconFor("https://example.org/?q=1").source, IconSource::WebShortcut);
  EXPECT_EQ(DefaultIconFor("https://example.org").source, IconSource::WebShortcut);
  EXPECT_EQ(DefaultIconFor("C:\\page.htm").source, IconSource::WebShortcut);
  const IconRequest path = DefaultIconFor("C:\\a.exe");
  EXPECT_EQ(path.source, IconSource::ShellFile);
  EXPECT_EQ(path.location, "C:\\a.exe");
}

TEST(EntryIcons, CustomIconNeedsAComma) {
  const IconRequest custom = ItemIconFor("C:\\a.exe", "C:\\a,b\\i.dll,3");
  EXPECT_EQ(custom.source, IconSource::Custom);
  EXPECT_EQ(custom.file, "C:\\a,b\\i.dll");
  EXPECT_EQ(custom.index, 3);
  EXPECT_EQ(custom.location, "C:\\a.exe");
  EXPECT_EQ(ItemIconFor("C:\\a.exe", "C:\\icons.dll").source,
            IconSource::ShellFile);
  EXPECT_EQ(ItemIconFor("C:\\a.exe", "").source, IconSource::ShellFile);
}

TEST(PlatformText, ReadsAsStoredWithoutAMnemonicOfItsOwn) {
  EXPECT_EQ(PlatformText(MenuEntryKind::Item, "Tom & Jerry"), "Tom && Jerry");
  EXPECT_EQ(PlatformText(MenuEntryKind::Submenu, "&&&"), "&&&&&&");
  EXPECT_EQ(PlatformText(MenuEntryKind::Item, "Notepad"), "Notepad");
  EXPECT_EQ(PlatformText(MenuEntryKind::Banner, ""), "Vorlane");
  EXPECT_EQ(PlatformText(MenuEntryKind::Separator, "x"), "");
  const std::string longest(63, '&');
  EXPECT_EQ(PlatformText(MenuEntryKind::Item, longest), std::string(126, '&'));
}

}  // namespace
}  // namespace vorlane::launcher
