// A configurator edit stored through settings::SettingsEdit leaves the file
// byte for byte as the same edit made key by key with the platform's own
// writes leaves it, on generated files holding what real files hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "../core/generated_menu_file.h"
#include "configurator/item_list/item_operations.h"
#include "configurator/menu_list/menu_operations.h"
#include "settings/menu_edits.h"
#include "settings/profile_store_win32.h"
#include "settings/settings_edit.h"
#include "test_support.h"
#include "win32/handles.h"

namespace vorlane::settings {
namespace {

using test::Pick;

std::string Value(std::mt19937& random, const std::string& plain) {
  switch (Pick(random, 0, 9)) {
    case 0: return "\"" + plain + "\"";
    case 1: return "say \"" + plain + "\" twice";
    case 2: return "";
    case 3: return plain + std::string(Pick(random, 200, 400), 'x');
    default: return plain;
  }
}

// Now and then in odd case: the platform keeps a key's name as first written.
std::string Key(std::mt19937& random, std::string stem, int number) {
  if (Pick(random, 0, 12) == 0) {
    for (char& c : stem) c = static_cast<char>(std::toupper(c));
  }
  return stem + std::to_string(number);
}

struct GeneratedFile {
  std::string text;
  int menus = 0;
};

// 6 to 10 menus in shuffled order, sections in shuffled order, a quarter of
// the items expanded folders. Every third
// menu is empty and has no section, so that a removal below it creates the
// section anew, where the key-by-key writes would. `skippedLines` adds what
// a section read leaves out: comments and lines without "=" in [Settings]
// and the item sections, and a second [Settings] section.
GeneratedFile Generate(unsigned seed, bool skippedLines) {
  std::mt19937 random(seed);
  GeneratedFile file{"; written by hand\r\n", Pick(random, 6, 10)};
  std::vector<int> order(file.menus);
  for (int m = 1; m <= file.menus; ++m) order[m - 1] = m;
  std::shuffle(order.begin(), order.end(), random);
  std::string orderText;
  for (int m : order) orderText += std::to_string(m) + "*";
  std::vector<std::string> settings = {
      "MenuCount=" + std::to_string(file.menus), "MenuOrder=" + orderText,
      "FontFace=\"Lucida Console\"", "ContactCount=2"};
  std::vector<std::string> sections = {
      "[Emailcontacts]\r\n; from the address book\r\nName1=Ann\r\n"
      "Email1=\"ann@example.org\"\r\nName2=Bo\r\nEmail2=bo@example.org\r\n"};
  for (int m = 1; m <= file.menus; ++m) {
    const int items = m % 3 == 0 ? 0 : Pick(random, 5, 40);
    settings.push_back(Key(random, "MenuName", m) + "=" +
                       Value(random, "Menu " + std::to_string(m)));
    settings.push_back(Key(random, "Count", m) + "=" + std::to_string(items));
    if (items == 0) continue;
    const char* stem = Pick(random, 0, 4) ? "[Program locations" : "[program LOCATIONS";
    std::string section = stem + std::to_string(m) + "]\r\n";
    for (int i = 1; i <= items; ++i) {
      const std::string tag = std::to_string(m) + "_" + std::to_string(i);
      auto line = [&](const char* key, const std::string& value) {
        section += Key(random, key, i) + "=" + value + "\r\n";
      };
      line("Program", Value(random, "C:\\Tools\\app" + tag + ".exe"));
      line("Des", Value(random, "Item " + tag));
      if (Pick(random, 0, 9) == 0) line("Des", "shadowed");  // never read
      line("Par", Value(random, "/p " + tag));
      line("OM", std::to_string(Pick(random, 0, 3)));
      line("Icon", Value(random, "C:\\a,b\\icons.dll," + std::to_string(i)));
      // Only some items carry it; a move takes it away from the slot it leaves.
      if (Pick(random, 0, 3) == 0) line("Expand", "1");
      if (skippedLines && i == 3) section += "; item 3 was checked\r\nstray line\r\n";
    }
    sections.push_back(section);
  }
  std::shuffle(settings.begin(), settings.end(), random);
  if (skippedLines) settings.insert(settings.begin() + 2, {"; by hand", "Startup"});
  sections.push_back("[Settings]\r\n");
  for (const std::string& line : settings) sections.back() += line + "\r\n";
  std::shuffle(sections.begin(), sections.end(), random);
  for (const std::string& section : sections) file.text += section;
  if (skippedLines) file.text += "[SETTINGS]\r\nMenuCount=99\r\n";
  return file;
}

struct MenuEdit {
  std::string name;
  std::function<bool(SettingsStore&)> run;
};

std::vector<MenuEdit> Edits(int menus) {
  using namespace configurator;
  auto lowestNumber = [](SettingsStore& s) {
    const std::vector<MenuLine> lines = ReadMenuList(s);
    const auto lowest = std::min_element(
        lines.begin() + 1, lines.end(),
        [](const MenuLine& a, const MenuLine& b) { return a.number < b.number; });
    return static_cast<int>(lowest - lines.begin());
  };
  return {
      {"remove first", [](SettingsStore& s) { return RemoveMenu(s, 1); }},
      {"remove middle", [=](SettingsStore& s) { return RemoveMenu(s, menus / 2); }},
      {"remove last", [=](SettingsStore& s) { return RemoveMenu(s, menus - 1); }},
      {"remove lowest number",
       [=](SettingsStore& s) { return RemoveMenu(s, lowestNumber(s)); }},
      {"move up", [=](SettingsStore& s) { return MoveMenuUp(s, menus - 1); }},
      {"move down", [](SettingsStore& s) { return MoveMenuDown(s, 1); }},
      {"rename", [=](SettingsStore& s) {
         RenameMenu(s, menus / 2, "  New \"name\"  ");
         return true;
       }},
      {"add", [](SettingsStore& s) { return AddMenu(s).has_value(); }},
  };
}

// On a mismatch, the first line where the files part, after the lines
// before it.
::testing::AssertionResult SameBytes(const std::string& keyByKey,
                                     const std::string& edited) {
  if (keyByKey == edited) return ::testing::AssertionSuccess();
  std::vector<std::string> want(1), got(1);
  for (char c : keyByKey) c == '\n' ? want.emplace_back() : want.back() += c;
  for (char c : edited) c == '\n' ? got.emplace_back() : got.back() += c;
  std::size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  auto shown = [](const std::vector<std::string>& lines, std::size_t k) {
    return k < lines.size() ? lines[k].substr(0, 100) : std::string("<end of file>");
  };
  auto result = ::testing::AssertionFailure() << "files part at line " << i + 1;
  for (std::size_t k = i < 3 ? 0 : i - 3; k < i; ++k) result << "\n    " << shown(want, k);
  return result << "\n  key by key: " << shown(want, i)
                << "\n  edit:       " << shown(got, i);
}

class SettingsEditOnDisk : public ::testing::Test {
 protected:
  test::TempFolder folder;

