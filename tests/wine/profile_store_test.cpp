// The settings code against the platform's real private-profile functions:
// the rules the readers depend on hold there, and the in-memory document
// used by the native tests answers exactly as the platform does.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "settings/ini_document.h"
#include "settings/profile_store_win32.h"
#include "settings/settings_model.h"
#include "test_support.h"

namespace vorlane::settings {
namespace {

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
      {kSettingsSection, kMenuOrder, 0},   {kSettingsSection, kMenuName, 1},
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

TEST_F(ProfileStoreTest, DefaultFileWrittenKeyByKey) {
  WriteDefaultFile(store, "C:\\windows");
  IniDocument expected;
  WriteDefaultFile(expected, "C:\\windows");
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
