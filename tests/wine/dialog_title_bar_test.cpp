// The configurator's dialogs ask for a dark title bar while Windows' app
// mode is dark. Under Wine a title bar looks the same either way, so the
// test watches what a dialog asks of the system, for the mode at its
// creation and for the changes Windows announces while it is open.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "icon_button_test_ids.h"
#include "win32/dialog.h"
#include "win32/handles.h"
#include "win32/system_theme.h"

namespace vorlane::win32 {
namespace {

// The app mode of the test's user, put back as it was when the test ends.
class AppMode {
 public:
  AppMode() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kPersonalizeKey, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
      return;
    }
    key_.reset(key);
    DWORD value = 0, type = 0, bytes = sizeof(value);
    if (RegQueryValueExA(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &bytes) == ERROR_SUCCESS &&
        type == REG_DWORD) {
      before_ = value;
    }
  }
  ~AppMode() {
    if (!key_) return;
    if (before_) {
      RegSetValueExA(key_.get(), kValue, 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&*before_), sizeof(DWORD));
    } else {
      RegDeleteValueA(key_.get(), kValue);
    }
  }
  AppMode(const AppMode&) = delete;
  AppMode& operator=(const AppMode&) = delete;

  bool Set(bool dark) {
    const DWORD light = dark ? 0 : 1;
    return key_ && RegSetValueExA(key_.get(), kValue, 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&light),
                                  sizeof(light)) == ERROR_SUCCESS &&
           AppsUseDarkMode() == dark;
  }

 private:
  static constexpr char kValue[] = "AppsUseLightTheme";
  UniqueKey key_;
  std::optional<DWORD> before_;
};

// Notes each title bar it asks for; while open it hears the settings
// changes of `heard` in turn, each after the app mode has become dark or
// light as the pair says, and then ends.
class NotingDialog final : public Dialog {
 public:
  struct Change {
    bool dark;
    const char* area;
  };
  NotingDialog(bool wideControls, AppMode& mode, std::vector<Change> heard)
      : Dialog(GetModuleHandleA(nullptr), IDD_BUTTON_TEST, wideControls),
        mode_(mode),
        heard_(std::move(heard)) {
    FollowAppModeInTitleBar();
  }
  std::string asked;  // "d" for each dark title bar, "l" for each light one
  bool modeSet = true;

 private:
  static constexpr UINT WM_HEAR = WM_APP + 1;
  BOOL OnInit() override {
    PostMessageA(Window(), WM_HEAR, 0, 0);
    return TRUE;
  }
  bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR&) override {
    if (message != WM_HEAR) return false;
    asked += "|";
    for (const Change& change : heard_) {
      modeSet = mode_.Set(change.dark) && modeSet;
      // Sent as Windows broadcasts it: the platform hands a dialog of
      // wide controls the text in wide characters.
      SendMessageA(Window(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(change.area));
    }
    EndDialog(Window(), IDOK);
    return true;
  }
  void ShowTitleBarDark(bool dark) override { asked += dark ? "d" : "l"; }

  AppMode& mode_;
  std::vector<Change> heard_;
};

TEST(DialogTitleBar, FollowsTheAppModeFromCreationAndWhenWindowsSaysItChanged) {
  AppMode mode;
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "wide controls" : "ANSI controls");
    ASSERT_TRUE(mode.Set(true));
    NotingDialog dark(wide, mode,
                      {{false, "ImmersiveColorSet"}, {true, "Policy"},
                       {true, "immersivecolorset"}});
    ASSERT_EQ(dark.DoModal(), IDOK);
    EXPECT_TRUE(dark.modeSet);
    // Dark at creation, light and dark again at each announcement, and no
    // change for another setting.
    EXPECT_EQ(dark.asked, "d|ld");

    ASSERT_TRUE(mode.Set(false));
    NotingDialog light(wide, mode, {{false, "Policy"}});
    ASSERT_EQ(light.DoModal(), IDOK);
    EXPECT_EQ(light.asked, "|") << "the system's own title bar is light";
  }
}

}  // namespace
}  // namespace vorlane::win32
