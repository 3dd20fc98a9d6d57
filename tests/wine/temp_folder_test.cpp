// The tests' temporary folders go with everything put in them, and what a
// killed test program left goes when the next one starts, but never what a
// test program still running holds.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "test_support.h"
#include "win32/handles.h"

namespace vorlane::test {
namespace {

std::wstring Wide(const std::string& text) {
  wchar_t wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH);
  return wide;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW((L"\\\\?\\" + path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFile(const std::wstring& path) {
  return static_cast<bool>(win32::UniqueFile(CreateFileW(
      (L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)));
}

// A tree of what the ANSI functions cannot name or reach: Cyrillic names, a
// read-only file in a read-only folder, and a file whose path is longer
// than MAX_PATH.
::testing::AssertionResult FillWithHardCases(const std::wstring& folder) {
  const std::wstring cyrillic = folder + L"\\\x041f\x0430\x043f\x043a\x0430";
  const std::wstring file = cyrillic + L"\\\x0444\x0430\x0439\x043b.txt";
  const std::wstring deep = folder + L"\\" + std::wstring(200, L'd');
  const std::wstring deeper = deep + L"\\" + std::wstring(100, L'e');
  if (!CreateDirectoryW((L"\\\\?\\" + cyrillic).c_str(), nullptr) || !MakeFile(file) ||
      !SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY) ||
      !SetFileAttributesW(cyrillic.c_str(), FILE_ATTRIBUTE_READONLY) ||
      !CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr) ||
      !CreateDirectoryW((L"\\\\?\\" + deeper).c_str(), nullptr) ||
      !MakeFile(deeper + L"\\f.txt")) {
    return ::testing::AssertionFailure() << "the tree was not made: " << GetLastError();
  }
  return ::testing::AssertionSuccess();
}

TEST(TempFolder, GoesWithNamesOutsideTheCodePageReadOnlyFilesAndLongPaths) {
  std::wstring path;
  {
    TempFolder folder;
    path = Wide(folder.Path());
    ASSERT_TRUE(FillWithHardCases(path));
  }
  EXPECT_FALSE(Exists(path));
}

// Any process of the prefix other than this one; Wine's services run as
// long as its server does.
DWORD AnotherRunningProcess() {
  const win32::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    if (entry.th32ProcessID != GetCurrentProcessId() && entry.th32ProcessID != 0) {
      return entry.th32ProcessID;
    }
  }
  return 0;
}

TEST(TempFolder, LeftoversOfEndedProgramsGoAndFoldersInUseStay) {
  TempFolder own;
  ASSERT_TRUE(CopyFileA((BinDirectory() + "\\probe.exe").c_str(),
                        own.File("probe.exe").c_str(), FALSE));
  ChildProcess ended;
  ASSERT_TRUE(ended.Start(own.File("probe.exe"), "probe.exe"));
  ASSERT_EQ(ended.WaitForExit(), 0u);
  const DWORD running = AnotherRunningProcess();
  ASSERT_NE(running, 0u);

  const std::wstring temp = Wide(own.Path().substr(0, own.Path().rfind('\\') + 1));
  const std::wstring left = temp + L"vorlane-test-" + std::to_wstring(ended.Id()) + L"-1";
  const std::wstring held = temp + L"vorlane-test-" + std::to_wstring(running) + L"-1";
  // An earlier process that had this one's id, with a folder this one has
  // not made yet.
  const std::wstring earlier =
      temp + L"vorlane-test-" + std::to_wstring(GetCurrentProcessId()) + L"-99999";
  const OnScopeExit removeThem([&] {
    for (const std::wstring& folder : {left, held, earlier}) RemoveTree(folder);
  });
  for (const std::wstring& folder : {left, held, earlier}) {
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  }
  ASSERT_TRUE(FillWithHardCases(left));

  EXPECT_GE(RemoveLeftoverTempFolders(), 2);
  EXPECT_FALSE(Exists(left));
  EXPECT_FALSE(Exists(earlier));
  EXPECT_TRUE(Exists(held)) << "a running program's folder";
  EXPECT_TRUE(Exists(Wide(own.File("probe.exe")))) << "this program's own folder";
}

}  // namespace
}  // namespace vorlane::test
