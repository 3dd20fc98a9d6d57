// The settings code against the platform's real private-profile functions:
// the rules the readers depend on hold there, and the in-memory document
// used by the native tests answers exactly as the platform does.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "../core/generated_menu_file.h"
#include "settings/ini_document.h"
#include "settings/profile_store_win32.h"
#include "settings/section_values.h"
#include "settings/settings_model.h"
#include "test_support.h"
#include "win32/handles.h"

namespace vorlane::settings {
namespace {

// The section's data when it was read whole, else what kept it from that.
std::string DataOf(const SectionRead& read) {
  switch (read.outcome) {
    case SectionRead::Outcome::Whole: return read.data;
    case SectionRead::Outcome::TooLarge: return "<too large>";
    case SectionRead::Outcome::Unreadable: return "<unreadable>";
  }
  return "<?>";
}

class ProfileStoreTest : public ::testing::Test {
 protected:
  test::TempFolder folder;
  std::string path = folder.File("vorlane.ini");
  ProfileStore store{path};

  void Prepare(const std::string& text) { test::WriteTextFile(path, text); }
};

TEST_F(ProfileStoreTest, SectionAndKeyNamesMatchWithoutRegardToCase) {
  Prepare("[Program Locations2]\r\nProgram1=C:\\a.exe\r\n"
          "[Settings]\r\nmenucount=3\r\n");
  EXPECT_EQ(Read(store, ProgramSection(2), kProgram, 1), "C:\\a.exe");
  EXPECT_EQ(Read(store, kSettingsSection, kMenuCount), 3);
}

TEST_F(ProfileStoreTest, BothSectionSpellingsWriteOneSection) {
  store.WriteString("Program locations2", "Program1", "a");
  store.WriteString("Program Locations2", "Des1", "b");
  const IniDocument written = IniDocument::Parse(test::ReadTextFile(path));
  ASSERT_EQ(written.Sections().size(), 1u);
  EXPECT_EQ(written.Sections()[0].name, "Program locations2");
  EXPECT_EQ(written.Sections()[0].entries.size(), 2u);
}

TEST_F(ProfileStoreTest, IntegerReading) {
  Prepare("[Settings]\r\nFontSize=-12\r\nBatchPause=\r\nOpenMenu=abc\r\n");
  EXPECT_EQ(Read(store, kSettingsSection, kFontSize), -12);
  EXPECT_EQ(Read(store, kSettingsSection, kBatchPause), 1000);
  EXPECT_EQ(Read(store, kSettingsSection, kOpenMenu), 0);
  EXPECT_EQ(Read(store, kSettingsSection, kFontWeight), 400);
}

TEST_F(ProfileStoreTest, MissingFileReadsAsDefaults) {
  EXPECT_EQ(Read(store, kSettingsSection, kMenuName, 4), "SubMenu");
  EXPECT_EQ(Read(store, kSettingsSection, kMenuOrder), "");
  EXPECT_EQ(Read(store, kSettingsSection, kFontSize), -10);
  EXPECT_FALSE(test::FileExists(path));
}

struct LimitedKey {
  const char* section;
  TextKey key;
  int number;  // 0 for a key without a number
};

TEST_F(ProfileStoreTest, EveryTextKeyIsCutAtItsReadLimit) {
  const std::vector<LimitedKey> keys = {
      {kSettingsSection, kMenuName, 1},
      {kSettingsSection, kIcon, 0},        {kSettingsSection, kFontFace, 0},
      {"Program locations1", kProgram, 1}, {"Program locations1", kProgramToLaunch, 2},
      {"Program locations1", kDes, 1},     {"Program locations1", kPar, 1},
      {"Program locations1", kItemIcon, 1}, {kContactsSection, kContactName, 1},
      {kContactsSection, kContactEmail, 1}};
  const std::string huge(5000, 'x');
  for (const LimitedKey& k : keys) {
    const std::string name = k.number ? NumberedName(k.key.name, k.number)
                                      : std::string(k.key.name);
    store.WriteString(k.section, name, huge);
  }
  for (const LimitedKey& k : keys) {
    const std::string value = k.number ? Read(store, k.section, k.key, k.number)
                                       : Read(store, k.section, k.key);
    EXPECT_EQ(value.size(), k.key.limit) << k.section << " " << k.key.name;
  }
}

TEST_F(ProfileStoreTest, InMemoryDocumentAnswersLikeThePlatform) {
  const std::string text =
      "[Settings]\r\n"
      "  MenuCount = 2 \r\n"
      "menucount=9\r\n"
      "MenuName1=\"Quoted\"\r\n"
      "MenuName2=  padded value  \r\n"
      "a line without equals\r\n"
      "FontSize=-12\r\n"
      "OpenMenu=\r\n"
      "[program LOCATIONS1]\r\n"
      "Des1=First\r\n"
      "=no key\r\n"
      "[Program locations1]\r\n"
      "Des2=Second section of the same name\r\n";
  Prepare(text);
  IniDocument doc = IniDocument::Parse(text);
  const std::vector<std::pair<std::string, std::string>> textKeys = {
      {kSettingsSection, "MenuName1"}, {kSettingsSection, "MenuName2"},
      {kSettingsSection, "MenuName3"}, {kSettingsSection, "a line without equals"},
      {"Program locations1", "Des1"},  {"Program locations1", "Des2"},
      {"Missing", "Key"}};
  for (const auto& [section, key] : textKeys) {
    EXPECT_EQ(doc.ReadString(section, key, "dflt", 255),
              store.ReadString(section, key, "dflt", 255))
        << section << " " << key;
  }
  for (const char* key : {"MenuCount", "FontSize", "OpenMenu", "Absent"}) {
    EXPECT_EQ(doc.ReadInt(kSettingsSection, key, 77),
              store.ReadInt(kSettingsSection, key, 77))
        << key;
  }
}

// MenuOrder is read whole, and so is any value up to its key's limit,
// whatever the size of the buffer it is first read with: lengths around
// each doubling, quoted ones too (Wine loses a character of a quoted value
// that exactly fills the buffer).
TEST_F(ProfileStoreTest, ValuesAreReadWholeUpToTheirLimit) {
  std::string order;
  for (int m = 1; order.size() < 5000; ++m) order += std::to_string(m) + "*";
  Prepare("[Settings]\r\nMenuOrder=" + order + "\r\n");
  EXPECT_EQ(Read(store, kSettingsSection, kMenuOrder), order);

  for (std::size_t size = kFirstValueBuffer + 1; size <= 8 * (kFirstValueBuffer + 1);
       size *= 2) {
    for (std::size_t length = size - 4; length <= size + 3; ++length) {
      const std::string value(length, 'v');
      Prepare("[Program locations1]\r\nPar1=" + value + "\r\nPar2=\"" + value +
              "\"\r\n");
      const TextKey whole{"Par", "", 65535};
      EXPECT_EQ(Read(store, "Program locations1", whole, 1), value) << length;
      EXPECT_EQ(Read(store, "Program locations1", whole, 2), value) << length;
      EXPECT_EQ(Read(store, "Program locations1", kPar, 1).size(),
                std::min(length, kPar.limit)) << length;
    }
  }
}

// Files made of the things that trip readers up: names in odd case, keys and
// sections twice, values past the read limits, lines without "=", blanks.
std::string GeneratedFile(std::mt19937& random) {
  const char* sections[] = {"Settings", "SETTINGS", "Program locations1",
                            "program Locations1", "Emailcontacts"};
  const char* keys[] = {"MenuCount", "menucount", "Count1", "Des1", "DES1",
                        "Program2", "OM2", "Name1"};
  std::string text;
  const int lines = std::uniform_int_distribution<int>(1, 40)(random);
  for (int i = 0; i < lines; ++i) {
    switch (std::uniform_int_distribution<int>(0, 5)(random)) {
      case 0:
        text.append("[").append(sections[random() % std::size(sections)]);
        text.append("]\r\n");
        break;
      case 1:
        text.append("a line without equals\r\n");
        break;
      case 2:
        text.append(keys[random() % std::size(keys)]).append("=");
        text.append(std::string(random() % 700, 'v')).append("\r\n");
        break;
      default:
        text.append(keys[random() % std::size(keys)]).append("=");
        text.append(std::to_string(static_cast<int>(random() % 2000) - 1000));
        text.append(random() % 4 == 0 ? "x" : "").append("\r\n");
        break;
    }
  }
  return text;
}

TEST_F(ProfileStoreTest, GeneratedFilesReadTheSameInMemoryAndOnDisk) {
  std::mt19937 random(20261207);
  const char* sections[] = {"Settings", "Program locations1", "Emailcontacts"};
  const char* keys[] = {"MenuCount", "Count1", "Des1", "Program2", "OM2",
                        "Name1", "Absent"};
  for (int file = 0; file < 40; ++file) {
    const std::string text = GeneratedFile(random);
    ProfileStore onDisk(folder.File("generated" + std::to_string(file) + ".ini"));
    test::WriteTextFile(onDisk.Path(), text);
    IniDocument inMemory = IniDocument::Parse(text);
    for (const char* section : sections) {
      for (const char* key : keys) {
        ASSERT_EQ(inMemory.ReadString(section, key, "dflt", 254),
                  onDisk.ReadString(section, key, "dflt", 254))
            << section << " " << key << " in\n" << text;
        ASSERT_EQ(inMemory.ReadInt(section, key, 5),
                  onDisk.ReadInt(section, key, 5))
            << section << " " << key << " in\n" << text;
      }
    }
  }
}

// How Wine 8 gives a section: comments and blank lines left out, bare names
// for lines without "=", quotes kept, a line "[" without "]" taken as a key,
// of nameless lines in a row only the first, only the first section of a
// name. The in-memory document gives the same.
TEST_F(ProfileStoreTest, SectionDataOfOddLines) {
  using namespace std::string_literals;
  const std::string text =
      "[S]\r\na=1\r\njustname\r\n  b  =  2  \r\nA=dup\r\n;comment=x\r\n"
      "; plain comment\r\nq=\"quoted\"\r\nq2='x'\r\n=novalue\r\n\r\n"
      "=second\r\n[broken\r\nc=\r\n=after\r\n[T]\r\nz=1\r\n[s]\r\nlater=1\r\n";
  Prepare(text);
  const std::string expected =
      "a=1\0justname\0b=2\0A=dup\0q=\"quoted\"\0q2='x'\0=novalue\0"
      "[broken\0c=\0=after\0\0"s;
  EXPECT_EQ(DataOf(store.ReadSection("s")), expected);
  EXPECT_EQ(DataOf(IniDocument::Parse(text).ReadSection("s")), expected);
}

TEST_F(ProfileStoreTest, AbsentSectionOrFileIsOneNul) {
  using namespace std::string_literals;
  EXPECT_EQ(DataOf(store.ReadSection("Program locations1")), "\0"s);
  EXPECT_FALSE(test::FileExists(path));
  Prepare("[Program locations1]\r\n; nothing\r\n\r\n[Settings]\r\nk=1\r\n");
  EXPECT_EQ(DataOf(store.ReadSection("Program locations1")), "\0"s);
  EXPECT_EQ(DataOf(store.ReadSection("Program locations2")), "\0"s);
}

// Every item key read from the section gives what a single-key read of it
// gives, and the in-memory document forms the section as the platform does.
TEST_F(ProfileStoreTest, SectionReadAnswersAsSingleKeyReadsOnGeneratedFiles) {
  std::mt19937 random(20261207);
  for (int file = 0; file < 60; ++file) {
    const int count = test::Pick(random, 1, 12);
    const std::string text = test::GeneratedMenuFile(random, count);
    ProfileStore onDisk(folder.File("menu" + std::to_string(file) + ".ini"));
    test::WriteTextFile(onDisk.Path(), text);

    const SectionRead read = onDisk.ReadSection(test::kGeneratedSection);
    ASSERT_TRUE(read.IsWhole()) << text;
    ASSERT_EQ(read.data,
              DataOf(IniDocument::Parse(text).ReadSection(test::kGeneratedSection)))
        << text;
    const SectionValues values(read.data);
    ASSERT_EQ(Read(onDisk, kSettingsSection, kCount, 1), count);
    for (int i = 1; i <= count + 3; ++i) {
      for (const TextKey& key : {kProgram, kDes, kItemIcon}) {
        ASSERT_EQ(Read(values, key, i),
                  Read(onDisk, test::kGeneratedSection, key, i))
            << key.name << i << " in\n" << text;
      }
      ASSERT_EQ(Read(values, kOpenMode, i),
                Read(onDisk, test::kGeneratedSection, kOpenMode, i))
          << "OM" << i << " in\n" << text;
    }
  }
}

// Sections whose data ends near and beyond the first buffer: the platform
// reports a section that just fits as it reports one that was cut.
TEST_F(ProfileStoreTest, SectionsLargerThanTheFirstBufferAreReadWhole) {
  const std::size_t first = kFirstSectionBuffer;
  // "Program1=" + value + NUL + the closing NUL.
  for (std::size_t length = first - 16; length <= first + 4; ++length) {
    const std::string text = "[Program locations1]\r\nProgram1=" +
                             std::string(length - 11, 'p') + "\r\n";
    Prepare(text);
    const std::string data = DataOf(store.ReadSection("Program locations1"));
    EXPECT_EQ(data.size(), length) << length;
    EXPECT_EQ(data, DataOf(IniDocument::Parse(text).ReadSection("Program locations1")));
  }

  std::string text = "[Program locations1]\r\n";
  for (int i = 1; i <= 300; ++i) {
    text += "Program" + std::to_string(i) + "=C:\\" + std::string(100, 'a' + i % 26) +
            "\r\nDes" + std::to_string(i) + "=Item " + std::to_string(i) + "\r\n";
  }
  Prepare(text);
  const std::string data = DataOf(store.ReadSection("Program locations1"));
  EXPECT_GT(data.size(), 8 * first);
  EXPECT_EQ(data, DataOf(IniDocument::Parse(text).ReadSection("Program locations1")));
  const SectionValues values(data);
  for (int i = 1; i <= 300; ++i) {
    ASSERT_EQ(Read(values, kProgram, i), Read(store, "Program locations1", kProgram, i));
    ASSERT_EQ(Read(values, kDes, i), "Item " + std::to_string(i));
  }
}

TEST_F(ProfileStoreTest, SectionBeyondTheLastBufferIsNotReadWhole) {
  Prepare("[Program locations1]\r\nDes1=A\r\nProgram1=" +
          std::string(kLastSectionBuffer, 'p') + "\r\n");
  EXPECT_EQ(DataOf(store.ReadSection("Program locations1")), "<too large>");
  EXPECT_EQ(Read(store, "Program locations1", kDes, 1), "A");
}

// Wine 8's single-key read removes the closing quote of a value and then one
// more character when the text inside the quotes exactly fills the buffer;
// with one character fewer it reads right. The section read keeps the whole
// value, as the in-memory document does.
TEST_F(ProfileStoreTest, QuotedValueExactlyFillingTheBuffer) {
  const std::string inside(kDes.limit, 'd');
  Prepare("[Program locations1]\r\nDes1=\"" + inside + "\"\r\nDes2=\"" +
          inside.substr(1) + "\"\r\n");
  EXPECT_EQ(Read(store, "Program locations1", kDes, 1), inside.substr(1));
  EXPECT_EQ(Read(store, "Program locations1", kDes, 2), inside.substr(1));
  const SectionValues values(DataOf(store.ReadSection("Program locations1")));
  EXPECT_EQ(Read(values, kDes, 1), inside);
  EXPECT_EQ(Read(values, kDes, 2), inside.substr(1));
}

// What the platform's own reader gives for the key.
std::string PlatformRead(const std::string& path, const std::string& section,
                         const std::string& key) {
  char buffer[1024] = {};
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "<absent>", buffer,
                           static_cast<DWORD>(std::size(buffer)), path.c_str());
  return buffer;
}

// Values the reader would change if they were stored as they are: it trims
// blanks around a value and strips one pair of matching quotes. Each is read
// back as written, and the file holds what the in-memory document holds.
TEST_F(ProfileStoreTest, EveryWrittenValueReadsBackExactly) {
  const std::vector<std::string> values = {
      "\"C:\\My Docs\\a b.txt\"", "\"a\" \"b\"", "'x y'", "\"\"x\"\"", "   ",
      " lead", "trail\t", "\"", "''", "\"a'", "\"open", "-x \"y\"", "", "plain"};
  IniDocument expected;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string key = NumberedName(kPar.name, static_cast<int>(i + 1));
    ASSERT_TRUE(store.WriteString("Program locations1", key, values[i]));
    expected.WriteString("Program locations1", key, values[i]);
  }
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string key = NumberedName(kPar.name, static_cast<int>(i + 1));
    EXPECT_EQ(PlatformRead(path, "Program locations1", key), values[i]) << key;
    EXPECT_EQ(Read(store, "Program locations1", kPar, static_cast<int>(i + 1)),
              values[i]) << key;
  }
  EXPECT_EQ(IniDocument::Parse(test::ReadTextFile(path)).Text(), expected.Text());
}

