// A folder's submenu: the order of its names, the names shown, what is left
// out and where it stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "launcher/folder_menu.h"

namespace vorlane::launcher {
namespace {

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareFolderNames(a, b) < 0;
  });
  return names;
}

FolderItem File(std::wstring name) { return {std::move(name), false, false, false, {}}; }
FolderItem Folder(std::wstring name) { return {std::move(name), true, false, false, {}}; }

FolderListing Listed(std::vector<FolderItem> items) {
  return {FolderListing::Outcome::Listed, std::move(items)};
}

// Each entry as one line, so that a failure shows the whole menu.
std::vector<std::wstring> Lines(const std::vector<FolderMenuEntry>& menu) {
  using Kind = FolderMenuEntry::Kind;
  std::vector<std::wstring> lines;
  for (const FolderMenuEntry& entry : menu) {
    switch (entry.kind) {
      case Kind::OpenFolder: lines.push_back(L"open: " + entry.shown); break;
      case Kind::Separator: lines.push_back(L"---"); break;
      case Kind::Subfolder: lines.push_back(L"dir: " + entry.shown); break;
      case Kind::File: lines.push_back(L"file: " + entry.shown); break;
      case Kind::More: lines.push_back(L"more: " + entry.shown); break;
      case Kind::Note: lines.push_back(L"note: " + entry.shown); break;
    }
  }
  return lines;
}

const std::wstring kOpen = L"open: Open folder";
const std::wstring kMore = L"more: More... (opens the folder)";

TEST(FolderNameOrder, RunsOfDigitsCompareAsNumbers) {
  EXPECT_EQ(Sorted({L"file10", L"file2", L"file1", L"file100", L"file9"}),
            (std::vector<std::wstring>{L"file1", L"file2", L"file9", L"file10",
                                       L"file100"}));
  EXPECT_EQ(Sorted({L"v1.10.2", L"v1.9.12", L"v1.10.10", L"v1.9.3"}),
            (std::vector<std::wstring>{L"v1.9.3", L"v1.9.12", L"v1.10.2",
                                       L"v1.10.10"}));
  // Wider than any integer type.
  EXPECT_LT(CompareFolderNames(L"log99999999999999999999999",
                               L"log100000000000000000000000"), 0);
  EXPECT_LT(CompareFolderNames(L"log 007 b", L"log 7 c"), 0)
      << "leading zeros do not change the value";
}

TEST(FolderNameOrder, CaseDoesNotMatterForAsciiLatinGreekOrCyrillicLetters) {
  EXPECT_EQ(Sorted({L"cherry", L"Banana", L"apple", L"BANANAS"}),
            (std::vector<std::wstring>{L"apple", L"Banana", L"BANANAS", L"cherry"}));
  // The letter after the differently cased one decides.
  EXPECT_LT(CompareFolderNames(L"\u00c9cole b", L"\u00e9cole c"), 0);
  EXPECT_LT(CompareFolderNames(L"\u00e9cole b", L"\u00c9cole c"), 0);
  EXPECT_LT(CompareFolderNames(L"\u0141\u00f3d\u017a 1", L"\u0142\u00d3D\u0179 2"), 0);
  EXPECT_LT(CompareFolderNames(L"\u0391\u03b8\u03ae\u03bd\u03b1 a",
                               L"\u03b1\u0398\u03ae\u039d\u0391 b"), 0);
  EXPECT_LT(CompareFolderNames(L"\u041f\u0430\u043f\u043a\u0430 a",
                               L"\u043f\u0410\u041f\u041a\u0410 b"), 0);
  EXPECT_LT(CompareFolderNames(L"\u0401\u0436 a", L"\u0451\u0416 b"), 0);
}

TEST(FolderNameOrder, ShorterNamesThenMarksThenDigitsThenLetters) {
  EXPECT_EQ(Sorted({L"file1", L"file", L"alpha", L"1st", L"_notes", L" spaced",
                    L"zeta", L"\u65e5\u672c"}),
            (std::vector<std::wstring>{L" spaced", L"_notes", L"1st", L"alpha",
                                       L"file", L"file1", L"zeta",
                                       L"\u65e5\u672c"}));
}

