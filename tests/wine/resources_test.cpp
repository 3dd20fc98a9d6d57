// The icons that the programs load by number are in the built programs, at
// the sizes the code asks for.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <utility>

#include "resources/resource_ids.h"
#include "test_support.h"
#include "win32/handles.h"

namespace vorlane::test {
namespace {

#pragma pack(push, 2)
struct IconDirEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct IconDir {
  WORD reserved, type, count;
  IconDirEntry entries[1];
};
#pragma pack(pop)

std::set<int> IconSizes(HMODULE module, int id) {
  std::set<int> sizes;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
  if (found == nullptr) return sizes;
  const auto* dir =
      static_cast<const IconDir*>(LockResource(LoadResource(module, found)));
  for (WORD i = 0; dir != nullptr && i < dir->count; ++i) {
    sizes.insert(dir->entries[i].width == 0 ? 256 : dir->entries[i].width);
  }
  return sizes;
}

class LauncherResources : public ::testing::Test {
 protected:
  win32::UniqueModule module{LoadLibraryExA(
      (BinDirectory() + "\\Vorlane.exe").c_str(), nullptr,
      LOAD_LIBRARY_AS_DATAFILE)};
};

TEST_F(LauncherResources, IconsHaveTheirSizes) {
  ASSERT_TRUE(module);
  EXPECT_EQ(IconSizes(module.get(), IDI_TRAY), (std::set<int>{16, 32}));
  for (int id : {IDI_SUBMENU, IDI_EMAIL, IDI_BATCH, IDI_RUN, IDI_BANNER}) {
    EXPECT_EQ(IconSizes(module.get(), id), (std::set<int>{16})) << id;
  }
  EXPECT_TRUE(IconSizes(module.get(), 103).empty());
}

TEST_F(LauncherResources, VersionResourceNamesTheProgram) {
  const std::string path = BinDirectory() + "\\Vorlane.exe";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
  char* name = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(),
                             "\\StringFileInfo\\040904E4\\OriginalFilename",
                             reinterpret_cast<void**>(&name), &length));
  EXPECT_STREQ(name, "Vorlane.exe");
}

}  // namespace
}  // namespace vorlane::test
