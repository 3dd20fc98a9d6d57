// The Run value for starting with Windows, with the machine's key refusing
// the write as it does for every user without administrator rights.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "configurator/options_dialog/start_with_windows_win32.h"
#include "win32/handles.h"

namespace vorlane::configurator {
namespace {

constexpr char kTestRoot[] = "Software\\VorlaneStartWithWindowsTest";

// A root under which nothing can be created: a handle that names no key.
const HKEY kRefusingRoot = reinterpret_cast<HKEY>(static_cast<INT_PTR>(0x7ffe));

class StartWithWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestRoot, 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    user_.reset(key);
  }
  void TearDown() override {
    user_.reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
  }
  std::string UserValue() {
    char data[MAX_PATH] = {};
    DWORD size = sizeof(data) - 1;
    if (RegGetValueA(user_.get(), kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, data,
                     &size) != ERROR_SUCCESS) {
      return "<none>";
    }
    return data;
  }

  win32::UniqueKey user_;
};

TEST_F(StartWithWindows, FallsBackToTheUserAndSaysWhenNeitherTakesIt) {
  const std::string launcher = "C:\\Tools\\Vorlane.exe";
  EXPECT_TRUE(SetStartWithWindows(true, launcher, kRefusingRoot, user_.get()));
  EXPECT_EQ(UserValue(), launcher);
  EXPECT_TRUE(SetStartWithWindows(false, launcher, kRefusingRoot, user_.get()));
  EXPECT_EQ(UserValue(), "<none>");
  EXPECT_FALSE(SetStartWithWindows(true, launcher, kRefusingRoot, kRefusingRoot))
      << "a value written nowhere is no success";
}

}  // namespace
}  // namespace vorlane::configurator
