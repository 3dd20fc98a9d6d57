// The launcher's popup menu as the screen shows it: the fills of every kind
// of entry read back as pixels, with the menu opened and driven from outside.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "menu_driver.h"
#include "menu_look.h"
#include "menu_screen.h"
#include "screen_shot.h"
#include "test_support.h"

namespace vorlane::test {
namespace {

bool Contains(const RECT& area, int x, int y) {
  return x >= area.left && x < area.right && y >= area.top && y < area.bottom;
}

std::string Hex(COLORREF colour) {
  char text[16] = {};
  std::snprintf(text, std::size(text), "0x%08lX",
                static_cast<unsigned long>(colour));
  return text;
}

std::string Describe(const RECT& area) {
  return "x " + std::to_string(area.left) + ".." + std::to_string(area.right) +
         ", y " + std::to_string(area.top) + ".." + std::to_string(area.bottom);
}

// Every pixel of `area` in one colour, but for the parts that hold an icon or
// text, which are not compared pixel by pixel.
struct Fill {
  std::string what;
  RECT area;
  COLORREF colour;
  std::vector<RECT> except;
};

// Empty when the fill is on the screen, else what differs.
std::string Mismatch(const ScreenShot& shot, const Fill& fill) {
  int wrong = 0;
  int firstX = 0, firstY = 0;
  for (int y = fill.area.top; y < fill.area.bottom; ++y) {
    for (int x = fill.area.left; x < fill.area.right; ++x) {
      const bool skipped = std::any_of(
          fill.except.begin(), fill.except.end(),
          [&](const RECT& part) { return Contains(part, x, y); });
      if (skipped || shot.At(x, y) == fill.colour) continue;
      if (wrong++ == 0) {
        firstX = x;
        firstY = y;
      }
    }
  }
  if (wrong == 0) return {};
  return fill.what + " (" + Describe(fill.area) + ", expected " +
         Hex(fill.colour) + "): " + std::to_string(wrong) +
         " pixels differ, first (" + std::to_string(firstX) + ", " +
         std::to_string(firstY) + ") is " + Hex(shot.At(firstX, firstY)) + "\n";
}

// Painting runs in the launcher's process after the window shows, and after
// each key: the screen is read again until it matches or the time is up.
::testing::AssertionResult PaintedAs(HWND popup,
                                     const std::vector<Fill>& fills) {
  std::string report;
  const bool matched = WaitUntil(
      [&] {
        const ScreenShot shot(popup);
        report.clear();
        for (const Fill& fill : fills) report += Mismatch(shot, fill);
        return report.empty();
      },
      std::chrono::seconds(5));
  if (matched) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << report;
}

int CountDifferent(const ScreenShot& shot, const RECT& area,
                   const std::vector<COLORREF>& fillColours) {
  int different = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF pixel = shot.At(x, y);
      if (std::find(fillColours.begin(), fillColours.end(), pixel) ==
          fillColours.end()) {
        ++different;
      }
    }
  }
  return different;
}

// Something other than the given fill colours shows in the area: an icon is
// drawn there, whatever it looks like.
::testing::AssertionResult ShowsIcon(HWND popup, const RECT& area,
                                     const std::vector<COLORREF>& fillColours) {
  const bool drawn = WaitUntil(
      [&] { return CountDifferent(ScreenShot(popup), area, fillColours) > 0; },
      std::chrono::seconds(5));
  if (drawn) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "only fill colours in " << Describe(area);
}

