// The item edits of the configurator over an in-memory settings file, with
// the edge cases that lose or misplace an item when they go wrong.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "configurator/item_list/contact_operations.h"
#include "configurator/item_list/item_operations.h"
#include "configurator/menu_list/menu_operations.h"
#include "settings/ini_document.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"
#include "shellext/shellix_logic.h"

namespace vorlane::configurator {
namespace {

using settings::IniDocument;

std::string Get(IniDocument& doc, const std::string& section,
                const std::string& key) {
  return doc.ReadString(section, key, "<absent>", 100000);
}

// Menu 1 holding `count` items p1 .. p<count>, each with all five keys.
IniDocument Items(int count) {
  std::string text = "[Settings]\nMenuCount=2\nCount1=" + std::to_string(count) +
                     "\n[Program locations1]\n";
  for (int i = 1; i <= count; ++i) {
    const std::string n = std::to_string(i);
    text += "Program" + n + "=p" + n + "\nDes" + n + "=d" + n + "\nPar" + n +
            "=a" + n + "\nOM" + n + "=" + std::to_string(i % 4) + "\nIcon" + n +
            "=i" + n + ",1\n";
  }
  return IniDocument::Parse(text);
}

TEST(ItemAdding, AppendsItemsAndSeparatorsAfterTheLast) {
  IniDocument doc = IniDocument::Parse("[Settings]\nMenuCount=2\n");
  EXPECT_EQ(AddItem(doc, 2, {"C:\\a.exe", "A", "-x", "C:\\i.dll,2", 3}), 1);
  EXPECT_EQ(Get(doc, "Settings", "Count2"), "1");
  EXPECT_EQ(Get(doc, "Program locations2", "Program1"), "C:\\a.exe");
  EXPECT_EQ(Get(doc, "Program locations2", "OM1"), "3");
  EXPECT_EQ(Get(doc, "Program locations2", "Icon1"), "C:\\i.dll,2");

  IniDocument three = IniDocument::Parse("[Settings]\nCount2=3\n");
  EXPECT_EQ(AddSeparator(three, 2), 4);
  EXPECT_EQ(Get(three, "Settings", "Count2"), "4");
  EXPECT_EQ(three.Text(),
            "[Settings]\r\nCount2=4\r\n[Program locations2]\r\nProgram4=\r\n"
            "Des4=\r\nPar4=\r\nOM4=0\r\nIcon4=\r\n");
}

// A removal leaves the last slot's keys beyond the count, and a removed
// menu's items can lie beyond the count of the menu moved into its number.
// Whatever adds the next item there, from the configurator or the extension,
// writes all five keys, so that nothing of the removed item comes back.
TEST(ItemAdding, EveryAddWritesAllFiveKeysOverWhatARemovalLeft) {
  struct Leftover {
    const char* name;
    std::function<void(IniDocument&)> remove;
    int menu;
    int slot;  // the number the next item takes
  };
  const std::string stale =
      "[Settings]\nMenuCount=3\nMenuOrder=1*2*3*\nCount1=3\nCount2=3\nCount3=1\n"
      "[Program locations1]\nProgram1=p1\nDes1=d1\n"
      "Program2=p2\nDes2=d2\nProgram3=p3\nDes3=d3\nPar3=-private\nOM3=3\n"
      "Icon3=custom.ico,2\nExpand3=1\n"
      "[Program locations2]\nProgram1=q1\nDes1=e1\nProgram2=q2\nDes2=e2\n"
      "Par2=-private\nOM2=3\nIcon2=custom.ico,2\nExpand2=1\nProgram3=q3\nDes3=e3\n"
      "[Program locations3]\nProgram1=r1\nDes1=f1\n";
  const std::vector<Leftover> leftovers = {
      {"last item removed", [](IniDocument& d) { RemoveItems(d, 1, {3}); }, 1, 3},
      {"menu moved down", [](IniDocument& d) { RemoveMenu(d, 1); }, 2, 2}};
  using Add = std::function<bool(IniDocument&, int menu)>;
  const std::vector<std::pair<const char*, Add>> adds = {
      {"item", [](IniDocument& d, int m) {
         return AddItem(d, m, {"C:\\n.exe", "N", "", "", 0}).has_value();
       }},
      {"separator", [](IniDocument& d, int m) { return AddSeparator(d, m).has_value(); }},
      {"file items", [](IniDocument& d, int m) {
         return AddFileItems(d, m, {{"C:\\n.exe", "N", "", "", 0}}, "", 0, {}).size() == 1;
       }},
      {"copy to menu", [](IniDocument& d, int m) {
         return CopyItemToMenu(d, 1, m, 1).has_value();
       }},
      {"extension", [](IniDocument& d, int m) {
         return shellext::AddToMenu(d, m, "C:\\n.exe", "N") == shellext::AddResult::Added;
       }}};
  for (const Leftover& leftover : leftovers) {
    for (const auto& [name, add] : adds) {
      SCOPED_TRACE(std::string(leftover.name) + ", " + name);
      IniDocument doc = IniDocument::Parse(stale);
      leftover.remove(doc);
      ASSERT_TRUE(add(doc, leftover.menu));
      const std::string section = settings::ProgramSection(leftover.menu);
      const std::string n = std::to_string(leftover.slot);
      EXPECT_EQ(Get(doc, "Settings", "Count" + std::to_string(leftover.menu)), n);
      EXPECT_EQ(Get(doc, section, "Par" + n), "");
      EXPECT_EQ(Get(doc, section, "OM" + n), "0");
      EXPECT_EQ(Get(doc, section, "Icon" + n), "");
      EXPECT_EQ(Get(doc, section, "Expand" + n), "<absent>");
    }
  }
}

// Expand is written only for an expanded folder: an item added, changed or
// moved without it takes away the key its slot held, and a file that never
// held the key never gains one.
TEST(ItemExpand, AddAndChangeWriteTheKeyOnlyWhenExpanded) {
  IniDocument doc = IniDocument::Parse("[Settings]\nCount1=0\n");
  EXPECT_EQ(AddItem(doc, 1, {"C:\\Tools", "Tools", "", "", 0, true}), 1);
  EXPECT_EQ(AddItem(doc, 1, {"C:\\a.exe", "A", "", "", 0}), 2);
  ASSERT_EQ(AddFileItems(doc, 1, {{"C:\\b", "B", "", "", 0, true}}, "", 0, {}).size(), 1u);
  EXPECT_EQ(Get(doc, "Program locations1", "Expand1"), "1");
  EXPECT_EQ(Get(doc, "Program locations1", "Expand2"), "<absent>");
  EXPECT_EQ(Get(doc, "Program locations1", "Expand3"), "1");
  EXPECT_TRUE(ReadItem(doc, "Program locations1", 1).expand);

  ChangeItem(doc, 1, 1, {"C:\\Tools", "Tools", "", "", 0, false});
  EXPECT_EQ(Get(doc, "Program locations1", "Expand1"), "<absent>");
  ChangeItem(doc, 1, 2, {"C:\\Games", "Games", "", "", 0, true});
  EXPECT_EQ(Get(doc, "Program locations1", "Expand2"), "1");

  IniDocument plain = Items(3);
  ASSERT_TRUE(AddItem(plain, 1, {"C:\\c.exe", "C", "", "", 0}));
  ASSERT_TRUE(AddSeparator(plain, 1));
  ChangeItem(plain, 1, 1, {"C:\\d.exe", "D", "", "", 0});
  ASSERT_TRUE(SwapWithNext(plain, 1, 1));
  RemoveItems(plain, 1, {2});
  ASSERT_TRUE(CopyItemToMenu(plain, 1, 2, 1));
  EXPECT_EQ(plain.Text().find("Expand"), std::string::npos) << plain.Text();
}

TEST(ItemExpand, MovesRemovalsAndSendToKeepItWithItsItem) {
  const auto withExpanded = [](int expanded) {
    IniDocument doc = Items(4);
    doc.WriteString("Program locations1", "Expand" + std::to_string(expanded), "1");
    return doc;
  };
  IniDocument swapped = withExpanded(2);
  ASSERT_TRUE(SwapWithNext(swapped, 1, 2));
  EXPECT_EQ(Get(swapped, "Program locations1", "Expand3"), "1");
  EXPECT_EQ(Get(swapped, "Program locations1", "Expand2"), "<absent>");

  IniDocument removed = withExpanded(3);
  RemoveItems(removed, 1, {1});
  EXPECT_EQ(Get(removed, "Program locations1", "Expand2"), "1");
  EXPECT_EQ(Get(removed, "Program locations1", "Expand3"), "<absent>");
  EXPECT_FALSE(ReadItem(removed, "Program locations1", 3).expand);

  // The expanded item itself removed: the item moving into its slot is
  // not turned into a submenu.
  IniDocument gone = withExpanded(2);
  RemoveItems(gone, 1, {2});
  EXPECT_EQ(Get(gone, "Program locations1", "Program2"), "p3");
  EXPECT_EQ(Get(gone, "Program locations1", "Expand2"), "<absent>");

  // Sent to another menu: the copy keeps it, the source's slot loses it.
  IniDocument sent = withExpanded(2);
  sent.WriteString("Program Locations2", "Expand1", "1");  // a removed item's
  EXPECT_EQ(CopyItemToMenu(sent, 1, 2, 1), 1);
  EXPECT_EQ(CopyItemToMenu(sent, 1, 2, 2), 2);
  RemoveItems(sent, 1, {1, 2});
  EXPECT_EQ(Get(sent, "Program Locations2", "Expand1"), "<absent>");
  EXPECT_EQ(Get(sent, "Program Locations2", "Expand2"), "1");
  EXPECT_EQ(Get(sent, "Program locations1", "Expand1"), "<absent>");
  EXPECT_EQ(Get(sent, "Program locations1", "Expand2"), "<absent>");
}

TEST(ItemAdding, RefusesTheEmailLineAndDamagedCounts) {
  for (const char* count : {"100000", "-1"}) {
    IniDocument doc = IniDocument::Parse(std::string("[Settings]\nCount1=") + count);
    const std::string before = doc.Text();
    EXPECT_EQ(AddItem(doc, 1, {"a", "b", "", "", 0}), std::nullopt) << count;
    EXPECT_EQ(AddSeparator(doc, 0), std::nullopt);
    EXPECT_EQ(doc.Text(), before);
  }
}

TEST(ItemRemoval, MovesHigherItemsDownWithTheirIcons) {
  IniDocument doc = Items(4);
  RemoveItems(doc, 1, {2});
  EXPECT_EQ(Get(doc, "Settings", "Count1"), "3");
  EXPECT_EQ(Get(doc, "Program locations1", "Program2"), "p3");
  EXPECT_EQ(Get(doc, "Program locations1", "Icon3"), "i4,1");
  EXPECT_EQ(Get(doc, "Program locations1", "Program4"), "p4") << "left beyond the count";

  IniDocument five = Items(5);
  RemoveItems(five, 1, {2, 4, 9, 0});
  EXPECT_EQ(Get(five, "Settings", "Count1"), "3");
  EXPECT_EQ(Get(five, "Program locations1", "Program1"), "p1");
  EXPECT_EQ(Get(five, "Program locations1", "Program2"), "p3");
  EXPECT_EQ(Get(five, "Program locations1", "Program3"), "p5");
}

// Nothing above the last item a section holds exists to move: with a count
// the file overstates, a removal writes a few keys rather than half a
// million, and the configurator's list (rows up to the last item held)
// does not grow. Removing the highest held item first must not lift the
// bound for the next removal of the same edit.
TEST(ItemRemoval, CountAboveTheItemsHeldWalksOnlyWhatIsHeld) {
  for (int count : {5, 99999}) {
    SCOPED_TRACE(count);
    const std::string n = std::to_string(count);
    IniDocument doc = IniDocument::Parse(
        "[Settings]\nCount1=" + n + "\n[Program locations1]\nProgram1=a\nDes1=A\n"
        "Program2=b\nDes2=B\nProgram" + n + "=z\nDes" + n + "=Z\n");
    EXPECT_EQ(ItemsToShow(doc, 1), count);
    RemoveItems(doc, 1, {count, 1});
    EXPECT_EQ(Get(doc, "Settings", "Count1"), std::to_string(count - 2));
    EXPECT_EQ(Get(doc, "Program locations1", "Program1"), "b");
    EXPECT_EQ(Get(doc, "Program locations1", "Des2"), "");
    EXPECT_EQ(Get(doc, "Program locations1", "Program3"), "<absent>");
    EXPECT_EQ(ItemsToShow(doc, 1), 2);
    RemoveItems(doc, 1, {1});
    EXPECT_EQ(ItemsToShow(doc, 1), 2);
    EXPECT_EQ(Get(doc, "Program locations1", "Des1"), "");
    EXPECT_LT(doc.Text().size(), 200u);

    IniDocument contacts = IniDocument::Parse(
        "[Settings]\nContactCount=" + n + "\n[Emailcontacts]\nName1=Ann\n"
        "Email1=a@x.org\nName2=Bo\nEmail2=b@x.org\n");
    RemoveContacts(contacts, {1});
    EXPECT_EQ(Get(contacts, "Settings", "ContactCount"), std::to_string(count - 1));
    EXPECT_EQ(Get(contacts, "Emailcontacts", "Name1"), "Bo");
    EXPECT_EQ(Get(contacts, "Emailcontacts", "Email2"), "");
    EXPECT_EQ(Get(contacts, "Emailcontacts", "Name3"), "<absent>");
  }
}

TEST(ItemMoves, SwapAllFiveKeysAndRefuseAtTheEnds) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nCount1=2\n[Program locations1]\nProgram1=\nDes1=\n"
      "Program2=p2\nDes2=d2\nPar2=a2\nOM2=2\nIcon2=i2,0\n");
  ASSERT_TRUE(SwapWithNext(doc, 1, 1));
  EXPECT_EQ(Get(doc, "Program locations1", "Program1"), "p2");
  EXPECT_EQ(Get(doc, "Program locations1", "Icon1"), "i2,0");
  EXPECT_EQ(Get(doc, "Program locations1", "Par2"), "");
  EXPECT_EQ(Get(doc, "Program locations1", "OM2"), "0");
  EXPECT_EQ(Get(doc, "Program locations1", "Icon2"), "");
  const std::string before = doc.Text();
  EXPECT_FALSE(SwapWithNext(doc, 1, 2));
  EXPECT_FALSE(SwapWithNext(doc, 1, 0));
  EXPECT_EQ(doc.Text(), before);
}

