// The configurator's icon button in a dialog of this process: its pixels
// read back from the screen in each state, with the real mouse and
// keyboard driving it; and the main dialog's buttons seen from outside.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "config_driver.h"
#include "configurator/controls/icon_button_win32.h"
#include "icon_button_test_ids.h"
#include "screen_shot.h"
#include "test_support.h"
#include "win32/dialog.h"

namespace vorlane::configurator {
namespace {

using test::ScreenShot;
using namespace std::chrono_literals;

// The colours of the drawings icon_button_hot.txt and icon_button_normal.txt.
constexpr COLORREF kHotIcon = RGB(0xF0, 0x80, 0x20);
constexpr COLORREF kNormalIcon = RGB(0x40, 0xC0, 0xF0);
constexpr int kIconSize = 16;
const COLORREF kFace = GetSysColor(COLOR_BTNFACE);
const COLORREF kLight = GetSysColor(COLOR_BTNHIGHLIGHT);
const COLORREF kShadow = GetSysColor(COLOR_BTNSHADOW);

int g_clicks = 0;
int g_doubleClicks = 0;

INT_PTR CALLBACK TestDialogProc(HWND, UINT message, WPARAM wParam,
                                LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDC_ADD) {
    g_clicks += HIWORD(wParam) == BN_CLICKED;
    g_doubleClicks += HIWORD(wParam) == BN_DOUBLECLICKED;
  }
  if (message == WM_DRAWITEM) {  // as the configurator's dialog base does
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    return SendMessageA(item->hwndItem, win32::WM_REFLECTED_DRAWITEM, wParam,
                        lParam) != 0;
  }
  return message == WM_INITDIALOG;
}

// Runs this thread's messages, the keys through the dialog manager as a
// dialog's own loop runs them, until the condition holds or the time is
// up.
bool PumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = 5s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.hwnd != nullptr &&
          IsDialogMessageA(GetAncestor(message.hwnd, GA_ROOT), &message)) {
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(10);
  }
}

void SendMouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
}

void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto key = keys.end(); key != keys.begin();) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *--key;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void MoveMouseTo(POINT at) {
  test::MoveMouseTo(at, [](std::chrono::milliseconds time) {
    PumpUntil([] { return false; }, time);
  });
}

// Far from the dialog, which sits at the top left, and from the taskbar.
void ParkMouse() {
  MoveMouseTo({GetSystemMetrics(SM_CXSCREEN) - 40, GetSystemMetrics(SM_CYSCREEN) / 2});
}