  void ExpectSameFile(const GeneratedFile& file, const MenuEdit& edit) {
    SCOPED_TRACE(edit.name);
    ProfileStore direct(folder.File(edit.name + " key by key.ini"));
    ProfileStore stored(folder.File(edit.name + " edit.ini"));
    test::WriteTextFile(direct.Path(), file.text);
    test::WriteTextFile(stored.Path(), file.text);
    const bool doneDirectly = edit.run(direct);
    SettingsEdit held(stored);
    EXPECT_EQ(edit.run(held), doneDirectly);
    ASSERT_TRUE(held.Commit());
    EXPECT_TRUE(SameBytes(test::ReadTextFile(direct.Path()),
                          test::ReadTextFile(stored.Path())));
  }
};

TEST_F(SettingsEditOnDisk, EveryMenuEditLeavesWhatKeyByKeyWritesLeave) {
  for (unsigned seed : {11u, 2026u, 90210u}) {
    SCOPED_TRACE(seed);
    const GeneratedFile file = Generate(seed, false);
    for (const MenuEdit& edit : Edits(file.menus)) ExpectSameFile(file, edit);
  }
}

// Edits of a few keys are stored key by key, which keeps the lines that a
// section read does not hand back.
TEST_F(SettingsEditOnDisk, SmallEditsKeepCommentsAndLinesWithoutEquals) {
  const GeneratedFile file = Generate(7, true);
  for (const MenuEdit& edit : Edits(file.menus)) {
    if (edit.name.rfind("remove", 0) != 0) ExpectSameFile(file, edit);
  }
}

// Wine 8 writes a section whole by deleting every line of every section of
// that name, comments included, and adding back only the "key=value" lines
// it was given; a removal rewrites [Settings] and item sections whole.
TEST_F(SettingsEditOnDisk, RemovalKeepsCommentsAndLinesWithoutEquals) {
  const GeneratedFile file = Generate(7, true);
  for (const MenuEdit& edit : Edits(file.menus)) {
    if (edit.name.rfind("remove", 0) == 0) ExpectSameFile(file, edit);
  }
}

// While another program holds the file open without sharing, every read of
// an edit gives defaults: an item added then would be written over item 1,
// and a section written whole would lose every other item. The edit knows
// its read failed and writes nothing, neither key by key nor whole, even
// when the holder has let go by the time it is committed.
TEST_F(SettingsEditOnDisk, FileHeldOpenIsLeftAsItWas) {
  const std::string path = folder.File("held.ini");
  const std::string text = Generate(11, false).text;
  test::WriteTextFile(path, text);
  ProfileStore file(path);
  std::vector<configurator::ItemFields> files;
  for (int i = 1; i <= 5; ++i) {
    files.push_back({"C:\\f" + std::to_string(i) + ".txt", "f" + std::to_string(i), "", "", 0});
  }
  SettingsEdit one(file);
  SettingsEdit many(file);
  {
    win32::UniqueFile holder(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_TRUE(configurator::AddItem(one, 1, files[0]).has_value());
    EXPECT_EQ(configurator::AddFileItems(many, 1, files, "", 0, {}).size(), files.size());
  }
  EXPECT_TRUE(one.ReadFailed());
  EXPECT_FALSE(one.Commit());
  EXPECT_TRUE(many.ReadFailed());
  EXPECT_FALSE(many.Commit());
  EXPECT_TRUE(SameBytes(text, test::ReadTextFile(path)));

  SettingsEdit after(file);
  ASSERT_TRUE(configurator::AddItem(after, 1, files[0]).has_value());
  EXPECT_FALSE(after.ReadFailed());
  EXPECT_TRUE(after.Commit());
  EXPECT_NE(test::ReadTextFile(path), text);
}

// Values the reader would change if they were stored as they are, written
// through an edit: a few keys stored one by one, and more than eight stored
// with one write of the whole section. The platform's own reader gives each
// back as written.
TEST_F(SettingsEditOnDisk, WrittenValuesReadBackExactlyByEitherWrite) {
  const std::vector<std::string> values = {
      "\"C:\\My Docs\\a b.txt\"", "\"a\" \"b\"", "'x y'", "\"\"x\"\"", "   ",
      " lead", "trail\t", "\"", "''", "\"a'", "\"open", "-x \"y\"", "plain"};
  const std::string path = folder.File("quoted.ini");
  test::WriteTextFile(path, "[Settings]\r\nMenuCount=2\r\n"
                            "[Program locations2]\r\nPar1=old\r\n");
  ProfileStore file(path);
  for (std::size_t keys : {std::size_t{3}, values.size()}) {
    SCOPED_TRACE(keys);
    const std::string section = keys > 8 ? "Program locations2" : "Program locations1";
    SettingsEdit edit(file);
    for (std::size_t i = 0; i < keys; ++i) {
      edit.WriteString(section, NumberedName(kPar.name, static_cast<int>(i + 1)),
                       values[i]);
    }
    ASSERT_TRUE(edit.Commit());
    for (std::size_t i = 0; i < keys; ++i) {
      const std::string key = NumberedName(kPar.name, static_cast<int>(i + 1));
      char buffer[1024] = {};
      GetPrivateProfileStringA(section.c_str(), key.c_str(), "<absent>", buffer,
                               static_cast<DWORD>(std::size(buffer)), path.c_str());
      EXPECT_EQ(std::string(buffer), values[i]) << key;
    }
  }
}

}  // namespace
}  // namespace vorlane::settings