// The sizes of menu_look.h at a display's dpi, rounded as the platform
// scales (half away from zero).
struct Sizes {
  int dpi = 96;
  int Scaled(int value) const { return MulDiv(value, dpi, 96); }
  int gutterRight() const { return Scaled(kGutterRight); }
  int separatorLineLeft() const { return Scaled(kSeparatorLineLeft); }
  int iconOffset() const { return Scaled(kIconOffset); }
  int iconSize() const { return Scaled(kIconSize); }
  int textOffset() const { return Scaled(kTextOffset); }
  int bannerHeight() const { return Scaled(kBannerHeight); }
  int separatorHeight() const { return Scaled(kSeparatorHeight); }
  int separatorLineInset() const { return Scaled(2); }
  int minimumEntryHeight() const { return Scaled(kMinimumEntryHeight); }
  int frame() const { return Scaled(1); }
  // The stock GUI font's text height at this dpi, which the launcher uses
  // when the settings name no font.
  int textHeight() const {
    LOGFONTA font{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    font.lfHeight = MulDiv(font.lfHeight, dpi, 96);
    win32::UniqueFont scaled(CreateFontIndirectA(&font));
    win32::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    win32::SelectedObject selected(dc.get(), scaled.get());
    SIZE size{};
    GetTextExtentPoint32A(dc.get(), "Vorlane", 7, &size);
    return static_cast<int>(size.cy);
  }
};

enum class Kind { Banner, Submenu, Separator, Item };

struct EntryShape {
  const char* name;
  Kind kind;
  bool icon;
};

struct PlacedEntry {
  EntryShape shape;
  int top = 0;
  int bottom = 0;
};

// Where a popup's entries are: Wine insets them from its frame by the same
// margin on every side, so the first entry's top left corner fixes all of
// them.
struct PopupLayout {
  Sizes sizes;
  Scheme scheme = kLightScheme;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int textHeight = 0;
  std::vector<PlacedEntry> entries;