// Puts the pointer on the button's centre; true once the button lights.
bool Hover(const CIconButton& button) {
  RECT r{};
  GetWindowRect(button.Window(), &r);
  MoveMouseTo({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  return PumpUntil([&] { return button.IsHot(); });
}

// The bounds of the pixels of one kind; right and bottom are exclusive.
struct Box {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  std::string Text() const {
    if (right < left) return "none";
    return "x " + std::to_string(left) + ".." + std::to_string(right) + ", y " +
           std::to_string(top) + ".." + std::to_string(bottom);
  }
};

// Looks `inset` pixels inside the edges.
Box Find(const ScreenShot& shot, const std::function<bool(COLORREF)>& match,
         int inset = 0) {
  Box box;
  for (int y = inset; y < shot.Height() - inset; ++y) {
    for (int x = inset; x < shot.Width() - inset; ++x) {
      if (!match(shot.At(x, y))) continue;
      box = {std::min(box.left, x), std::min(box.top, y),
             std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    }
  }
  return box;
}

Box Pixels(const ScreenShot& shot, COLORREF colour) {
  return Find(shot, [colour](COLORREF c) { return c == colour; });
}

// The caption's ink: the icons, face and edges are all lighter. The focus
// rectangle, which Wine shows on the focused button, lies outside it.
Box Ink(const ScreenShot& shot) {
  return Find(
      shot,
      [](COLORREF c) {
        return c != CLR_INVALID && std::max({GetRValue(c), GetGValue(c), GetBValue(c)}) < 0x60;
      },
      3);
}

// Empty when the outermost pixels, corners aside, show `upperLeft` on the
// left and top and `lowerRight` on the right and bottom; else the first
// pixel that does not.
std::string EdgeMismatch(const ScreenShot& shot, COLORREF upperLeft,
                         COLORREF lowerRight) {
  const int w = shot.Width(), h = shot.Height();
  std::vector<std::tuple<int, int, COLORREF>> edges;
  for (int y = 1; y < h - 1; ++y) {
    edges.insert(edges.end(), {{0, y, upperLeft}, {w - 1, y, lowerRight}});
  }
  for (int x = 1; x < w - 1; ++x) {
    edges.insert(edges.end(), {{x, 0, upperLeft}, {x, h - 1, lowerRight}});
  }
  for (const auto& [x, y, colour] : edges) {
    if (shot.At(x, y) == colour) continue;
    char text[80];
    snprintf(text, std::size(text), "(%d, %d) is 0x%06lX, not 0x%06lX", x, y,
             static_cast<unsigned long>(shot.At(x, y)),
             static_cast<unsigned long>(colour));
    return text;
  }
  return {};
}

// The pixels of a focus rectangle: those along the rectangle two pixels
// inside the edges that are not the face. The icon and the caption lie
// further in.
int FocusDots(const ScreenShot& shot) {
  const int w = shot.Width(), h = shot.Height();
  int dots = 0;
  for (int x = 2; x < w - 2; ++x) dots += (shot.At(x, 2) != kFace) + (shot.At(x, h - 3) != kFace);
  for (int y = 3; y < h - 3; ++y) dots += (shot.At(2, y) != kFace) + (shot.At(w - 3, y) != kFace);
  return dots;
}

bool Flat(const ScreenShot& s) { return EdgeMismatch(s, kFace, kFace).empty(); }
bool Raised(const ScreenShot& s) { return EdgeMismatch(s, kLight, kShadow).empty(); }
bool Sunken(const ScreenShot& s) { return EdgeMismatch(s, kShadow, kLight).empty(); }

// The window's pixels once they show what `shows` looks for, or the last
// look when the time is up.
ScreenShot ShotWhen(HWND window, const std::function<bool(const ScreenShot&)>& shows) {
  std::optional<ScreenShot> shot;
  PumpUntil([&] { return shows(shot.emplace(window)); });
  return *shot;
}

// The test's dialog, shown and active, its three buttons driven by icon
// buttons; the window ends before the objects, as in the configurator.
struct ButtonDialog {
  ButtonDialog() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_BUTTON_TEST),
                                nullptr, TestDialogProc, 0);
    if (!add.Attach(window, IDC_ADD) ||
        !iconOnly.Attach(window, IDC_ICON_ONLY, CIconButton::Caption::NameOnly) ||
        !disabled.Attach(window, IDC_DISABLED)) {
      return;
    }
    add.SetIcons(instance, IDI_TEST_HOT, IDI_TEST_NORMAL);
    iconOnly.SetIcons(instance, IDI_TEST_HOT, 0);
    disabled.SetIcons(instance, IDI_TEST_HOT, IDI_TEST_NORMAL);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    ready = PumpUntil([this] { return GetActiveWindow() == window; });
  }
  ~ButtonDialog() { DestroyWindow(window); }

  CIconButton add, iconOnly, disabled;
  HWND window = nullptr;
  bool ready = false;
};

class IconButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ParkMouse();
    g_clicks = g_doubleClicks = 0;
    ASSERT_TRUE(dialog_.emplace().ready) << "the dialog did not become active";
    button_ = dialog_->add.Window();
    resting_ = ShotWhen(button_, [](const ScreenShot& s) {
      return Pixels(s, kNormalIcon).Text() != "none" && Ink(s).Text() != "none";
    });
    icon_ = Pixels(*resting_, kNormalIcon);
    ink_ = Ink(*resting_);
  }
  void TearDown() override { ParkMouse(); }

  std::optional<ButtonDialog> dialog_;
  HWND button_ = nullptr;              // the Add button's
  std::optional<ScreenShot> resting_;  // and what it shows at rest
  Box icon_, ink_;
};

TEST_F(IconButtonTest, RestingButtonsPlaceTheirIconsAndCaptions) {
  const int width = resting_->Width(), height = resting_->Height();
  const int top = (height - kIconSize) / 2;
  EXPECT_EQ(EdgeMismatch(*resting_, kFace, kFace), "");
  EXPECT_EQ(icon_.Text(), (Box{3, top, 3 + kIconSize, top + kIconSize}.Text()));
  EXPECT_EQ(Pixels(*resting_, kHotIcon).Text(), "none");
  // The caption is centred in the space right of the icon.
  EXPECT_NEAR((ink_.left + ink_.right) / 2.0, (3 + kIconSize + width) / 2.0, 2.0)
      << ink_.Text();
  EXPECT_NEAR((ink_.top + ink_.bottom) / 2.0, height / 2.0, 2.0) << ink_.Text();

  // A button whose text only names it shows its icon centred, the hot one
  // at rest, and no text.
  const ScreenShot alone = ShotWhen(dialog_->iconOnly.Window(), [](const ScreenShot& s) {
    return Pixels(s, kHotIcon).Text() != "none";
  });
  const int left = (alone.Width() - kIconSize) / 2;
  EXPECT_EQ(Pixels(alone, kHotIcon).Text(),
            (Box{left, top, left + kIconSize, top + kIconSize}.Text()));
  EXPECT_EQ(Ink(alone).Text(), "none");
}