TEST(FolderNameOrder, OnlyANameAndItselfAreEqualAndTheOrderHoldsTogether) {
  EXPECT_EQ(CompareFolderNames(L"Same 01", L"Same 01"), 0);
  EXPECT_LT(CompareFolderNames(L"a1", L"a01"), 0) << "equal values: shorter run first";
  EXPECT_LT(CompareFolderNames(L"a01", L"a001"), 0);
  EXPECT_LT(CompareFolderNames(L"a01b", L"a1c"), 0) << "the value ties, the rest decides";
  EXPECT_LT(CompareFolderNames(L"README", L"readme"), 0) << "upper case first";

  const std::vector<std::wstring> names = {
      L"a1",  L"a01", L"A1",    L"A01",   L"a001b", L"a1b",  L"a1B",
      L"b",   L"B",   L"a",     L"a0",    L"a00",   L"a 1",  L"a_1",
      L"a10", L"a2",  L"\u00e9", L"\u00c9", L"e",    L"",     L"0"};
  for (const std::wstring& a : names) {
    for (const std::wstring& b : names) {
      const int ab = CompareFolderNames(a, b);
      EXPECT_EQ(ab, -CompareFolderNames(b, a)) << testing::PrintToString(a) << " vs " << testing::PrintToString(b);
      EXPECT_EQ(ab == 0, a == b);
      for (const std::wstring& c : names) {
        if (ab < 0 && CompareFolderNames(b, c) < 0) {
          EXPECT_LT(CompareFolderNames(a, c), 0);
        }
      }
    }
  }
  std::vector<std::wstring> reversed(names.rbegin(), names.rend());
  EXPECT_EQ(Sorted(names), Sorted(reversed)) << "the order a folder gives does not show";
}

TEST(ShortcutNames, LoseTheirExtensionInAnyCaseAndOtherNamesShowWhole) {
  EXPECT_EQ(ShownName(File(L"Notepad.lnk")), L"Notepad");
  EXPECT_EQ(ShownName(File(L"Vendor site.URL")), L"Vendor site");
  EXPECT_EQ(ShownName(File(L"Mail.Lnk")), L"Mail");
  EXPECT_EQ(ShownName(File(L"x.lnk")), L"x");
  EXPECT_EQ(ShownName(File(L"two.lnk.lnk")), L"two.lnk");
  EXPECT_EQ(ShownName(File(L".lnk")), L".lnk") << "nothing would be left";
  EXPECT_EQ(ShownName(File(L".URL")), L".URL");
  EXPECT_EQ(ShownName(File(L"readme.txt")), L"readme.txt");
  EXPECT_EQ(ShownName(File(L"backup.lnk.zip")), L"backup.lnk.zip");
  EXPECT_EQ(ShownName(File(L"notes.lnkx")), L"notes.lnkx");
  EXPECT_EQ(ShownName(File(L"lnk")), L"lnk");
  EXPECT_EQ(ShownName(Folder(L"Old links.lnk")), L"Old links.lnk");
}

TEST(FolderMenuPlan, OpensWithOpenFolderThenSubfoldersThenFilesEachInOrder) {
  const auto menu = PlanFolderMenu(Listed({File(L"b10.txt"), Folder(L"Zed"),
                                           File(L"b9.txt"), Folder(L"alpha"),
                                           File(L"A.txt"), Folder(L"m2")}));
  EXPECT_EQ(Lines(menu), (std::vector<std::wstring>{
                             kOpen, L"---", L"dir: alpha", L"dir: m2", L"dir: Zed",
                             L"file: A.txt", L"file: b9.txt", L"file: b10.txt"}));
}