  const PlacedEntry& Entry(const char* name) const {
    for (const PlacedEntry& entry : entries) {
      if (std::string(entry.shape.name) == name) return entry;
    }
    ADD_FAILURE() << "no entry " << name;
    return entries.front();
  }
  int TextTop(const PlacedEntry& entry) const {
    return entry.top + (entry.bottom - entry.top - textHeight) / 2;
  }
  RECT IconBox(const PlacedEntry& entry) const {
    const int size = sizes.iconSize(), offset = sizes.iconOffset();
    const int top = entry.top + (entry.bottom - entry.top - size) / 2;
    return {left + offset, top, left + offset + size, top + size};
  }
  // The rows the text may paint in, from its left to the right edge. Wine's
  // own arrow on submenu entries lies within them too.
  RECT TextRows(const PlacedEntry& entry) const {
    return {left + sizes.textOffset(), TextTop(entry), right,
            TextTop(entry) + textHeight};
  }
  bool HasIcon(const PlacedEntry& entry) const {
    return entry.shape.icon || entry.shape.kind == Kind::Submenu;
  }
};

std::optional<PopupLayout> LayOut(HWND popup,
                                  const std::vector<EntryShape>& shapes,
                                  Sizes sizes, Scheme scheme = kLightScheme) {
  std::optional<POINT> corner;
  int clientWidth = 0, clientHeight = 0;
  WaitUntil([&] {
    const ScreenShot shot(popup);
    clientWidth = shot.Width();
    clientHeight = shot.Height();
    return (corner = FirstEntryCorner(shot, scheme.gutter, scheme.frame))
        .has_value();
  });
  if (!corner) return std::nullopt;
  PopupLayout layout;
  layout.sizes = sizes;
  layout.scheme = scheme;
  layout.left = corner->x;
  layout.top = corner->y;
  layout.right = clientWidth - corner->x;
  layout.bottom = clientHeight - corner->y;
  layout.textHeight = sizes.textHeight();
  int y = layout.top;
  for (const EntryShape& shape : shapes) {
    int height = std::max(layout.textHeight, sizes.minimumEntryHeight());
    if (shape.kind == Kind::Banner) height = sizes.bannerHeight();
    if (shape.kind == Kind::Separator) height = sizes.separatorHeight();
    layout.entries.push_back({shape, y, y + height});
    y += height;
  }
  return layout;
}

// The fills of an entry that is not selected.
std::vector<Fill> PlainFills(const PopupLayout& popup,
                             const PlacedEntry& entry) {
  const std::string name = entry.shape.name;
  const int l = popup.left, r = popup.right, t = entry.top, b = entry.bottom;
  const Sizes& z = popup.sizes;
  const Scheme& c = popup.scheme;
  const int g = l + z.gutterRight(), line = l + z.separatorLineLeft();
  const int f = z.frame(), inset = z.separatorLineInset();
  switch (entry.shape.kind) {
    case Kind::Banner: {
      const std::vector<RECT> icon{
          {r - z.iconSize(), t + f, r, t + f + z.iconSize()}};
      return {{"banner gutter", {l, t, g, b}, c.gutter, {}},
              {"banner frame top", {g, t, r, t + f}, c.frame, icon},
              {"banner frame bottom", {g, b - f, r, b}, c.frame, icon},
              {"banner frame left", {g, t, g + f, b}, c.frame, {}},
              {"banner frame right", {r - f, t, r, b}, c.frame, icon},
              {"banner inside", {g + f, t + f, r - f, b - f}, c.banner, icon}};
    }
    case Kind::Separator:
      return {{name + " gutter", {l, t, g, b}, c.gutter, {}},
              {name + " above the line", {g, t, r, t + inset}, c.background, {}},
              {name + " left of the line", {g, t + inset, line, b - inset},
               c.background, {}},
              {name + " line", {line, t + inset, r, b - inset}, c.separatorLine, {}},
              {name + " below the line", {g, b - inset, r, b}, c.background, {}}};
    case Kind::Submenu:
    case Kind::Item:
      break;
  }
  std::vector<RECT> icon;
  if (popup.HasIcon(entry)) icon.push_back(popup.IconBox(entry));
  return {{name + " gutter", {l, t, g, b}, c.gutter, icon},
          {name + " background", {g, t, r, b}, c.background,
           {popup.TextRows(entry)}}};
}

std::vector<Fill> SelectedFills(const PopupLayout& popup,
                                const PlacedEntry& entry) {
  const std::string name = entry.shape.name;
  const int l = popup.left, r = popup.right, t = entry.top, b = entry.bottom;
  std::vector<RECT> inner{popup.TextRows(entry)};
  if (popup.HasIcon(entry)) inner.push_back(popup.IconBox(entry));
  const int f = popup.sizes.frame();
  const Scheme& c = popup.scheme;
  // Wine draws its own arrow on a submenu entry, at the right edge.
  std::vector<RECT> arrow;
  if (entry.shape.kind == Kind::Submenu) arrow.push_back(popup.TextRows(entry));
  return {{name + " frame top", {l, t, r, t + f}, c.frame, {}},
          {name + " frame bottom", {l, b - f, r, b}, c.frame, {}},
          {name + " frame left", {l, t, l + f, b}, c.frame, {}},
          {name + " frame right", {r - f, t, r, b}, c.frame, arrow},
          {name + " inside", {l + f, t + f, r - f, b - f}, c.selected, inner}};
}

void Append(std::vector<Fill>& fills, std::vector<Fill> more) {
  fills.insert(fills.end(), more.begin(), more.end());
}

// The fills without what another window covers of `popup`: Wine lays a
// submenu over the right edge of its parent.
std::vector<Fill> Uncovered(std::vector<Fill> fills, HWND popup, HWND cover) {
  RECT covered{};
  GetWindowRect(cover, &covered);
  MapWindowPoints(nullptr, popup, reinterpret_cast<POINT*>(&covered), 2);
  for (Fill& fill : fills) fill.except.push_back(covered);
  return fills;
}

// A settings file with every kind of entry in the main popup: the standard
// menu holds an item with an icon of its own, an empty description (a
// separator) and an item whose program is missing, so that it has no icon.
SettingsFile SettingsWithEveryKind(const std::string& iconFile) {
  return SettingsFile()
      .Set("ShowEmailItem", "1")
      .Set("ShowFastStart", "1")
      .Item(1, 1, WindowsDirectory() + "\\notepad.exe", "Notepad",
            {{"Icon", iconFile + ",0"}})
      .Item(1, 2, "", "")
      .Item(1, 3, "C:\\no\\such\\folder\\program.exe", "Missing");
}

// The item's icon file holds one image per size, each of its own colour.
constexpr COLORREF kImage16 = RGB(255, 0, 0);
constexpr COLORREF kImage24 = RGB(0, 255, 0);
constexpr COLORREF kImage32 = RGB(0, 0, 255);

const std::vector<EntryShape> kMainPopup{
    {"banner", Kind::Banner, false},
    {"Vorlane", Kind::Submenu, false},
    {"separator after Vorlane", Kind::Separator, false},
    {"Email", Kind::Submenu, false},
    {"separator before the items", Kind::Separator, false},
    {"Notepad", Kind::Item, true},
    {"separator of an empty description", Kind::Separator, false},
    {"Missing", Kind::Item, false},
    {"separator before Run", Kind::Separator, false},
    {"Run", Kind::Item, true},
};

const std::vector<EntryShape> kSystemSubmenu{
    {"Config", Kind::Item, false},  {"Options", Kind::Item, false},
    {"Help", Kind::Item, false},    {"Donate!", Kind::Item, false},
    {"About", Kind::Item, false},   {"Exit", Kind::Item, false},
};

// The menu at the display's dpi of the parameter: 96 is the look as it
// always was, 144 the same at 1.5 times its size.
class MenuPaint : public EndToEndTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    if (HasFatalFailure()) return;
    sizes.dpi = GetParam();
    dpi.emplace(sizes.dpi);
    ASSERT_TRUE(dpi->Set());
    const std::string icon = folder.File("sized.ico");
    WriteSizedIcon(icon, {{16, kImage16}, {24, kImage24}, {32, kImage32}});
    ASSERT_TRUE(launcher.StartWith(folder, SettingsWithEveryKind(icon)));
    PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
    popup = WaitForPopupMenu(Pid());
    ASSERT_NE(popup, nullptr) << "the menu did not open";
    std::optional<PopupLayout> found = LayOut(popup, kMainPopup, sizes);
    ASSERT_TRUE(found.has_value()) << "no entry painted in the popup";
    main = *found;
  }

  void TearDown() override {
    for (int i = 0; i < 5 && FindPopupMenu(Pid()) != nullptr; ++i) {
      PressMenuKey(Pid(), VK_ESCAPE);
    }
    if (launcher.Process().IsRunning()) {
      EXPECT_EQ(launcher.Close(), 0u);
    }
    dpi.reset();
  }

  DWORD Pid() { return launcher.Process().Id(); }

  void PressDown(int times) {
    for (int i = 0; i < times; ++i) PressMenuKey(Pid(), VK_DOWN);
  }

  // Closes the menu and opens it again, as the user does after a change,
  // and finds its entries painted in `scheme`.
  std::optional<PopupLayout> Reopen(Scheme scheme) {
    PressMenuKey(Pid(), VK_ESCAPE);
    if (!WaitForMenuClosed(Pid())) return std::nullopt;
    PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
    popup = WaitForPopupMenu(Pid());
    if (popup == nullptr) return std::nullopt;
    return LayOut(popup, kMainPopup, sizes, scheme);
  }

  Sizes sizes;
  std::optional<DisplayDpi> dpi;
  TempFolder folder;
  Launcher launcher;
  HWND popup = nullptr;
  PopupLayout main;
};