TEST(ItemSendTo, CopiesInOrderThenTheSourcesGo) {
  IniDocument doc = Items(3);
  EXPECT_EQ(CopyItemToMenu(doc, 1, 3, 1), 1);
  EXPECT_EQ(CopyItemToMenu(doc, 1, 3, 3), 2);
  RemoveItems(doc, 1, {1, 3});
  EXPECT_EQ(Get(doc, "Settings", "Count3"), "2");
  EXPECT_EQ(Get(doc, "Program Locations3", "Program1"), "p1");
  EXPECT_EQ(Get(doc, "Program Locations3", "Par2"), "a3");
  EXPECT_EQ(Get(doc, "Program Locations3", "Icon2"), "i3,1");
  EXPECT_EQ(Get(doc, "Settings", "Count1"), "1");
  EXPECT_EQ(Get(doc, "Program locations1", "Program1"), "p2");
  EXPECT_NE(doc.Text().find("[Program Locations3]"), std::string::npos);
}

TEST(ItemIcon, SeparatorTakesNoneAndDefaultEmptiesAny) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nCount1=2\n[Program locations1]\nProgram1=\nDes1=\n"
      "Program2=p\nDes2=d\nIcon2=x.ico,3\n");
  EXPECT_FALSE(SetItemIcon(doc, 1, 1, "C:\\i.dll,4"));
  EXPECT_EQ(Get(doc, "Program locations1", "Icon1"), "<absent>");
  EXPECT_TRUE(SetItemIcon(doc, 1, 2, "C:\\i.dll,4"));
  EXPECT_EQ(Get(doc, "Program locations1", "Icon2"), "C:\\i.dll,4");
  EXPECT_TRUE(SetItemIcon(doc, 1, 1, ""));
  EXPECT_EQ(Get(doc, "Program locations1", "Icon1"), "");
}