TEST(FolderMenuPlan, LeavesOutHiddenAndSystemEntries) {
  FolderItem hiddenFile = File(L"desktop.ini");
  hiddenFile.hidden = true;
  FolderItem systemFile = File(L"thumbs.db");
  systemFile.system = true;
  FolderItem hiddenFolder = Folder(L".git");
  hiddenFolder.hidden = true;
  FolderItem systemFolder = Folder(L"System Volume Information");
  systemFolder.system = true;
  const auto menu = PlanFolderMenu(Listed(
      {hiddenFile, File(L"kept.txt"), systemFile, hiddenFolder, systemFolder}));
  EXPECT_EQ(Lines(menu), (std::vector<std::wstring>{kOpen, L"---", L"file: kept.txt"}));
}

TEST(FolderMenuPlan, ShortcutsShowTheirNameButKeepTheFileName) {
  const auto menu = PlanFolderMenu(Listed({File(L"Editor.LNK"), Folder(L"Web.url")}));
  ASSERT_EQ(Lines(menu), (std::vector<std::wstring>{kOpen, L"---", L"dir: Web.url",
                                                    L"file: Editor"}));
  EXPECT_EQ(menu[2].name, L"Web.url");
  EXPECT_EQ(menu[3].name, L"Editor.LNK") << "the file started is the shortcut";
}

// `folders` subfolders and `files` files, in reverse order, with five hidden
// files among them that never count.
FolderListing Numbered(std::size_t folders, std::size_t files) {
  FolderListing listing;
  for (std::size_t n = files; n >= 1; --n) {
    listing.items.push_back(File(L"f" + std::to_wstring(n)));
  }
  for (std::size_t n = folders; n >= 1; --n) {
    listing.items.push_back(Folder(L"d" + std::to_wstring(n)));
  }
  for (int n = 0; n < 5; ++n) {
    FolderItem hidden = File(L"a hidden " + std::to_wstring(n));
    hidden.hidden = true;
    listing.items.push_back(hidden);
  }
  return listing;
}

TEST(FolderMenuPlan, ShowsAllOfExactlyTheLimitWithoutMore) {
  const auto lines = Lines(PlanFolderMenu(Numbered(400, kFolderMenuLimit - 400)));
  ASSERT_EQ(lines.size(), kFolderMenuLimit + 2);
  EXPECT_EQ(lines[2], L"dir: d1");
  EXPECT_EQ(lines[401], L"dir: d400");
  EXPECT_EQ(lines[402], L"file: f1");
  EXPECT_EQ(lines.back(), L"file: f600");
}

TEST(FolderMenuPlan, PastTheLimitTheLastInOrderGiveWayToMore) {
  auto lines = Lines(PlanFolderMenu(Numbered(400, kFolderMenuLimit - 400 + 1)));
  ASSERT_EQ(lines.size(), kFolderMenuLimit + 3);
  EXPECT_EQ(lines[lines.size() - 2], L"file: f600");
  EXPECT_EQ(lines.back(), kMore);

  lines = Lines(PlanFolderMenu(Numbered(kFolderMenuLimit + 1, 3)));
  ASSERT_EQ(lines.size(), kFolderMenuLimit + 3);
  EXPECT_EQ(lines[lines.size() - 2], L"dir: d1000") << "subfolders come first";
  EXPECT_EQ(lines.back(), kMore);
}

TEST(FolderMenuPlan, AFolderWithNothingToShowSaysEmpty) {
  const std::vector<std::wstring> empty = {kOpen, L"---", L"note: (empty)"};
  EXPECT_EQ(Lines(PlanFolderMenu(Listed({}))), empty);
  EXPECT_EQ(Lines(PlanFolderMenu(Numbered(0, 0))), empty) << "only hidden files";
}

TEST(FolderMenuPlan, AFolderNotFoundOrNotAnsweringShowsOnlyThat) {
  FolderListing listing{FolderListing::Outcome::NotFound, {File(L"stale.txt")}};
  EXPECT_EQ(Lines(PlanFolderMenu(listing)),
            (std::vector<std::wstring>{L"note: (not found)"}));
  listing.outcome = FolderListing::Outcome::NotAnswering;
  EXPECT_EQ(Lines(PlanFolderMenu(listing)),
            (std::vector<std::wstring>{L"note: (not answering)"}));
}

}  // namespace
}  // namespace vorlane::launcher