INSTANTIATE_TEST_SUITE_P(AtDpi, MenuPaint, ::testing::Values(96, 144),
                         [](const auto& info) { return std::to_string(info.param); });

TEST_P(MenuPaint, EntriesAreAsHighAsTheirKindMeasures) {
  const int measured = main.entries.back().bottom;
  EXPECT_EQ(measured, main.bottom)
      << "banner " << sizes.bannerHeight() << ", separators "
      << sizes.separatorHeight() << ", other entries "
      << std::max(main.textHeight, sizes.minimumEntryHeight())
      << " rows; the popup's entries end at " << main.bottom;
  // Nor is the text cut off at the right: the entries are measured with the
  // font they are painted in.
  const RECT text = main.TextRows(main.Entry("Notepad"));
  const RECT edge{text.right - 2, text.top, text.right, text.bottom};
  EXPECT_TRUE(PaintedAs(popup, {{"right of Notepad's text", edge, kBackground, {}}}));
  EXPECT_TRUE(ShowsIcon(popup, text, {kBackground})) << "Notepad's text";
}

TEST_P(MenuPaint, ItemIconIsDrawnFromTheImageOfItsSize) {
  const COLORREF image = sizes.dpi == 144 ? kImage24 : kImage16;
  EXPECT_TRUE(PaintedAs(popup, {{"Notepad's icon", main.IconBox(main.Entry("Notepad")),
                                 image, {}}}));
  // With every icon in place: for a person to look at.
  for (const char* name : {"Vorlane", "Email", "Run"}) {
    EXPECT_TRUE(ShowsIcon(popup, main.IconBox(main.Entry(name)), {kGutter})) << name;
  }
  WriteScreenShot(popup, "menu-" + std::to_string(sizes.dpi) + "dpi");
}

TEST_P(MenuPaint, BannerIsABlueFramedStripRightOfTheGutterWithItsIcon) {
  EXPECT_TRUE(PaintedAs(popup, PlainFills(main, main.Entry("banner"))));
  // One pixel below the banner's top, 16 pixels from its right edge.
  const PlacedEntry& banner = main.Entry("banner");
  const int f = sizes.frame(), size = sizes.iconSize();
  EXPECT_TRUE(ShowsIcon(popup,
                        {main.right - size, banner.top + f, main.right,
                         banner.top + f + size},
                        {kFrame, kBanner}));
}