TEST(FolderNames, LastPieceOrTheDriveRoot) {
  EXPECT_EQ(FolderDescription("C:\\"), "C:\\");
  EXPECT_EQ(FolderDescription("C:\\Tools\\Editors"), "Editors");
  EXPECT_EQ(FolderDescription("\\\\server\\share"), "share");
}

}  // namespace
}  // namespace vorlane::configurator

namespace vorlane::configurator {
namespace {

TEST(Contacts, AddressCheck) {
  EXPECT_FALSE(IsAcceptedAddress("bob@example"));
  EXPECT_FALSE(IsAcceptedAddress("bob.example"));
  EXPECT_TRUE(IsAcceptedAddress("b.ob@example"));
  EXPECT_TRUE(IsAcceptedAddress("@."));
}

TEST(Contacts, AddRemoveAndSwap) {
  IniDocument doc;
  EXPECT_EQ(AddContact(doc, {"", "a@x.org"}), 1);
  EXPECT_EQ(AddContact(doc, {"B", "b@x.org"}), 2);
  EXPECT_EQ(AddContact(doc, {"C", "c@x.org"}), 3);
  EXPECT_EQ(Get(doc, "Emailcontacts", "Name1"), "");
  RemoveContacts(doc, {1});
  EXPECT_EQ(Get(doc, "Settings", "ContactCount"), "2");
  EXPECT_EQ(Get(doc, "Emailcontacts", "Name1"), "B");
  EXPECT_EQ(Get(doc, "Emailcontacts", "Email2"), "c@x.org");
  EXPECT_EQ(Get(doc, "Emailcontacts", "Name3"), "C") << "left beyond the count";
  EXPECT_TRUE(SwapContactWithNext(doc, 1));
  EXPECT_EQ(Get(doc, "Emailcontacts", "Name1"), "C");
  EXPECT_EQ(Get(doc, "Emailcontacts", "Email2"), "b@x.org");
  EXPECT_FALSE(SwapContactWithNext(doc, 2));
  IniDocument damaged = IniDocument::Parse("[Settings]\nContactCount=-1\n");
  EXPECT_EQ(AddContact(damaged, {"n", "a@b.c"}), std::nullopt);
}

}  // namespace
}  // namespace vorlane::configurator

