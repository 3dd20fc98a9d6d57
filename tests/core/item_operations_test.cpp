// The item edits of the configurator over an in-memory settings file, with
// the edge cases that lose or misplace an item when they go wrong.
#include <gtest/gtest.h>

#include <string>

#include "configurator/item_list/item_operations.h"
#include "settings/ini_document.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"

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

TEST(ItemAdding, AppendsWithoutIconAndSeparatorsWriteTwoKeys) {
  IniDocument doc = IniDocument::Parse("[Settings]\nMenuCount=2\n");
  EXPECT_EQ(AddItem(doc, 2, {"C:\\a.exe", "A", "-x", "ignored", 3}), 1);
  EXPECT_EQ(Get(doc, "Settings", "Count2"), "1");
  EXPECT_EQ(Get(doc, "Program locations2", "Program1"), "C:\\a.exe");
  EXPECT_EQ(Get(doc, "Program locations2", "OM1"), "3");
  EXPECT_EQ(Get(doc, "Program locations2", "Icon1"), "<absent>");

  IniDocument three = IniDocument::Parse("[Settings]\nCount2=3\n");
  EXPECT_EQ(AddSeparator(three, 2), 4);
  EXPECT_EQ(Get(three, "Settings", "Count2"), "4");
  EXPECT_EQ(Get(three, "Program locations2", "Program4"), "");
  EXPECT_EQ(Get(three, "Program locations2", "Des4"), "");
  for (const char* key : {"Par4", "OM4", "Icon4"}) {
    EXPECT_EQ(Get(three, "Program locations2", key), "<absent>") << key;
  }
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

#include "configurator/item_list/contact_operations.h"

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
  EXPECT_EQ(Get(doc, "Program locations1", "Icon5001"), "<absent>");

  IniDocument full = IniDocument::Parse("[Settings]\nCount1=" +
                                        std::to_string(settings::kMostCount - 1) + "\n");
  EXPECT_EQ(AddFileItems(full, 1, files, "", 0, {}).size(), 1u);
  EXPECT_EQ(Get(full, "Settings", "Count1"), std::to_string(settings::kMostCount));
}

}  // namespace
}  // namespace vorlane::configurator
