// The extension's decisions: when its command joins a menu, how an item is
// named, the texts it hands back, its registry rows, and what adding a file
// or a menu writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "settings/ini_document.h"
#include "settings/menu_edits.h"
#include "settings/settings_model.h"
#include "shellext/registration.h"
#include "shellext/shellix_logic.h"

namespace vorlane::shellext {
namespace {

using settings::AddMenu;
using settings::IniDocument;

TEST(ContextMenuFlags, LowFourBitsDecide) {
  const bool expected[16] = {true, false, true, true, true,  true, true, true,
                             false, false, true, true, true, true, true, true};
  for (unsigned low = 0; low < 16; ++low) {
    EXPECT_EQ(AddsCommand(low), expected[low]) << "flags " << low;
    EXPECT_EQ(AddsCommand(low | 0x00010000 | 0x80), expected[low])
        << "higher bits are ignored, flags " << low;
  }
}

TEST(Description, NameBeforeItsFirstPeriod) {
  EXPECT_EQ(DescriptionFromPath("C:\\Downloads\\archive.tar.gz"), "archive");
  EXPECT_EQ(DescriptionFromPath("C:\\Projects\\Site.v2"), "Site");
  EXPECT_EQ(DescriptionFromPath("C:\\docs\\README"), "README");
  EXPECT_EQ(DescriptionFromPath("notes.txt"), "notes");
}

TEST(Description, NothingForDriveRootsAndDotFiles) {
  EXPECT_EQ(DescriptionFromPath("D:\\"), "");
  EXPECT_EQ(DescriptionFromPath("C:\\home\\.profile"), "");
  EXPECT_EQ(DescriptionFromPath(""), "");
}

TEST(CommandStrings, TextByCommand) {
  EXPECT_STREQ(CommandStringFor(0), "Add file to Vorlane");
  EXPECT_STREQ(CommandStringFor(1), "VorlaneShellix");
}

// The advertised verb, in either width and any letter case, adds as
// command 0 does; everything else belongs to another handler.
TEST(CommandStrings, OnlyTheAdvertisedVerbAndCommandZeroAdd) {
  EXPECT_EQ(InvocationOfCommand(0), Invocation::Add);
  EXPECT_EQ(InvocationOfCommand(1), Invocation::NotOurs);
  EXPECT_EQ(InvocationOfVerb(std::string_view(CommandStringFor(0))), Invocation::Add);
  EXPECT_EQ(InvocationOfVerb(std::string_view("ADD FILE TO VORLANE")), Invocation::Add);
  EXPECT_EQ(InvocationOfVerb(std::wstring_view(L"add file to vorlane")), Invocation::Add);
  for (const char* other : {"open", "Add file to Vorlane ", "Add file", "", "VorlaneShellix"}) {
    EXPECT_EQ(InvocationOfVerb(std::string_view(other)), Invocation::NotOurs) << other;
  }
  EXPECT_EQ(InvocationOfVerb(std::wstring_view(L"Add file to Vorlan\u00e9")),
            Invocation::NotOurs);
}

TEST(CommandStrings, CopyIsZeroFilledAndTerminatedWithinTheBuffer) {
  char buffer[32];
  std::memset(buffer, 'x', sizeof(buffer));
  CopyToBuffer("Add file to Vorlane", buffer, 24);
  EXPECT_STREQ(buffer, "Add file to Vorlane");
  for (int i = 19; i < 24; ++i) EXPECT_EQ(buffer[i], '\0') << i;
  EXPECT_EQ(buffer[24], 'x') << "wrote past the given size";

  std::memset(buffer, 'x', sizeof(buffer));
  CopyToBuffer("Add file to Vorlane", buffer, 5);
  EXPECT_STREQ(buffer, "Add ");
  EXPECT_EQ(buffer[5], 'x');

  CopyToBuffer("text", buffer, 0);  // nothing to write into
  CopyToBuffer("text", static_cast<char*>(nullptr), 10);

  // Wide requests count characters, not bytes.
  wchar_t wide[8];
  std::fill(std::begin(wide), std::end(wide), L'x');
  CopyToBuffer("Add file to Vorlane", wide, 6);
  EXPECT_EQ(std::wstring(wide), L"Add f");
  EXPECT_EQ(wide[6], L'x');
  CopyToBuffer("text", static_cast<wchar_t*>(nullptr), 10);
}

TEST(Registration, RowsInOrder) {
  const std::vector<RegistryRow> rows =
      RegistrationRows(kClassIdText, "C:\\Tools\\Shellix.dll");
  ASSERT_EQ(rows.size(), 5u);
  const std::string classKey = std::string("CLSID\\") + kClassIdText;
  EXPECT_EQ(rows[0].key, classKey);
  EXPECT_EQ(rows[0].data, "VorlaneShellix");
  EXPECT_EQ(rows[1].key, classKey + "\\InProcServer32");
  EXPECT_EQ(rows[1].valueName, "");
  EXPECT_EQ(rows[1].data, "C:\\Tools\\Shellix.dll");
  EXPECT_EQ(rows[2].valueName, "ThreadingModel");
  EXPECT_EQ(rows[2].data, "Apartment");
  EXPECT_EQ(rows[3].key, "*\\shellex\\ContextMenuHandlers\\VorlaneShellix");
  EXPECT_EQ(rows[4].key, "Folder\\shellex\\ContextMenuHandlers\\VorlaneShellix");
  EXPECT_EQ(rows[4].data, kClassIdText);
}

TEST(Registration, SubkeysAreDeletedBeforeTheirParents) {
  const std::vector<std::string> keys = UnregistrationKeys(kClassIdText);
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0], std::string("CLSID\\") + kClassIdText + "\\InProcServer32");
  EXPECT_EQ(keys[1], std::string("CLSID\\") + kClassIdText);
  EXPECT_EQ(keys[0], settings::kShellixServerKey) << "as the configurator looks for it";
}