TEST_F(IconButtonTest, DisabledButtonIsEmbossedGrey) {
  const ScreenShot shot = ShotWhen(dialog_->disabled.Window(), [](const ScreenShot& s) {
    return s.ShowsAll({kShadow, kLight});
  });
  EXPECT_TRUE(shot.ShowsAll({kShadow, kLight})) << "no embossed pixels";
  EXPECT_EQ(Pixels(shot, GetSysColor(COLOR_BTNTEXT)).Text(), "none");
  EXPECT_EQ(Pixels(shot, kNormalIcon).Text(), "none");
  EXPECT_EQ(Pixels(shot, kHotIcon).Text(), "none");
}

TEST_F(IconButtonTest, PointerOverButtonRaisesItUntilItLeaves) {
  ASSERT_TRUE(Hover(dialog_->add));
  const ScreenShot hot = ShotWhen(button_, Raised);
  EXPECT_EQ(EdgeMismatch(hot, kLight, kShadow), "");
  EXPECT_EQ(Pixels(hot, kHotIcon).Text(), icon_.Text());
  EXPECT_EQ(GetCapture(), button_) << "the hot button hears the pointer leave";

  ParkMouse();
  EXPECT_EQ(EdgeMismatch(ShotWhen(button_, Flat), kFace, kFace), "");
  EXPECT_FALSE(dialog_->add.IsHot());
  EXPECT_EQ(GetCapture(), nullptr);
}

