// The meaning of the settings file: tokens, icon specifications, kinds of
// location, integer text, the INI rules the readers depend on, and the
// default file.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "settings/ansi_text.h"
#include "settings/ini_document.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"

namespace vorlane::settings {
namespace {

TEST(MenuOrder, EmptyPiecesAreSkipped) {
  EXPECT_EQ(MenuOrderTokens("1*2*"), (std::vector<int>{1, 2}));
  EXPECT_EQ(MenuOrderTokens("1**2*"), (std::vector<int>{1, 2}));
  EXPECT_EQ(MenuOrderTokens("**1*3*2"), (std::vector<int>{1, 3, 2}));
  EXPECT_TRUE(MenuOrderTokens("").empty());
  EXPECT_TRUE(MenuOrderTokens("***").empty());
}

TEST(MenuOrder, TokenThatIsNoNumberReadsAsZero) {
  EXPECT_EQ(MenuOrderTokens("1*x*12y*"), (std::vector<int>{1, 0, 12}));
}

TEST(MenuOrder, NumberOfNthToken) {
  EXPECT_EQ(MenuOrderNumber("1*3*2*", 1), 1);
  EXPECT_EQ(MenuOrderNumber("1*3*2*", 2), 3);
  EXPECT_EQ(MenuOrderNumber("1*3*2*", 3), 2);
}

TEST(MenuOrder, PositionsOfOneOrLessGiveTheFirstToken) {
  EXPECT_EQ(MenuOrderNumber("4*3*", 0), 4);
  EXPECT_EQ(MenuOrderNumber("4*3*", -7), 4);
  EXPECT_EQ(MenuOrderNumber("4*3*", INT_MIN), 4);
}

TEST(MenuOrder, MissingTokenGivesNoMenu) {
  EXPECT_EQ(MenuOrderNumber("1*2*", 3), std::nullopt);
  EXPECT_EQ(MenuOrderNumber("", 1), std::nullopt);
  EXPECT_EQ(MenuOrderNumber("1*", INT_MAX), std::nullopt);
}

TEST(MenuOrder, ReadFromTheStore) {
  IniDocument doc = IniDocument::Parse("[Settings]\nmenuorder=1**3*2*\n");
  EXPECT_EQ(MenuOrderNumber(doc, 2), 3);
}

TEST(Decimal, SignDigitsAndJunk) {
  EXPECT_EQ(ParseDecimal("-12"), -12);
  EXPECT_EQ(ParseDecimal("12abc"), 12);
  EXPECT_EQ(ParseDecimal("abc"), 0);
  EXPECT_EQ(ParseDecimal(""), 0);
  EXPECT_EQ(ParseDecimal("-"), 0);
}

TEST(Decimal, HugeValuesSaturate) {
  EXPECT_EQ(ParseDecimal("99999999999999999999999"), INT_MAX);
  EXPECT_EQ(ParseDecimal("-99999999999999999999999"), INT_MIN);
  EXPECT_EQ(ParseDecimal("-2147483648"), INT_MIN);
  EXPECT_EQ(ParseDecimal("2147483647"), INT_MAX);
}

TEST(IconSpecification, LastCommaSeparates) {
  const IconSpec spec = ParseIconSpec("C:\\a,b\\icons.dll,3");
  EXPECT_EQ(spec.file, "C:\\a,b\\icons.dll");
  EXPECT_EQ(spec.index, 3);
  EXPECT_TRUE(spec.hasIndex);
}

TEST(IconSpecification, WithoutCommaTheWholeValueIsTheFile) {
  const IconSpec spec = ParseIconSpec("C:\\icons.dll");
  EXPECT_EQ(spec.file, "C:\\icons.dll");
  EXPECT_EQ(spec.index, 0);
  EXPECT_FALSE(spec.hasIndex);
}

TEST(IconSpecification, IndexThatIsNoNumberIsZero) {
  EXPECT_EQ(ParseIconSpec("C:\\x.dll,abc").index, 0);
  EXPECT_EQ(ParseIconSpec("C:\\x.dll,").index, 0);
  EXPECT_EQ(ParseIconSpec("C:\\x.dll,-2").index, -2);
  const IconSpec onlyComma = ParseIconSpec(",");
  EXPECT_EQ(onlyComma.file, "");
  EXPECT_TRUE(onlyComma.hasIndex);
}

TEST(Location, WebAddressesWinOverBatches) {
  EXPECT_EQ(ClassifyLocation("http://example.org/"), LocationKind::WebAddress);
  EXPECT_EQ(ClassifyLocation("www.example.org"), LocationKind::WebAddress);
  EXPECT_EQ(ClassifyLocation("C:\\docs\\page.html"), LocationKind::WebAddress);
  EXPECT_EQ(ClassifyLocation("www.example.org/?q=1"), LocationKind::WebAddress);
}

TEST(Location, BatchesAndPaths) {
  EXPECT_EQ(ClassifyLocation("C:\\a.exe?C:\\b.txt?"), LocationKind::Batch);
  // A drive letter is no scheme, and a scheme needs its "://".
  EXPECT_EQ(ClassifyLocation("C://a.exe?b.exe?"), LocationKind::Batch);
  EXPECT_EQ(ClassifyLocation("news:a?b?"), LocationKind::Batch);
  EXPECT_EQ(ClassifyLocation("1ab://x?y"), LocationKind::Batch);
  EXPECT_EQ(ClassifyLocation("svn+ssh://host/x?y"), LocationKind::WebAddress);
  EXPECT_EQ(ClassifyLocation("?"), LocationKind::Batch);
  EXPECT_EQ(ClassifyLocation("C:\\a.exe"), LocationKind::Path);
  EXPECT_EQ(ClassifyLocation(""), LocationKind::Path);
}

// The rules of the platform's profile functions that the readers rely on.
TEST(IniRules, NamesMatchWithoutRegardToCase) {
  IniDocument doc = IniDocument::Parse(
      "[Program locations2]\nProgram1=a\n[settings]\nmenucount=3\n");
  EXPECT_EQ(doc.ReadString("Program Locations2", "PROGRAM1", "", 259), "a");
  EXPECT_EQ(doc.ReadInt("Settings", "MenuCount", 0), 3);
}

TEST(IniRules, OnlyTheFirstSectionOfANameIsSearched) {
  IniDocument doc = IniDocument::Parse("[s]\na=1\n[t]\n[S]\nb=2\n");
  EXPECT_EQ(doc.ReadString("s", "a", "", 10), "1");
  EXPECT_EQ(doc.ReadString("s", "b", "dflt", 10), "dflt");
  doc.WriteString("s", "b", "3");
  EXPECT_EQ(doc.Text(), "[s]\r\na=1\r\nb=3\r\n[t]\r\n[S]\r\nb=2\r\n");
}

TEST(IniRules, FirstOfTwoEqualKeysWins) {
  IniDocument doc = IniDocument::Parse("[s]\nk=first\nK=second\n");
  EXPECT_EQ(doc.ReadString("s", "k", "", 10), "first");
}

TEST(IniRules, AbsentKeysAndLinesWithoutEqualsGiveTheDefault) {
  IniDocument doc = IniDocument::Parse("[s]\njust text\nn=\n");
  EXPECT_EQ(doc.ReadString("s", "just text", "dflt", 10), "dflt");
  EXPECT_EQ(doc.ReadString("missing", "k", "SubMenu", 63), "SubMenu");
  EXPECT_EQ(doc.ReadInt("s", "n", 1000), 1000);  // empty integer value
}

TEST(IniRules, LineWithoutEqualsHidesALaterLineOfTheSameName) {
  IniDocument doc = IniDocument::Parse("[s]\nDes1\nDES1=late\nOM1\nOM1=3\n");
  EXPECT_EQ(doc.ReadString("s", "Des1", "dflt", 63), "dflt");
  EXPECT_EQ(doc.ReadInt("s", "OM1", 7), 7);
  doc.WriteString("s", "des1", "set");
  EXPECT_EQ(doc.ReadString("s", "Des1", "dflt", 63), "set");
  EXPECT_EQ(doc.Text(), "[s]\r\nDes1=set\r\nDES1=late\r\nOM1\r\nOM1=3\r\n");
}

TEST(IniRules, SectionHeadNeedsItsClosingBracket) {
  IniDocument doc =
      IniDocument::Parse("[s]\n[broken\nk=1\n[a]b]\nm=2\n[t]tail\nn=3\n");
  EXPECT_EQ(doc.ReadString("s", "k", "", 10), "1");
  EXPECT_EQ(doc.ReadString("a]b", "m", "", 10), "2");
  EXPECT_EQ(doc.ReadString("t", "n", "", 10), "3");
}

TEST(IniRules, LoneCarriageReturnEndsALine) {
  IniDocument doc = IniDocument::Parse("[s]\rk=a\rb\rm=2\r\nn=3");
  EXPECT_EQ(doc.ReadString("s", "k", "", 10), "a");
  EXPECT_EQ(doc.ReadString("s", "m", "", 10), "2");
  EXPECT_EQ(doc.ReadString("s", "n", "", 10), "3");
}

TEST(IniRules, IntegerText) {
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nFontSize=-12\nOpenMenu=abc\nBatchPause=2500ms\n");
  EXPECT_EQ(Read(doc, kSettingsSection, kFontSize), -12);
  EXPECT_EQ(Read(doc, kSettingsSection, kOpenMenu), 0);
  EXPECT_EQ(Read(doc, kSettingsSection, kBatchPause), 2500);
}

TEST(IniRules, ValuesAreCutAtTheReadLimit) {
  const std::string longName(500, 'n');
  IniDocument doc =
      IniDocument::Parse("[Settings]\nMenuName1=" + longName + "\n");
  EXPECT_EQ(Read(doc, kSettingsSection, kMenuName, 1).size(), 63u);
  EXPECT_EQ(Read(doc, kSettingsSection, kMenuName, 2), "SubMenu");
}

TEST(IniRules, WritesReplaceInPlaceOrAppendToTheirSection) {
  IniDocument doc = IniDocument::Parse("[a]\nx=1\n[b]\ny=2\n");
  doc.WriteString("A", "X", "3");
  doc.WriteString("a", "z", "4");
  doc.WriteString("c", "w", "5");
  EXPECT_EQ(doc.Text(), "[a]\r\nx=3\r\nz=4\r\n[b]\r\ny=2\r\n[c]\r\nw=5\r\n");
}

// Values that the reader would change if stored as they are: blanks
// around them, one pair of matching quotes around them. Each reads back as
// written, from memory and from the file text, also when an edit stores it,
// key by key or as a whole section.
TEST(IniRules, EveryWrittenValueReadsBackExactly) {
  const std::vector<std::string> values = {
      "\"C:\\My Docs\\a b.txt\"", "\"a\" \"b\"", "'x y'", "\"\"x\"\"", "   ",
      " lead", "trail\t", "\x1a", "\"", "'", "''", "\"\"", "\"a'", "a\"",
      "\"open", "say \"hi\"", "", "plain", "-x \"y\""};
  for (const std::string& value : values) {
    IniDocument doc;
    ASSERT_TRUE(doc.WriteString("Program locations1", "Par1", value));
    EXPECT_EQ(doc.ReadString("Program locations1", "Par1", "dflt", 1000), value);
    IniDocument reread = IniDocument::Parse(doc.Text());
    EXPECT_EQ(reread.ReadString("Program locations1", "Par1", "dflt", 1000), value)
        << "file text: " << doc.Text();
    EXPECT_EQ(Unquoted(StoredValue(value)), value);

    IniDocument file;
    SettingsEdit edit(file);
    ASSERT_TRUE(edit.WriteString("Program locations1", "Par1", value));
    EXPECT_EQ(edit.ReadString("Program locations1", "Par1", "dflt", 1000), value);
    ASSERT_TRUE(edit.Commit());
    EXPECT_EQ(IniDocument::Parse(file.Text()).ReadString("Program locations1", "Par1", "dflt", 1000),
              value)
        << "stored key by key: " << file.Text();
  }
  IniDocument file;
  SettingsEdit edit(file);
  for (std::size_t i = 0; i < values.size(); ++i) {
    edit.WriteString("Program locations1", NumberedName("Par", static_cast<int>(i + 1)), values[i]);
  }
  ASSERT_TRUE(edit.Commit());
  IniDocument reread = IniDocument::Parse(file.Text());
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(reread.ReadString("Program locations1", NumberedName("Par", static_cast<int>(i + 1)),
                                "dflt", 1000),
              values[i])
        << "stored as a whole section: " << file.Text();
  }
  // What the reader leaves alone is stored as it is, as it always was.
  for (const char* value : {"-x \"y\"", "\"open", "a\"", "C:\\a b\\c.exe", "\"", "'"}) {
    EXPECT_EQ(StoredValue(value), value);
  }
  EXPECT_EQ(StoredValue(std::string("a \0b", 4)), "\"a \"");
  EXPECT_EQ(StoredValue(std::string("a\0 b", 4)), "a");
}

TEST(NumberedNames, StemAndDecimalNumber) {
  EXPECT_EQ(NumberedName("Program", 12), "Program12");
  EXPECT_EQ(ProgramSection(3), "Program locations3");
}

TEST(StaleKeys, ItemAboveTheCountIsNotPartOfTheMenu) {
  // Readers walk 1..Count: a Program5 left behind by a removal is not seen.
  IniDocument doc = IniDocument::Parse(
      "[Settings]\nCount2=4\n[Program locations2]\nProgram5=C:\\old.exe\n"
      "Des5=Old\n");
  const int count = Read(doc, kSettingsSection, kCount, 2);
  std::vector<std::string> seen;
  for (int i = 1; i <= count; ++i) {
    const std::string location = Read(doc, ProgramSection(2), kProgram, i);
    if (!location.empty()) seen.push_back(location);
  }
  EXPECT_EQ(count, 4);
  EXPECT_TRUE(seen.empty());
}

TEST(DefaultFile, SectionsAndKeysInOrder) {
  IniDocument doc;
  WriteDefaultFile(doc, "C:\\windows", false);
  EXPECT_EQ(doc.Text(),
            "[Settings]\r\n"
            "MenuOrder=1*\r\n"
            "MenuCount=1\r\n"
            "Count1=2\r\n"
            "MenuName1=Standard Menu\r\n"
            "OpenMenu=1\r\n"
            "ShowTooltips=1\r\n"
            "ShowFastStart=1\r\n"
            "ShowEmailItem=1\r\n"
            "Startwithwindows=0\r\n"
            "[Program locations1]\r\n"
            "Program1=C:\\\r\n"
            "Des1=Harddrive (C:\\)\r\n"
            "Program2=C:\\windows\\notepad.exe\r\n"
            "Des2=Notepad\r\n");
}

TEST(DefaultFile, StartWithWindowsOnlyWhenARunValueStartsTheLauncher) {
  IniDocument on;
  WriteDefaultFile(on, "C:\\windows", true);
  EXPECT_EQ(Read(on, kSettingsSection, kStartWithWindows), 1);
  IniDocument off;
  WriteDefaultFile(off, "C:\\windows", false);
  EXPECT_EQ(Read(off, kSettingsSection, kStartWithWindows), 0);
}

TEST(DefaultFile, UnsetKeysReadAsTheirDefaults) {
  IniDocument doc;
  WriteDefaultFile(doc, "C:\\windows", false);
  EXPECT_EQ(Read(doc, kSettingsSection, kBatchPause), 1000);
  EXPECT_EQ(Read(doc, kSettingsSection, kFontSize), -10);
  EXPECT_EQ(Read(doc, kSettingsSection, kFontWeight), 400);
  EXPECT_EQ(Read(doc, kSettingsSection, kIcon), "");
  EXPECT_EQ(Read(doc, kSettingsSection, kContactCount), 0);
  EXPECT_EQ(MenuOrderNumber(doc, 1), 1);
}

namespace ansi {

// The platform's conversion as it answers for two code pages: a Western one
// that marks characters it has no equivalent for, and UTF-8, for which it
// refuses the look-alike flag and the default-character check.
class Western final : public AnsiConversion {
 public:
  unsigned CodePage() const override { return 1252; }
  int Convert(unsigned, std::wstring_view text, char* out, int size,
              bool* usedDefault) const override {
    if (out != nullptr && size < static_cast<int>(text.size())) return 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool held = text[i] < 0x100;
      if (!held && usedDefault) *usedDefault = true;
      if (out != nullptr) out[i] = held ? static_cast<char>(text[i]) : '?';
    }
    return static_cast<int>(text.size());
  }
};

class Utf8 final : public AnsiConversion {
 public:
  unsigned CodePage() const override { return kUtf8CodePage; }
  int Convert(unsigned flags, std::wstring_view text, char* out, int size,
              bool* usedDefault) const override {
    if ((flags & ~kErrorOnInvalidChars) != 0 || usedDefault != nullptr) return 0;
    std::string bytes;
    for (wchar_t c : text) {
      if (c >= 0xD800 && c <= 0xDFFF) return 0;  // no pairs in these tests
      if (c < 0x80) {
        bytes += static_cast<char>(c);
      } else if (c < 0x800) {
        bytes += static_cast<char>(0xC0 | (c >> 6));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        bytes += static_cast<char>(0xE0 | (c >> 12));
        bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    if (out == nullptr) return static_cast<int>(bytes.size());
    if (size < static_cast<int>(bytes.size())) return 0;
    bytes.copy(out, bytes.size());
    return static_cast<int>(bytes.size());
  }
};

}  // namespace ansi

// On a system whose ANSI code page is UTF-8 every name is kept as it is; on
// a Western one a Cyrillic name has no exact form.
TEST(AnsiText, ExactWhereTheCodePageHoldsEveryCharacter) {
  const std::wstring cyrillic = L"C:\\\x0416\x0443\x043a\\a.txt";
  EXPECT_EQ(ExactAnsi(cyrillic, ansi::Utf8()),
            std::string("C:\\\xD0\x96\xD1\x83\xD0\xBA\\a.txt"));
  EXPECT_EQ(ExactAnsi(cyrillic, ansi::Western()), std::nullopt);
  EXPECT_EQ(ExactAnsi(L"C:\\caf\xE9.txt", ansi::Western()), std::string("C:\\caf\xE9.txt"));
  EXPECT_EQ(ExactAnsi(L"", ansi::Utf8()), std::string());
  EXPECT_EQ(ExactAnsi(std::wstring(L"a") + wchar_t(0xD800), ansi::Utf8()), std::nullopt)
      << "a lone surrogate";
}

}  // namespace
}  // namespace vorlane::settings