// Both parts of the registry as text, a key per line with its values; a
// part may refuse writes, or one key of it every change.
class FakeRegistry final : public RegistryAccess {
 public:
  RegistryAnswer SetText(RegistryPart part, const std::string& key,
                         const std::string& valueName,
                         const std::string& data) override {
    if (Refuses(part, key)) return RegistryAnswer::Denied;
    if (key == failingKey) return RegistryAnswer::Failed;
    keys[part][key][valueName] = data;
    return RegistryAnswer::Done;
  }
  RegistryAnswer DeleteKey(RegistryPart part, const std::string& key) override {
    auto found = keys[part].find(key);
    if (found == keys[part].end()) return RegistryAnswer::Missing;
    if (Refuses(part, key)) return RegistryAnswer::Denied;
    keys[part].erase(found);
    return RegistryAnswer::Done;
  }
  // As Windows answers: a key that is there but refused is opened for the
  // change before its value is looked for.
  RegistryAnswer DeleteValue(RegistryPart part, const std::string& key,
                             const std::string& valueName) override {
    auto found = keys[part].find(key);
    if (found == keys[part].end()) return RegistryAnswer::Missing;
    if (Refuses(part, key)) return RegistryAnswer::Denied;
    if (found->second.erase(valueName) == 0) return RegistryAnswer::Missing;
    return RegistryAnswer::Done;
  }
  bool KeyExists(RegistryPart part, const std::string& key) override {
    return keys[part].count(key) != 0;
  }
  bool ValueExists(RegistryPart part, const std::string& key,
                   const std::string& valueName) override {
    auto found = keys[part].find(key);
    return found != keys[part].end() && found->second.count(valueName) != 0;
  }

  std::string Keys(RegistryPart part) {
    std::string text;
    for (const auto& [key, values] : keys[part]) {
      text += key;
      for (const auto& [name, data] : values) text += " " + name + "=" + data;
      text += "\n";
    }
    return text;
  }

  std::map<RegistryPart, std::map<std::string, std::map<std::string, std::string>>> keys;
  bool machineRefused = false;
  std::string refusedKey;   // in the machine part
  std::string failingKey;   // in either part