// The press takes the capture for itself and gives it up on release; the
// button must still hear the pointer leave after the click, even in one
// jump.
TEST_F(IconButtonTest, PressSinksAndShiftsTheContentThenClicksOnRelease) {
  ASSERT_TRUE(Hover(dialog_->add));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  const ScreenShot pressed = ShotWhen(button_, Sunken);
  EXPECT_EQ(EdgeMismatch(pressed, kShadow, kLight), "");
  EXPECT_EQ(GetCapture(), button_) << "the press lost the capture";
  const Box icon = Pixels(pressed, kHotIcon), ink = Ink(pressed);
  EXPECT_EQ(icon.left - icon_.left, 1) << icon.Text();
  EXPECT_EQ(icon.top - icon_.top, 1) << icon.Text();
  EXPECT_EQ(ink.left - ink_.left, 1) << ink.Text() << ", at rest " << ink_.Text();
  EXPECT_EQ(ink.top - ink_.top, 1) << ink.Text() << ", at rest " << ink_.Text();

  SendMouse(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(PumpUntil([] { return g_clicks == 1; })) << g_clicks << " clicks";
  ParkMouse();
  EXPECT_EQ(EdgeMismatch(ShotWhen(button_, Flat), kFace, kFace), "");
  EXPECT_FALSE(dialog_->add.IsHot());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(IconButtonTest, DoubleClickIsTwoClicks) {
  ASSERT_TRUE(Hover(dialog_->add));
  for (DWORD flags : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP,
                      MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
    SendMouse(flags);
  }
  PumpUntil([] { return g_clicks + g_doubleClicks >= 2; });
  PumpUntil([] { return false; }, 200ms);  // and nothing after them
  EXPECT_EQ(g_clicks, 2);
  EXPECT_EQ(g_doubleClicks, 0);
}

// Another window that takes the capture from a hot button keeps it, and the
// button stops showing a pointer it can no longer follow.
TEST_F(IconButtonTest, CaptureTakenByAnotherWindowStaysThere) {
  ASSERT_TRUE(Hover(dialog_->add));
  SetCapture(dialog_->window);
  PumpUntil([] { return false; }, 100ms);
  EXPECT_EQ(GetCapture(), dialog_->window);
  EXPECT_FALSE(dialog_->add.IsHot());
  ReleaseCapture();
}

// Wine shows the keyboard cues always: the focus that Tab and Shift+Tab
// move shows its rectangle on the button that has it. Windows hides the
// cues in a dialog opened with the mouse until the first Tab or Alt, and
// tells each control so; the button follows what it is told.
TEST_F(IconButtonTest, FocusRectangleShowsWhereTheKeyboardMovedTheFocus) {
  const HWND iconOnly = dialog_->iconOnly.Window();
  auto dots = [](const ScreenShot& s) { return FocusDots(s) > 0; };
  auto none = [](const ScreenShot& s) { return FocusDots(s) == 0; };
  ASSERT_EQ(GetFocus(), button_) << "the dialog gives the first button the focus";

  PressKeys({VK_TAB});
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == iconOnly; })) << "Tab moved no focus";
  EXPECT_GT(FocusDots(ShotWhen(iconOnly, dots)), 0);
  EXPECT_EQ(FocusDots(ShotWhen(button_, none)), 0) << "the button that lost the focus";

  PressKeys({VK_SHIFT, VK_TAB});
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == button_; })) << "Shift+Tab moved no focus";
  const ScreenShot back = ShotWhen(button_, dots);
  EXPECT_GT(FocusDots(back), 0);
  EXPECT_EQ(Pixels(back, kNormalIcon).Text(), icon_.Text()) << "the icon stays";

  SendMessageA(button_, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  EXPECT_EQ(FocusDots(ShotWhen(button_, none)), 0) << "without keyboard cues";
  EXPECT_EQ(GetFocus(), button_);
  SendMessageA(button_, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  EXPECT_GT(FocusDots(ShotWhen(button_, dots)), 0) << "once the cues are back";
}

long LiveHandles() {
  return win32::UniqueIcon::Live() + win32::UniqueBrush::Live() +
         win32::UniquePen::Live() + win32::UniqueBitmap::Live() +
         win32::UniqueMemoryDc::Live();
}

TEST(IconButtonLifetime, HoldsItsIconsOnceAndFreesEverythingItPainted) {
  ParkMouse();
  const long icons = win32::UniqueIcon::Live();
  const long all = LiveHandles();
  {
    ButtonDialog dialog;
    ASSERT_TRUE(dialog.ready);
    // Add and Remove hold two icons each, the icon-only button one for both.
    EXPECT_EQ(win32::UniqueIcon::Live(), icons + 5);
    dialog.add.SetIcons(GetModuleHandleA(nullptr), IDI_TEST_HOT, IDI_TEST_NORMAL);
    EXPECT_EQ(win32::UniqueIcon::Live(), icons + 5);
    g_clicks = 0;
    ASSERT_TRUE(Hover(dialog.add));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([] { return g_clicks == 1; }));
  }
  EXPECT_EQ(LiveHandles(), all);
  ParkMouse();
}

TEST(IconButtonLifetime, ButtonOutlivingItsObjectIsAPlainButtonAgain) {
  const HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr),
                                         MAKEINTRESOURCEA(IDD_BUTTON_TEST),
                                         nullptr, TestDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  const HWND button = GetDlgItem(dialog, IDC_ADD);
  const LONG_PTR original = GetWindowLongPtrA(button, GWLP_WNDPROC);
  {
    CIconButton icons;
    ASSERT_TRUE(icons.Attach(dialog, IDC_ADD));
    EXPECT_NE(GetWindowLongPtrA(button, GWLP_WNDPROC), original);
  }
  EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC), original);
  const int before = g_clicks;
  SendMessageA(button, BM_CLICK, 0, 0);
  EXPECT_EQ(g_clicks, before + 1);
  DestroyWindow(dialog);
}

// Screen readers and GetWindowText read each button of the configurator's
// main dialog by its window text, the browse buttons that show only an
// icon included.
using MainDialogButtons = test::ConfigUse;

TEST_F(MainDialogButtons, EachIconButtonIsNamedByItsWindowText) {
  test::WriteTextFile(ini, test::SettingsFile().Text());
  ASSERT_TRUE(config.Start("1 " + ini));
  int iconButtons = 0;
  for (HWND child = GetWindow(config.Window(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    // The icon buttons are the dialog's owner-drawn ones.
    if ((GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW) continue;
    ++iconButtons;
    char text[128] = {};
    EXPECT_GT(GetWindowTextA(child, text, static_cast<int>(std::size(text))), 0)
        << "button " << GetDlgCtrlID(child);
  }
  EXPECT_EQ(GetWindowLongA(config.Control(IDC_BROWSE_PROGRAM), GWL_STYLE) & BS_TYPEMASK,
            BS_OWNERDRAW);
  EXPECT_GE(iconButtons, 3);
}

}  // namespace
}  // namespace vorlane::configurator