// While another program holds the file open without sharing, the profile
// functions fail and a section reads as empty: the store tells that from a
// section that is empty, and from a file that is not there.
TEST_F(ProfileStoreTest, FileHeldOpenIsUnreadableNotEmpty) {
  EXPECT_EQ(DataOf(store.ReadSection("Program locations1")), std::string(1, '\0'));
  EXPECT_EQ(store.SectionsWithHiddenLines(), std::set<std::string>()) << "no file";

  Prepare("[Settings]\r\nMenuCount=1\r\n[Program locations1]\r\n");
  EXPECT_EQ(DataOf(store.ReadSection("Program locations1")), std::string(1, '\0'));
  {
    win32::UniqueFile holder(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ(DataOf(store.ReadSection("Program locations1")), "<unreadable>");
    EXPECT_EQ(DataOf(store.ReadSection("Settings")), "<unreadable>");
    EXPECT_EQ(store.SectionsWithHiddenLines(), std::nullopt);
  }
  EXPECT_EQ(DataOf(store.ReadSection("Settings")), std::string("MenuCount=1\0\0", 13));
}

// The profile functions look for a bare file name in the Windows folder,
// and the look for lines a whole-section write would lose reads that same
// file, not one of the same name in the current folder.
TEST_F(ProfileStoreTest, BareFileNameIsTheOneInTheWindowsFolder) {
  const std::string name =
      "vorlane-test-" + std::to_string(GetCurrentProcessId()) + ".ini";
  const std::string inWindows = test::WindowsDirectory() + "\\" + name;
  const test::OnScopeExit removeIt([&] { DeleteFileA(inWindows.c_str()); });
  test::WriteTextFile(inWindows, "[Program locations1]\r\n; by hand\r\nProgram1=a\r\n");
  test::WriteTextFile(folder.File(name), "[Program locations1]\r\nProgram1=b\r\n");
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(static_cast<DWORD>(std::size(current)), current);
  SetCurrentDirectoryA(folder.Path().c_str());
  ProfileStore bare(name);
  const std::string program = Read(bare, "Program locations1", kProgram, 1);
  const std::optional<std::set<std::string>> hidden = bare.SectionsWithHiddenLines();
  SetCurrentDirectoryA(current);
  EXPECT_EQ(program, "a");
  EXPECT_EQ(hidden, std::set<std::string>{"program locations1"});
}

TEST_F(ProfileStoreTest, DefaultFileWrittenKeyByKey) {
  WriteDefaultFile(store, "C:\\windows", true);
  IniDocument expected;
  WriteDefaultFile(expected, "C:\\windows", true);
  const IniDocument written = IniDocument::Parse(test::ReadTextFile(path));
  ASSERT_EQ(written.Sections().size(), expected.Sections().size());
  for (std::size_t s = 0; s < expected.Sections().size(); ++s) {
    const IniSection& want = expected.Sections()[s];
    const IniSection& got = written.Sections()[s];
    EXPECT_EQ(got.name, want.name);
    ASSERT_EQ(got.entries.size(), want.entries.size()) << want.name;
    for (std::size_t e = 0; e < want.entries.size(); ++e) {
      EXPECT_EQ(got.entries[e].key, want.entries[e].key);
      EXPECT_EQ(got.entries[e].value, want.entries[e].value);
    }
  }
}

}  // namespace
}  // namespace vorlane::settings
