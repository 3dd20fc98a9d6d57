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
  EXPECT_EQ(UserValue(), "\"" + launcher + "\"");
  EXPECT_TRUE(SetStartWithWindows(false, launcher, kRefusingRoot, user_.get()));
  EXPECT_EQ(UserValue(), "<none>");
  EXPECT_FALSE(SetStartWithWindows(true, launcher, kRefusingRoot, kRefusingRoot))
      << "a value written nowhere is no success";
}

// Another copy's start with Windows (a portable one) is that copy's:
// switching this launcher's off leaves it.
TEST_F(StartWithWindows, OffLeavesTheValueOfAnotherCopy) {
  const std::string other = "\"C:\\Portable\\Vorlane.exe\" /tray";
  ASSERT_EQ(RegSetKeyValueA(user_.get(), kRunKey, kRunValue, REG_SZ, other.c_str(),
                            static_cast<DWORD>(other.size() + 1)),
            ERROR_SUCCESS);
  EXPECT_TRUE(SetStartWithWindows(false, "C:\\Tools\\Vorlane.exe", kRefusingRoot,
                                  user_.get()));
  EXPECT_EQ(UserValue(), other);
}

// A user may not delete the machine's value: switching off then leaves
// Vorlane starting with Windows, and that is no success.
TEST_F(StartWithWindows, OffFailsWhileAValueStaysThatMayNotBeDeleted) {
  const std::string launcher = "C:\\Tools\\Vorlane.exe";
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExA(user_.get(), "Machine", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &created, nullptr),
            ERROR_SUCCESS);
  const win32::UniqueKey machine(created);
  ASSERT_TRUE(SetStartWithWindows(true, launcher, machine.get(), user_.get()));
  // Everybody may read the Run key, nobody may change it.
  HKEY run = nullptr;
  ASSERT_EQ(RegOpenKeyExA(machine.get(), kRunKey, 0, KEY_ALL_ACCESS, &run), ERROR_SUCCESS);
  const win32::UniqueKey runKey(run);
  SECURITY_DESCRIPTOR descriptor{};
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  alignas(ACL) unsigned char aclSpace[256] = {};
  auto* acl = reinterpret_cast<ACL*>(aclSpace);
  InitializeAcl(acl, sizeof(aclSpace), ACL_REVISION);
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0,
                                       0, 0, &everyone));
  AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone);
  SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
  ASSERT_EQ(RegSetKeySecurity(runKey.get(), DACL_SECURITY_INFORMATION, &descriptor),
            ERROR_SUCCESS);
  FreeSid(everyone);

  EXPECT_FALSE(SetStartWithWindows(false, launcher, machine.get(), user_.get()));
  HKEY check = nullptr;
  ASSERT_EQ(RegOpenKeyExA(machine.get(), kRunKey, 0, KEY_READ, &check), ERROR_SUCCESS);
  const win32::UniqueKey checked(check);
  EXPECT_EQ(RegQueryValueExA(checked.get(), kRunValue, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS) << "the value is still there";
}

}  // namespace
}  // namespace vorlane::configurator