namespace vorlane::configurator {
namespace {

// The launcher reads a location with 254 characters: a batch joined longer
// would be stored whole and started cut, so no item is made of it.
TEST(BatchAndDrops, BatchLongerThanTheLauncherReadsIsRefused) {
  const std::string entry(84, 'e');  // three joined with their "?": 255
  EXPECT_TRUE(FitsLocation(std::string(settings::kProgramToLaunch.limit, 'x')));
  EXPECT_FALSE(FitsLocation(std::string(settings::kProgramToLaunch.limit + 1, 'x')));
  ASSERT_EQ(JoinBatch({entry, entry, entry}).size(), 255u);
  for (const auto& [batch, fits] :
       {std::pair{std::vector<std::string>{entry, entry, entry}, false},
        {std::vector<std::string>{entry, entry, entry.substr(1)}, true},
        {std::vector<std::string>{std::string(255, 'p')}, false},
        {std::vector<std::string>{std::string(254, 'p')}, true}}) {
    IniDocument doc = Items(1);
    const std::string before = doc.Text();
    const std::vector<ItemFields> added =
        AddFileItems(doc, 1, {{"C:\\a.txt", "a", "", "", 0}, {"C:\\b.txt", "b", "", "", 0}},
                     "", 0, batch);
    EXPECT_EQ(added.size(), fits ? 2u : 0u) << JoinBatch(batch).size();
    if (fits) {
      EXPECT_EQ(Get(doc, "Program locations1", "Program2"), JoinBatch(batch));
    } else {
      EXPECT_EQ(doc.Text(), before);
    }
  }
}

TEST(BatchAndDrops, JoinAndDescriptions) {
  EXPECT_EQ(JoinBatch({"C:\\a.exe"}), "C:\\a.exe");
  EXPECT_EQ(JoinBatch({"C:\\a.exe", "C:\\b.exe"}), "C:\\a.exe?C:\\b.exe?");
  EXPECT_EQ(DroppedDescription("C:\\Docs\\my.report.txt"), "my");
  EXPECT_EQ(BrowsedDescription("C:\\Docs\\my.report.txt"), "my.report");
  EXPECT_EQ(DroppedDescription("C:\\Docs\\.profile"), ".profile");
  EXPECT_EQ(DroppedDescription("C:\\Docs\\Folder"), "Folder");
}

// A folder of thousands made items in one edit, as Add pressed once per
// file would: the parameters and the batch go to the first only.
TEST(BatchAndDrops, FolderOfThousandsIsOneEditThatStopsAtAFullCount) {
  IniDocument doc = Items(1);
  std::vector<ItemFields> files;
  for (int i = 0; i < 5000; ++i) {
    files.push_back({"C:\\f\\" + std::to_string(i) + ".txt", std::to_string(i), "", "", 0});
  }
  settings::SettingsEdit edit(doc);
  const std::vector<ItemFields> added =
      AddFileItems(edit, 1, files, "-x", 2, {"C:\\a.exe", "C:\\b.exe"});
  ASSERT_EQ(added.size(), files.size());
  EXPECT_EQ(Get(doc, "Settings", "Count1"), "1") << "nothing before the commit";
  ASSERT_TRUE(edit.Commit());
  EXPECT_EQ(Get(doc, "Settings", "Count1"), "5001");
  EXPECT_EQ(Get(doc, "Program locations1", "Program1"), "p1");
  EXPECT_EQ(Get(doc, "Program locations1", "Program2"), "C:\\a.exe?C:\\b.exe?");
  EXPECT_EQ(Get(doc, "Program locations1", "Des2"), "0");
  EXPECT_EQ(Get(doc, "Program locations1", "Par2"), "-x");
  EXPECT_EQ(Get(doc, "Program locations1", "Program5001"), "C:\\f\\4999.txt");
  EXPECT_EQ(Get(doc, "Program locations1", "Par5001"), "");
  EXPECT_EQ(Get(doc, "Program locations1", "OM5001"), "2");
  EXPECT_EQ(Get(doc, "Program locations1", "Icon5001"), "");

  IniDocument full = IniDocument::Parse("[Settings]\nCount1=" +
                                        std::to_string(settings::kMostCount - 1) + "\n");
  EXPECT_EQ(AddFileItems(full, 1, files, "", 0, {}).size(), 1u);
  EXPECT_EQ(Get(full, "Settings", "Count1"), std::to_string(settings::kMostCount));
}

}  // namespace
}  // namespace vorlane::configurator