TEST_P(MenuPaint, EntriesShowTheGutterAndTheBackgroundRightOfIt) {
  std::vector<Fill> fills;
  for (const PlacedEntry& entry : main.entries) {
    if (entry.shape.kind == Kind::Item || entry.shape.kind == Kind::Submenu) {
      Append(fills, PlainFills(main, entry));
    }
  }
  EXPECT_TRUE(PaintedAs(popup, fills));
}

TEST_P(MenuPaint, IconsShowInTheGutterOnlyForEntriesThatHaveOne) {
  for (const char* name : {"Vorlane", "Email", "Notepad", "Run"}) {
    EXPECT_TRUE(ShowsIcon(popup, main.IconBox(main.Entry(name)), {kGutter}))
        << name;
  }
  const PlacedEntry& missing = main.Entry("Missing");
  const RECT gutter{main.left, missing.top, main.left + sizes.gutterRight(),
                    missing.bottom};
  EXPECT_TRUE(PaintedAs(popup, {{"Missing gutter", gutter, kGutter, {}}}));
}

TEST_P(MenuPaint, SeparatorsAreOneGreyRowFrom27ToTheRightEdge) {
  std::vector<Fill> fills;
  for (const PlacedEntry& entry : main.entries) {
    if (entry.shape.kind == Kind::Separator) {
      Append(fills, PlainFills(main, entry));
    }
  }
  EXPECT_TRUE(PaintedAs(popup, fills));
}

TEST_P(MenuPaint, SelectedItemIsFramedInDarkBlueOverItsWholeWidth) {
  PressDown(5);  // banner, Vorlane, Email, Notepad, Missing
  EXPECT_TRUE(PaintedAs(popup, SelectedFills(main, main.Entry("Missing"))));
}

TEST_P(MenuPaint, MovingTheSelectionRepaintsTheEntryLeftAsPlain) {
  PressDown(5);
  ASSERT_TRUE(PaintedAs(popup, SelectedFills(main, main.Entry("Missing"))));
  PressMenuKey(Pid(), VK_UP);
  std::vector<Fill> fills = SelectedFills(main, main.Entry("Notepad"));
  Append(fills, PlainFills(main, main.Entry("Missing")));
  EXPECT_TRUE(PaintedAs(popup, fills));
  EXPECT_TRUE(ShowsIcon(popup, main.IconBox(main.Entry("Notepad")),
                        {kSelected, kFrame}))
      << "the icon stays drawn on the selection";
}

TEST_P(MenuPaint, OpenSubmenuIsPaintedFromItsOwnLeftEdgeUnderASelectedEntry) {
  PressDown(2);  // banner, Vorlane
  PressMenuKey(Pid(), VK_RIGHT);
  HWND submenu = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    int count = 0;
    submenu = FindPopupMenu(Pid(), &count);
    return count == 2;
  })) << "the system submenu did not open";
  ASSERT_NE(submenu, popup);

  const std::vector<Fill> parent = SelectedFills(main, main.Entry("Vorlane"));
  EXPECT_TRUE(PaintedAs(popup, Uncovered(parent, popup, submenu)));
  std::optional<PopupLayout> system = LayOut(submenu, kSystemSubmenu, sizes);
  ASSERT_TRUE(system.has_value()) << "no entry painted in the submenu";
  EXPECT_EQ(system->entries.back().bottom, system->bottom);
  // The keyboard opens a submenu with its first entry selected.
  std::vector<Fill> fills = SelectedFills(*system, system->Entry("Config"));
  for (std::size_t i = 1; i < system->entries.size(); ++i) {
    Append(fills, PlainFills(*system, system->entries[i]));
  }
  EXPECT_TRUE(PaintedAs(submenu, fills));
}

