// The sizes and fills of the flat menu look.
#include <gtest/gtest.h>

#include "launcher/menu_paint_plan.h"
#include "tests/contrast.h"

#include <utility>

namespace vorlane::launcher {
namespace {

using test::ContrastRatio;

TEST(Measure, SizesByKind) {
  EXPECT_EQ(MeasureEntry(MenuEntryKind::Separator, {80, 14}), (PaintSize{100, 5}));
  EXPECT_EQ(MeasureEntry(MenuEntryKind::Banner, {80, 14}), (PaintSize{100, 17}));
  EXPECT_EQ(MeasureEntry(MenuEntryKind::Item, {80, 14}), (PaintSize{107, 20}));
  EXPECT_EQ(MeasureEntry(MenuEntryKind::Submenu, {80, 14}), (PaintSize{118, 20}));
  EXPECT_EQ(MeasureEntry(MenuEntryKind::Item, {80, 26}), (PaintSize{107, 26}));
}

TEST(Paint, SeparatorLineIsOneRowFromX27) {
  const EntryPaint paint =
      PlanEntryPaint(MenuEntryKind::Separator, false, false, {0, 40, 150, 45}, 0);
  ASSERT_EQ(paint.fills.size(), 3u);
  EXPECT_EQ(paint.fills[0], (Fill{{0, 40, 23, 45}, kGutterColour}));
  EXPECT_EQ(paint.fills[1], (Fill{{23, 40, 150, 45}, kBackgroundColour}));
  EXPECT_EQ(paint.fills[2], (Fill{{27, 42, 150, 43}, kSeparatorLineColour}));
  EXPECT_FALSE(paint.text);
}

TEST(Paint, BannerFramedWithItsIconAtTheRight) {
  const EntryPaint paint =
      PlanEntryPaint(MenuEntryKind::Banner, false, false, {0, 0, 150, 17}, 14);
  ASSERT_EQ(paint.fills.size(), 3u);
  EXPECT_EQ(paint.fills[1], (Fill{{23, 0, 150, 17}, kFrameColour}));
  EXPECT_EQ(paint.fills[2], (Fill{{24, 1, 149, 16}, kBannerColour}));
  EXPECT_EQ(paint.icon, PaintedIcon::Banner);
  EXPECT_EQ(paint.iconX, 134);
  EXPECT_EQ(paint.iconY, 1);  // one below the banner's top
  EXPECT_FALSE(paint.text);
}

TEST(Paint, ItemTextAndIconCentred) {
  const EntryPaint paint =
      PlanEntryPaint(MenuEntryKind::Item, false, true, {0, 17, 150, 37}, 14);
  EXPECT_EQ(paint.fills[0], (Fill{{0, 17, 23, 37}, kGutterColour}));
  EXPECT_EQ(paint.icon, PaintedIcon::Entry);
  EXPECT_EQ(paint.iconX, 3);
  EXPECT_EQ(paint.iconY, 19);
  EXPECT_EQ(paint.textX, 27);
  EXPECT_EQ(paint.textY, 20);  // T + 3 for 14-pixel text in 20 pixels
}

TEST(Paint, SelectionCoversTheGutterToo) {
  const EntryPaint paint =
      PlanEntryPaint(MenuEntryKind::Submenu, true, false, {0, 17, 150, 37}, 14);
  ASSERT_EQ(paint.fills.size(), 2u);
  EXPECT_EQ(paint.fills[0], (Fill{{0, 17, 150, 37}, kFrameColour}));
  EXPECT_EQ(paint.fills[1], (Fill{{1, 18, 149, 36}, kSelectedColour}));
  EXPECT_EQ(paint.icon, PaintedIcon::Submenu);
  EXPECT_EQ(paint.textX, 27);
}

TEST(Paint, OffsetsFollowTheEntrysEdges) {
  // Wine places the entries a few pixels inside the popup.
  const EntryPaint separator =
      PlanEntryPaint(MenuEntryKind::Separator, false, false, {3, 40, 150, 45}, 0);
  EXPECT_EQ(separator.fills[0], (Fill{{3, 40, 26, 45}, kGutterColour}));
  EXPECT_EQ(separator.fills[2], (Fill{{30, 42, 150, 43}, kSeparatorLineColour}));
  const EntryPaint banner =
      PlanEntryPaint(MenuEntryKind::Banner, false, false, {3, 3, 150, 20}, 14);
  EXPECT_EQ(banner.fills[2], (Fill{{27, 4, 149, 19}, kBannerColour}));
  EXPECT_EQ(banner.iconY, 4);
}

TEST(Paint, ItemWithoutIconDrawsNone) {
  EXPECT_EQ(PlanEntryPaint(MenuEntryKind::Item, false, false, {0, 0, 99, 20}, 14).icon,
            PaintedIcon::None);
}

TEST(Paint, OddHeightsRoundTowardsTheTop) {
  const EntryPaint paint =
      PlanEntryPaint(MenuEntryKind::Item, false, true, {0, 0, 99, 21}, 14);
  EXPECT_EQ(paint.iconY, 2);
  EXPECT_EQ(paint.textY, 3);
}

TEST(Scale, At96DpiEverySizeIsTodaysAndDamagedDpisCountAs96) {
  for (int dpi : {96, 0, -144, 72, 1'000'000}) {
    EXPECT_EQ(MenuGeometryAt(dpi), MenuGeometry{}) << dpi;
  }
}

TEST(Scale, AtHigherDpisSizesGrowByTheScaleRoundedAsThePlatformRounds) {
  const MenuGeometry at150 = MenuGeometryAt(144);
  EXPECT_EQ(at150.iconSize, 24);
  EXPECT_EQ(at150.gutterRight, 35);  // 34.5
  EXPECT_EQ(at150.textOffset, 41);   // 40.5
  EXPECT_EQ(at150.minimumEntryHeight, 30);
  EXPECT_EQ(at150.frameWidth, 2);    // 1.5
  EXPECT_EQ(at150.separatorHeight, 8);
  const MenuGeometry at200 = MenuGeometryAt(192);
  const MenuGeometry at100;
  EXPECT_EQ(at200.iconSize, 2 * at100.iconSize);
  EXPECT_EQ(at200.bannerHeight, 2 * at100.bannerHeight);
  EXPECT_EQ(at200.submenuExtraWidth, 2 * at100.submenuExtraWidth);
  EXPECT_EQ(ScaledToDpi(1, 120), 1);  // 1.25
  EXPECT_EQ(ScaledToDpi(-10, 144), -15);
}

TEST(Scale, EntriesAreMeasuredAndPaintedWithTheScaledSizes) {
  const MenuGeometry g = MenuGeometryAt(144);
  EXPECT_EQ(MeasureEntry(MenuEntryKind::Item, {80, 21}, g), (PaintSize{121, 30}));
  EXPECT_EQ(MeasureEntry(MenuEntryKind::Separator, {80, 21}, g), (PaintSize{150, 8}));

  const EntryPaint selected =
      PlanEntryPaint(MenuEntryKind::Item, true, true, {0, 30, 200, 60}, 21, g);
  EXPECT_EQ(selected.fills[1], (Fill{{2, 32, 198, 58}, kSelectedColour}));
  EXPECT_EQ(selected.iconX, 5);  // 4.5
  EXPECT_EQ(selected.iconY, 33);
  EXPECT_EQ(selected.textX, 41);
  EXPECT_EQ(selected.textY, 34);

  const EntryPaint banner =
      PlanEntryPaint(MenuEntryKind::Banner, false, false, {0, 0, 150, 26}, 21, g);
  EXPECT_EQ(banner.fills[0].rect.right, 35);
  EXPECT_EQ(banner.iconX, 150 - 24);
  EXPECT_EQ(banner.iconY, 2);
}

// Colours no scheme of the menu uses, so that each shows where it went.
SystemColours MarkedSystemColours() {
  return {0x00010101, 0x00020202, 0x00030303, 0x00040404, 0x00050505, 0x00060606};
}

TEST(Look, HighContrastWinsThenThemeThenTheAppMode) {
  using settings::ParseThemeChoice;
  SystemLook light, dark, contrast;
  dark.appsDark = true;
  contrast.highContrast = true;
  contrast.appsDark = true;
  EXPECT_EQ(ChooseMenuLook(ParseThemeChoice(0), light), MenuLook::Light);
  EXPECT_EQ(ChooseMenuLook(ParseThemeChoice(0), dark), MenuLook::Dark);
  EXPECT_EQ(ChooseMenuLook(ParseThemeChoice(1), dark), MenuLook::Light);
  EXPECT_EQ(ChooseMenuLook(ParseThemeChoice(2), light), MenuLook::Dark);
  for (const int damaged : {-1, 3, 7, 1 << 30}) {
    EXPECT_EQ(ChooseMenuLook(ParseThemeChoice(damaged), light), MenuLook::Light)
        << damaged;
    EXPECT_EQ(ChooseMenuLook(ParseThemeChoice(damaged), dark), MenuLook::Dark)
        << damaged;
  }
  for (const int theme : {0, 1, 2, 7}) {
    EXPECT_EQ(ChooseMenuLook(ParseThemeChoice(theme), contrast),
              MenuLook::HighContrast)
        << theme;
  }
}

TEST(Look, LightIsTheFixedSchemeWithTheSystemsMenuText) {
  const MenuPalette light = PaletteFor(MenuLook::Light, MarkedSystemColours());
  EXPECT_EQ(light, (MenuPalette{kGutterColour, kBackgroundColour,
                                kSeparatorLineColour, kFrameColour,
                                kSelectedColour, kBannerColour, 0x00020202,
                                0x00020202, 0x00050505}));
  const EntryPaint plain = PlanEntryPaint(MenuEntryKind::Item, false, false,
                                          {0, 0, 99, 20}, 14, {}, light);
  EXPECT_EQ(plain.fills[1].colour, kBackgroundColour);
  EXPECT_EQ(plain.textColour, 0x00020202u);
}

TEST(Look, DarkTextStandsOutAgainstEveryPartItIsDrawnOn) {
  const MenuPalette dark = PaletteFor(MenuLook::Dark, MarkedSystemColours());
  for (const auto& [what, behind] :
       {std::pair{"background", dark.background}, {"gutter", dark.gutter}}) {
    EXPECT_GE(ContrastRatio(dark.text, behind), kLeastTextContrast) << what;
  }
  EXPECT_GE(ContrastRatio(dark.selectedText, dark.selected), kLeastTextContrast);
  EXPECT_GE(ContrastRatio(dark.disabledText, dark.background), kLeastTextContrast);
  // Dark, and told apart from one another.
  EXPECT_LT(ContrastRatio(dark.background, 0), 2.0);
  EXPECT_NE(dark.gutter, dark.background);
  EXPECT_NE(dark.selected, dark.background);
  EXPECT_NEAR(ContrastRatio(0x00FFFFFF, 0), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(0x00777777, 0x00777777), 1.0, 1e-9);
}

TEST(Look, HighContrastPaintsOnlyInTheSystemsColours) {
  const SystemColours system = MarkedSystemColours();
  const MenuPalette palette = PaletteFor(MenuLook::HighContrast, system);
  EXPECT_EQ(palette.text, system.menuText);
  EXPECT_EQ(palette.selectedText, system.highlightText);
  EXPECT_EQ(palette.separatorLine, system.shadow);
  for (const bool selected : {false, true}) {
    for (const MenuEntryKind kind :
         {MenuEntryKind::Item, MenuEntryKind::Submenu, MenuEntryKind::Separator,
          MenuEntryKind::Banner}) {
      const EntryPaint paint =
          PlanEntryPaint(kind, selected, true, {0, 0, 99, 20}, 14, {}, palette);
      for (const Fill& fill : paint.fills) {
        EXPECT_LE(fill.colour, 0x00060606u)
            << "a fixed colour in entry kind " << static_cast<int>(kind);
        EXPECT_EQ(fill.colour & 0xFF, (fill.colour >> 8) & 0xFF);
      }
    }
  }
  const EntryPaint selected = PlanEntryPaint(MenuEntryKind::Item, true, false,
                                             {0, 0, 99, 20}, 14, {}, palette);
  EXPECT_EQ(selected.fills.back().colour, system.highlight);
  EXPECT_EQ(selected.textColour, system.highlightText);
}

TEST(Look, OnlyTheDarkSchemeDrawsASubmenusArrowItself) {
  const SystemColours system = MarkedSystemColours();
  const PaintRect item{0, 20, 150, 40};
  EXPECT_EQ(PlanEntryPaint(MenuEntryKind::Submenu, false, false, item, 14, {},
                           PaletteFor(MenuLook::Light, system))
                .fills.size(),
            2u);
  const EntryPaint dark = PlanEntryPaint(MenuEntryKind::Submenu, false, false, item,
                                         14, {}, PaletteFor(MenuLook::Dark, system));
  ASSERT_EQ(dark.fills.size(), 2u + kArrowWidth);
  // A triangle pointing right, centred in the entry, its tip 6 from the edge.
  EXPECT_EQ(dark.fills[2], (Fill{{140, 26, 141, 33}, kDarkTextColour}));
  EXPECT_EQ(dark.fills[5], (Fill{{143, 29, 144, 30}, kDarkTextColour}));
}

}  // namespace
}  // namespace vorlane::launcher