 private:
  bool Refuses(RegistryPart part, const std::string& key) const {
    return part == RegistryPart::Machine && (machineRefused || key == refusedKey);
  }
};

const std::string kClasses = std::string(kClassesKey) + "CLSID\\" + kClassIdText;
const std::string kFileHandler =
    std::string(kClassesKey) + "*\\shellex\\ContextMenuHandlers\\VorlaneShellix";
const std::string kFolderHandler =
    std::string(kClassesKey) + "Folder\\shellex\\ContextMenuHandlers\\VorlaneShellix";

TEST(Registration, GoesToTheUserWhereTheMachineRefusesAndComesOutOfBoth) {
  FakeRegistry registry;
  // Refused half-way: what the machine part took goes again.
  registry.refusedKey = kFileHandler;
  const std::string other = std::string(kClassesKey) + "*\\shellex\\ContextMenuHandlers\\Other";
  registry.keys[RegistryPart::User][other][""] = "kept";
  EXPECT_EQ(Register(registry, kClassIdText, "C:\\Tools\\Shellix.dll", true),
            RegisteredIn::User);
  EXPECT_EQ(registry.Keys(RegistryPart::Machine), "");
  EXPECT_EQ(registry.Keys(RegistryPart::User),
            other + " =kept\n" + kFileHandler + " ={8D775404-DD7B-11D3-BC49-906B51C10000}\n" +
                kClasses + " =VorlaneShellix\n" + kClasses +
                "\\InProcServer32 =C:\\Tools\\Shellix.dll ThreadingModel=Apartment\n" +
                kFolderHandler + " ={8D775404-DD7B-11D3-BC49-906B51C10000}\n" + kApprovedKey +
                " {8D775404-DD7B-11D3-BC49-906B51C10000}=VorlaneShellix\n");

  // The machine part never held it: that is no failure.
  EXPECT_TRUE(Unregister(registry, kClassIdText));
  EXPECT_EQ(registry.Keys(RegistryPart::User), other + " =kept\n" + kApprovedKey + "\n");
  EXPECT_TRUE(Unregister(registry, kClassIdText)) << "nothing left is success";
}

// A user without administrator rights: the machine's approval list is
// there, holding other extensions, and may not be opened for a change.
TEST(Registration, AUsersUnregistrationLeavesTheMachinesPartUntouched) {
  FakeRegistry registry;
  registry.keys[RegistryPart::Machine][kApprovedKey]["{other}"] = "Other";
  registry.machineRefused = true;
  EXPECT_EQ(Register(registry, kClassIdText, "C:\\Shellix.dll", true), RegisteredIn::User);
  EXPECT_TRUE(Unregister(registry, kClassIdText));
  EXPECT_EQ(registry.Keys(RegistryPart::User), std::string(kApprovedKey) + "\n");
  EXPECT_EQ(registry.Keys(RegistryPart::Machine), std::string(kApprovedKey) + " {other}=Other\n");
}

TEST(Registration, MachineApprovalRefusedAloneGoesToTheUser) {
  FakeRegistry registry;
  registry.refusedKey = kApprovedKey;
  EXPECT_EQ(Register(registry, kClassIdText, "C:\\Shellix.dll", true),
            RegisteredIn::Machine);
  EXPECT_EQ(registry.keys[RegistryPart::Machine].size(), 4u);
  EXPECT_EQ(registry.Keys(RegistryPart::User),
            std::string(kApprovedKey) + " {8D775404-DD7B-11D3-BC49-906B51C10000}=VorlaneShellix\n");
  // Without approval the machine part is written alone.
  FakeRegistry plain;
  EXPECT_EQ(Register(plain, kClassIdText, "C:\\Shellix.dll", false), RegisteredIn::Machine);
  EXPECT_EQ(plain.Keys(RegistryPart::User), "");
}

