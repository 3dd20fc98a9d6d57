// A folder's entries as the file system gives them, and a listing that does
// not answer given up on without holding up the caller.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "launcher/folder_listing_win32.h"
#include "test_support.h"
#include "win32/handles.h"

namespace vorlane::launcher {
namespace {

using test::TempFolder;
using Outcome = FolderListing::Outcome;

::testing::AssertionResult MakeFile(const std::wstring& path, DWORD attributes = 0) {
  const win32::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_NEW, 0, nullptr));
  if (!file) return ::testing::AssertionFailure() << "not made: " << GetLastError();
  if (attributes != 0 && !SetFileAttributesW(path.c_str(), attributes)) {
    return ::testing::AssertionFailure() << "attributes not set: " << GetLastError();
  }
  return ::testing::AssertionSuccess();
}

// "name [dir] [hidden] [system]", one per entry in name order, as UTF-8 so
// that a failure prints the names outside the code page too.
std::vector<std::string> Described(const FolderListing& listing) {
  std::vector<std::string> lines;
  for (const FolderItem& item : listing.items) {
    char name[MAX_PATH * 4] = {};
    WideCharToMultiByte(CP_UTF8, 0, item.name.c_str(), -1, name,
                        static_cast<int>(std::size(name)), nullptr, nullptr);
    lines.push_back(std::string(name) + (item.folder ? " [dir]" : "") +
                    (item.hidden ? " [hidden]" : "") + (item.system ? " [system]" : ""));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(FolderListing, GivesEveryEntryWithItsKindAndNamesOutsideTheCodePage) {
  TempFolder temp;
  const std::wstring folder = test::Widen(temp.Path());
  ASSERT_TRUE(MakeFile(folder + L"\\b.txt"));
  ASSERT_TRUE(MakeFile(folder + L"\\A shortcut.lnk"));
  ASSERT_TRUE(MakeFile(folder + L"\\hidden.txt", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(MakeFile(folder + L"\\system.dat", FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(MakeFile(folder + L"\\\u65e5\u672c.txt"));
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\Sub").c_str(), nullptr));
  ASSERT_TRUE(MakeFile(folder + L"\\Sub\\inside.txt")) << "not listed: one level only";

  const FolderListing listing = ListFolder(folder);
  EXPECT_EQ(listing.outcome, Outcome::Listed);
  EXPECT_EQ(Described(listing),
            (std::vector<std::string>{"A shortcut.lnk", "Sub [dir]", "b.txt",
                                      "hidden.txt [hidden]", "system.dat [system]",
                                      "\xe6\x97\xa5\xe6\x9c\xac.txt"}));
  EXPECT_EQ(Described(ListFolder(folder + L"\\")), Described(listing))
      << "a folder given with its trailing backslash";
}

TEST(FolderListing, AnEmptyFolderIsListedWithNothingInIt) {
  TempFolder temp;
  const FolderListing listing = ListFolder(test::Widen(temp.Path()));
  EXPECT_EQ(listing.outcome, Outcome::Listed);
  EXPECT_EQ(Described(listing), std::vector<std::string>{});
}

TEST(FolderListing, AMissingFolderOrAFileIsNotFound) {
  TempFolder temp;
  const std::wstring folder = test::Widen(temp.Path());
  ASSERT_TRUE(MakeFile(folder + L"\\plain.txt"));
  EXPECT_EQ(ListFolder(folder + L"\\gone").outcome, Outcome::NotFound);
  EXPECT_EQ(ListFolder(folder + L"\\gone\\deeper").outcome, Outcome::NotFound);
  EXPECT_EQ(ListFolder(folder + L"\\plain.txt").outcome, Outcome::NotFound);
  EXPECT_EQ(ListFolder(L"").outcome, Outcome::NotFound);
}

TEST(FolderListingWithin, GivesTheListingThatAnswersInTime) {
  TempFolder temp;
  const std::wstring folder = test::Widen(temp.Path());
  ASSERT_TRUE(MakeFile(folder + L"\\one.txt"));
  const FolderListing listing = ListFolderWithin(folder, test::kEffectTimeout);
  EXPECT_EQ(listing.outcome, Outcome::Listed);
  EXPECT_EQ(Described(listing), std::vector<std::string>{"one.txt"});
  EXPECT_EQ(ListFolderWithin(folder + L"\\gone", test::kEffectTimeout).outcome,
            Outcome::NotFound);
}

// A listing that holds its worker until the test lets it go, as a share
// that does not answer holds FindFirstFileExW.
HANDLE g_listingBegan = CreateEventW(nullptr, TRUE, FALSE, nullptr);
HANDLE g_letListingGo = CreateEventW(nullptr, TRUE, FALSE, nullptr);

FolderListing BlockedListing(const std::wstring&) {
  SetEvent(g_listingBegan);
  WaitForSingleObject(g_letListingGo, INFINITE);
  FolderListing late;
  late.items.push_back({L"late.txt", false, false, false, {}});
  return late;
}

TEST(FolderListingWithin, AListingThatDoesNotAnswerIsGivenUpAndEndsWhenItReturns) {
  ASSERT_EQ(FolderListingsRunning(), 0u) << "a worker of an earlier test still runs";
  ResetEvent(g_listingBegan);
  ResetEvent(g_letListingGo);
  SetFolderLister(BlockedListing);
  const test::OnScopeExit restore([] {
    SetEvent(g_letListingGo);
    SetFolderLister(nullptr);
  });

  // Called on a thread of the test's own, so that a call that waits for the
  // blocked listing fails the test instead of hanging it.
  FolderListing given;
  const win32::UniqueKernelHandle returned(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread caller([&] {
    given = ListFolderWithin(L"C:\\windows", std::chrono::milliseconds(200));
    SetEvent(returned.get());
  });
  const bool inTime = WaitForSingleObject(returned.get(), 10000) == WAIT_OBJECT_0;
  SetEvent(g_letListingGo);
  caller.join();
  ASSERT_TRUE(inTime) << "ListFolderWithin waited for the blocked listing";
  EXPECT_EQ(given.outcome, Outcome::NotAnswering);
  EXPECT_EQ(Described(given), std::vector<std::string>{});
  EXPECT_EQ(WaitForSingleObject(g_listingBegan, 10000), static_cast<DWORD>(WAIT_OBJECT_0))
      << "the listing ran on a worker";

  EXPECT_TRUE(test::Eventually([] { return FolderListingsRunning() == 0; },
                               "the worker ended once its listing returned"));
  SetFolderLister(nullptr);
  TempFolder temp;
  EXPECT_EQ(ListFolderWithin(test::Widen(temp.Path()), test::kEffectTimeout).outcome,
            Outcome::Listed)
      << "listings answer again";
}

}  // namespace
}  // namespace vorlane::launcher