// Every part of the menu of the light look, in the dark scheme once the
// system's app mode is dark, with its text readable on it.
TEST_P(MenuPaint, DarkAppModePaintsEveryPartDarkWithReadableText) {
  UserDword appMode(kPersonalizeKey, "AppsUseLightTheme");
  ASSERT_TRUE(appMode.Set(0));
  const std::optional<PopupLayout> dark = Reopen(kDarkScheme);
  ASSERT_TRUE(dark.has_value()) << "no entry painted in the dark scheme";
  PressDown(5);  // Missing
  std::vector<Fill> fills = SelectedFills(*dark, dark->Entry("Missing"));
  for (const PlacedEntry& entry : dark->entries) {
    if (std::string(entry.shape.name) != "Missing") {
      Append(fills, PlainFills(*dark, entry));
    }
  }
  EXPECT_TRUE(PaintedAs(popup, fills));
  const ScreenShot shot(popup);
  for (const char* name : {"Vorlane", "Notepad", "Run"}) {
    EXPECT_GE(TextContrast(shot, dark->TextRows(dark->Entry(name)),
                           kDarkScheme.background),
              kReadableContrast)
        << name;
  }
  EXPECT_GE(TextContrast(shot, dark->TextRows(dark->Entry("Missing")),
                         kDarkScheme.selected),
            kReadableContrast)
      << "the selected entry";
  WriteScreenShot(popup, "menu-dark-" + std::to_string(sizes.dpi) + "dpi");
}

// The look is chosen at each opening: from the system's app mode, also when
// it changes while the launcher runs, and from the Theme key over it.
class MenuColours : public EndToEndTest {
 protected:
  void TearDown() override {
    for (int i = 0; i < 5 && FindPopupMenu(Pid()) != nullptr; ++i) {
      PressMenuKey(Pid(), VK_ESCAPE);
    }
    if (launcher.Process().IsRunning()) {
      EXPECT_EQ(launcher.Close(), 0u);
    }
  }

  DWORD Pid() { return launcher.Process().Id(); }

  ::testing::AssertionResult Start() {
    const std::string icon = folder.File("sized.ico");
    WriteSizedIcon(icon, {{16, kImage16}});
    return launcher.StartWith(folder, SettingsWithEveryKind(icon)
                                          .Set("Theme", theme));
  }

  void SetTheme(const char* value) {
    WritePrivateProfileStringA("Settings", "Theme", value,
                               folder.File("vorlane.ini").c_str());
  }

  // Opens the menu, finds every entry painted in the scheme, and closes it.
  ::testing::AssertionResult OpensIn(const Scheme& scheme) {
    PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
    const HWND popup = WaitForPopupMenu(Pid());
    if (popup == nullptr) {
      return ::testing::AssertionFailure() << "the menu did not open";
    }
    const std::optional<PopupLayout> layout =
        LayOut(popup, kMainPopup, Sizes{}, scheme);
    ::testing::AssertionResult painted = ::testing::AssertionFailure()
                                         << "not one pixel of the gutter";
    if (layout) {
      std::vector<Fill> fills;
      for (const PlacedEntry& entry : layout->entries) {
        Append(fills, PlainFills(*layout, entry));
      }
      painted = PaintedAs(popup, fills);
    }
    PressMenuKey(Pid(), VK_ESCAPE);
    if (!WaitForMenuClosed(Pid())) {
      return ::testing::AssertionFailure() << "the menu did not close";
    }
    return painted;
  }

  UserDword appMode{kPersonalizeKey, "AppsUseLightTheme"};
  std::string theme = "0";
  TempFolder folder;
  Launcher launcher;
};

TEST_F(MenuColours, FollowTheAppModeFromTheStartAndWhenItChanges) {
  ASSERT_TRUE(appMode.Set(0));
  ASSERT_TRUE(Start());
  EXPECT_TRUE(OpensIn(kDarkScheme)) << "started in the dark app mode";
  ASSERT_TRUE(appMode.Set(1));
  BroadcastColourSetChange();
  EXPECT_TRUE(OpensIn(kLightScheme)) << "switched to light";
  ASSERT_TRUE(appMode.Set(0));
  BroadcastColourSetChange();
  EXPECT_TRUE(OpensIn(kDarkScheme)) << "switched back to dark";
}

TEST_F(MenuColours, ThemeKeyOverridesTheAppMode) {
  ASSERT_TRUE(appMode.Set(0));
  theme = "1";
  ASSERT_TRUE(Start());
  EXPECT_TRUE(OpensIn(kLightScheme)) << "Theme=1 in the dark app mode";
  ASSERT_TRUE(appMode.Set(1));
  BroadcastColourSetChange();
  SetTheme("2");
  EXPECT_TRUE(OpensIn(kDarkScheme)) << "Theme=2 in the light app mode";
  SetTheme("0");
  EXPECT_TRUE(OpensIn(kLightScheme)) << "Theme=0 in the light app mode";
}

}  // namespace
}  // namespace vorlane::test
