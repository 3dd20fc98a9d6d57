// The sizes and fills of the flat menu look.
#include <gtest/gtest.h>

#include "launcher/menu_paint_plan.h"

namespace vorlane::launcher {
namespace {

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

}  // namespace
}  // namespace vorlane::launcher
