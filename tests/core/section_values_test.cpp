// A section read in one call answers as single-key reads of it would, and
// takes any bytes without harm.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "settings/section_values.h"
#include "settings/settings_model.h"

namespace vorlane::settings {
namespace {

using namespace std::string_literals;  // "..."s keeps the NULs inside

TEST(SectionValues, NamesMatchWithoutRegardToCase) {
  const SectionValues values("PROGRAM1=C:\\a.exe\0des1=A\0iCoN1=x.dll,2\0\0"s);
  EXPECT_EQ(Read(values, kProgram, 1), "C:\\a.exe");
  EXPECT_EQ(Read(values, kDes, 1), "A");
  EXPECT_EQ(Read(values, kItemIcon, 1), "x.dll,2");
}

TEST(SectionValues, FirstLineOfANameWins) {
  const SectionValues values(
      "Des1=first\0DES1=second\0des1=third\0Des2\0Des2=late\0OM1\0OM1=3\0\0"s);
  EXPECT_EQ(Read(values, kDes, 1), "first");
  // A line without "=" is found first and reads as absent, as the platform
  // reads it.
  EXPECT_EQ(values.ReadString("Des2", "dflt", 63), "dflt");
  EXPECT_EQ(Read(values, kOpenMode, 1), 0);
  EXPECT_EQ(values.ReadInt("OM1", 7), 7);
}

TEST(SectionValues, ValuesAreCutAtTheirReadLimitAfterTheQuotesGo) {
  const std::string data = "Program1=" + std::string(1000, 'p') + '\0' +
                           "Des1=" + std::string(300, 'd') + '\0' +
                           "Des2=\"" + std::string(63, 'q') + "\"" + '\0' +
                           "Icon1=" + std::string(259, 'i') + '\0' + '\0';
  const SectionValues values(data);
  EXPECT_EQ(Read(values, kProgram, 1), std::string(259, 'p'));
  EXPECT_EQ(Read(values, kProgramToLaunch, 1), std::string(254, 'p'));
  EXPECT_EQ(Read(values, kDes, 1), std::string(63, 'd'));
  EXPECT_EQ(Read(values, kDes, 2), std::string(63, 'q'));
  EXPECT_EQ(Read(values, kItemIcon, 1), std::string(259, 'i'));
}

TEST(SectionValues, OneMatchingPairOfQuotesIsRemoved) {
  const SectionValues values(
      "a=\"x y\"\0b='z'\0c=\"\0d=\"\"\0e=\"mixed'\0f=\"a\"b\"\0g=\" pad \"\0"s);
  EXPECT_EQ(values.ReadString("a", "", 255), "x y");
  EXPECT_EQ(values.ReadString("b", "", 255), "z");
  EXPECT_EQ(values.ReadString("c", "", 255), "\"");
  EXPECT_EQ(values.ReadString("d", "dflt", 255), "");
  EXPECT_EQ(values.ReadString("e", "", 255), "\"mixed'");
  EXPECT_EQ(values.ReadString("f", "", 255), "a\"b");
  EXPECT_EQ(values.ReadString("g", "", 255), " pad ");
}

TEST(SectionValues, IntegersAsDecimalText) {
  const SectionValues values(
      "OM1=2\0OM2=-12\0OM3=3x\0OM4=\0OM5=abc\0OM6=\"7\"\0OM7=0x10\0OM8=\"\"\0"s);
  EXPECT_EQ(values.ReadInt("OM1", 9), 2);
  EXPECT_EQ(values.ReadInt("OM2", 9), -12);
  EXPECT_EQ(values.ReadInt("OM3", 9), 3);
  EXPECT_EQ(values.ReadInt("OM4", 9), 9);
  EXPECT_EQ(values.ReadInt("OM5", 9), 0);
  EXPECT_EQ(values.ReadInt("OM6", 9), 7);
  EXPECT_EQ(values.ReadInt("OM7", 9), 0);
  EXPECT_EQ(values.ReadInt("OM8", 9), 9);
  EXPECT_EQ(values.ReadInt("OM9", 9), 9);
}

TEST(SectionValues, ValuesMayHoldEqualsSigns) {
  const SectionValues values("Program1=C:\\a.exe?x=1\0=nameless\0\0"s);
  EXPECT_EQ(Read(values, kProgram, 1), "C:\\a.exe?x=1");
  EXPECT_EQ(values.ReadString("nameless", "dflt", 255), "dflt");
}

TEST(SectionValues, EmptyEndedAndUnendedData) {
  for (const std::string& empty : {""s, "\0"s, "\0\0"s, "\0Des1=A\0\0"s}) {
    const SectionValues values(empty);
    EXPECT_EQ(values.ReadString("Des1", "SubMenu", 63), "SubMenu")
        << testing::PrintToString(empty);
    EXPECT_EQ(values.ReadInt("OM1", 1000), 1000);
  }
  // The list ends at its first empty string...
  const SectionValues ended("Des1=A\0\0Des2=B\0\0"s);
  EXPECT_EQ(Read(ended, kDes, 1), "A");
  EXPECT_EQ(Read(ended, kDes, 2), "");
  // ...or, without the NULs, where the data ends.
  const SectionValues unended("Des1=A\0Des2=B"s);
  EXPECT_EQ(Read(unended, kDes, 2), "B");
  EXPECT_EQ(SectionValues("Des1").ReadString("Des1", "dflt", 63), "dflt");
  EXPECT_EQ(SectionValues("Des1=").ReadString("Des1", "dflt", 63), "");
}

TEST(SectionValues, AnyBytesAreTakenAndLimitsKept) {
  std::mt19937 random(7);
  static const char kBytes[] = {'\0', '=', '"', '\'', 'D', 'e', 's', '1',
                                'o', 'M', '-', '9', ' ', '\xff'};
  for (int round = 0; round < 2000; ++round) {
    std::string data(random() % 64, '\0');
    for (char& c : data) c = kBytes[random() % std::size(kBytes)];
    const SectionValues values(data);
    EXPECT_LE(Read(values, kDes, 1).size(), kDes.limit);
    EXPECT_LE(values.ReadString("Des1", "", 2).size(), 2u);
    (void)values.ReadInt("OM1", 0);
  }
}

}  // namespace
}  // namespace vorlane::settings