TEST(Registration, AFailureOtherThanARefusalLeavesNothing) {
  FakeRegistry registry;
  registry.failingKey = kFolderHandler;
  EXPECT_EQ(Register(registry, kClassIdText, "C:\\Shellix.dll", true),
            RegisteredIn::Nowhere);
  EXPECT_EQ(registry.Keys(RegistryPart::Machine), "");
  EXPECT_EQ(registry.Keys(RegistryPart::User), "");
  // Refused for the machine, failing for the user.
  registry.machineRefused = true;
  EXPECT_EQ(Register(registry, kClassIdText, "C:\\Shellix.dll", true),
            RegisteredIn::Nowhere);
  EXPECT_EQ(registry.Keys(RegistryPart::User), "");
}

TEST(Registration, UnregisteringSaysSoWhenAPartKeepsIt) {
  FakeRegistry registry;
  EXPECT_EQ(Register(registry, kClassIdText, "C:\\Shellix.dll", false),
            RegisteredIn::Machine);
  registry.machineRefused = true;
  EXPECT_EQ(Register(registry, kClassIdText, "C:\\Shellix.dll", false),
            RegisteredIn::User);
  EXPECT_FALSE(Unregister(registry, kClassIdText));
  EXPECT_EQ(registry.keys[RegistryPart::Machine].size(), 4u);
  EXPECT_EQ(registry.Keys(RegistryPart::User), "") << "the user's part still goes";
}

TEST(MenuList, NumberOrderWithEmptyLinesForMissingNames) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuCount=4\nMenuOrder=1*3*2*4*\nMenuName1=Work\n"
      "MenuName2=Games\nMenuName4=Tools\n");
  EXPECT_EQ(MenuNames(doc),
            (std::vector<std::string>{"Work", "Games", "", "Tools"}));
  IniDocument empty;
  EXPECT_TRUE(MenuNames(empty).empty());
}

TEST(AddFile, AppendsAfterTheLastEntry) {
  IniDocument doc = IniDocument::Parse("[Settings]\nCount2=4\n");
  EXPECT_EQ(AddToMenu(doc, 2, "C:\\Apps\\editor.exe", "editor"), AddResult::Added);
  EXPECT_EQ(doc.Text(),
            "[Settings]\r\nCount2=5\r\n[Program Locations2]\r\n"
            "Program5=C:\\Apps\\editor.exe\r\nDes5=editor\r\nPar5=\r\nOM5=0\r\n"
            "Icon5=\r\n");
}

// A folder added as a submenu of its contents carries Expand=1, through the
// edit the dialog makes; one added as before carries no Expand at all, and
// takes away one that a removed item left in its slot.
TEST(AddFile, FolderShownAsASubmenuCarriesExpand) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nCount1=1\n[Program Locations1]\nProgram2=C:\\old\nExpand2=1\n");
  EXPECT_EQ(AddFileToMenu(doc, 1, "C:\\Tools", "Tools", true), AddResult::Added);
  EXPECT_EQ(doc.ReadString("Program locations1", "Expand2", "<absent>", 10), "1");
  EXPECT_EQ(AddFileToMenu(doc, 1, "C:\\Games", "Games"), AddResult::Added);
  EXPECT_EQ(doc.ReadString("Program locations1", "Expand3", "<absent>", 10), "<absent>");

  IniDocument reused = IniDocument::Parse(
      "[Settings]\nCount1=1\n[Program Locations1]\nProgram2=C:\\old\nExpand2=1\n");
  EXPECT_EQ(AddFileToMenu(reused, 1, "C:\\Games", "Games", false), AddResult::Added);
  EXPECT_EQ(reused.ReadString("Program locations1", "Expand2", "<absent>", 10),
            "<absent>");
}

TEST(AddFile, MenuWithoutCountGetsItsFirstEntry) {
  IniDocument doc;
  EXPECT_EQ(AddToMenu(doc, 3, "C:\\a.exe", "a"), AddResult::Added);
  EXPECT_EQ(doc.ReadInt("Settings", "Count3", 0), 1);
  EXPECT_EQ(doc.ReadString("Program locations3", "Program1", "", 259), "C:\\a.exe");
}

TEST(AddFile, NothingIsWrittenWithoutPathDescriptionOrMenu) {
  IniDocument doc = IniDocument::Parse("[Settings]\nCount1=1\n");
  const std::string before = doc.Text();
  EXPECT_EQ(AddToMenu(doc, 1, "D:\\", ""), AddResult::NothingToAdd);
  EXPECT_EQ(AddToMenu(doc, 1, "", "x"), AddResult::NothingToAdd);
  EXPECT_EQ(AddToMenu(doc, 0, "C:\\a.exe", "a"), AddResult::NoSuchMenu);
  EXPECT_EQ(doc.Text(), before);
}

// Near the integer limit the next number would overflow (or read back as
// -1): a damaged count is refused before anything is written.
TEST(DamagedCounts, AddAndNewRefuseAndWriteNothing) {
  for (const char* count : {"2147483647", "4294967295", "100000", "-1"}) {
    SCOPED_TRACE(count);
    const std::string c(count);
    IniDocument doc = IniDocument::Parse("[Settings]\nMenuCount=" + c +
                                         "\nMenuOrder=1*\nCount1=" + c + "\n");
    const std::string before = doc.Text();
    EXPECT_EQ(AddToMenu(doc, 1, "C:\\a.exe", "a"), AddResult::DamagedCount);
    EXPECT_EQ(AddMenu(doc), std::nullopt);
    EXPECT_EQ(doc.Text(), before);
  }
  IniDocument huge = IniDocument::Parse("[Settings]\nMenuCount=2147483647\n");
  EXPECT_TRUE(MenuNames(huge).empty());
}

TEST(NewMenu, AppendsToCountNamesAndOrder) {
  IniDocument doc =
      IniDocument::Parse("[Settings]\nMenuCount=3\nMenuOrder=1*3*2*\n");
  EXPECT_EQ(AddMenu(doc), 4);
  EXPECT_EQ(doc.ReadInt("Settings", "MenuCount", 0), 4);
  EXPECT_EQ(doc.ReadString("Settings", "MenuName4", "", 63), "Menu4");
  EXPECT_EQ(doc.ReadString("Settings", "MenuOrder", "", 254), "1*3*2*4*");
  EXPECT_EQ(doc.ReadString("Settings", "Count4", "none", 10), "none");
}

// The order is written anew as the readers show it: a last token without
// its "*" is not run into the new number, and a stale token never puts the
// new menu anywhere but last.
TEST(NewMenu, DamagedOrderKeepsTheShownMenusAndAddsTheNewOneLast) {
  struct Case {
    const char* count;
    const char* order;
    const char* written;
  };
  for (const Case& c : {Case{"2", "1*2", "1*2*3*"}, Case{"2", "1*3*2*", "1*2*3*"},
                        Case{"3", "2**1*2*0*9*", "2*1*4*"}, Case{"0", "1*", "1*"},
                        Case{"1", "", "2*"}}) {
    SCOPED_TRACE(c.order);
    IniDocument doc = IniDocument::Parse(std::string("[Settings]\nMenuCount=") +
                                         c.count + "\nMenuOrder=" + c.order + "\n");
    std::vector<int> shown = settings::ShownMenus(doc);
    const std::optional<int> added = AddMenu(doc);
    ASSERT_TRUE(added.has_value());
    if (std::find(shown.begin(), shown.end(), *added) == shown.end()) {
      shown.push_back(*added);
    }
    EXPECT_EQ(doc.ReadString("Settings", "MenuOrder", "", 254), c.written);
    EXPECT_EQ(settings::ShownMenus(doc), shown);
  }
}

TEST(NewMenu, FirstMenuOfAnEmptyFile) {
  IniDocument doc;
  EXPECT_EQ(AddMenu(doc), 1);
  EXPECT_EQ(AddMenu(doc), 2);
  EXPECT_EQ(doc.ReadString("Settings", "MenuOrder", "", 254), "1*2*");
}

TEST(NewMenu, LongOrderKeepsItsTail) {
  std::string order;
  for (int i = 1; i <= 120; ++i) order += std::to_string(i) + "*";
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nMenuCount=120\nMenuOrder=" + order + "\n");
  AddMenu(doc);
  EXPECT_EQ(doc.ReadString("Settings", "MenuOrder", "", 100000), order + "121*");
}

}  // namespace
}  // namespace vorlane::shellext
