// The icon cache: hits, misses, changed files, the bound, and release.
#include <gtest/gtest.h>

#include "launcher/icon_cache.h"
#include "launcher/menu_model.h"

namespace vorlane::launcher {
namespace {

// Counts live icons the way the real owners count handles.
struct FakeIcon {
  static inline int live = 0;
  FakeIcon() { ++live; }
  ~FakeIcon() { --live; }
};

using Cache = IconCache<FakeIcon>;

class IconCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { FakeIcon::live = 0; }
  void TearDown() override { EXPECT_EQ(FakeIcon::live, 0); }
};

TEST_F(IconCacheTest, HitAndMiss) {
  Cache cache(10);
  EXPECT_FALSE(cache.Find("a", 1).has_value());
  auto icon = std::make_shared<FakeIcon>();
  cache.Store("a", 1, icon);
  ASSERT_TRUE(cache.Find("a", 1).has_value());
  EXPECT_EQ(*cache.Find("a", 1), icon);
  EXPECT_FALSE(cache.Find("b", 1).has_value());
}

TEST_F(IconCacheTest, PeekShowsWhatIsStoredWithoutCheckingItsStamp) {
  Cache cache(10);
  EXPECT_FALSE(cache.Peek("a").has_value());
  auto icon = std::make_shared<FakeIcon>();
  cache.Store("a", 1, icon);
  EXPECT_EQ(cache.Peek("a"), icon);
  EXPECT_EQ(cache.StampOf("a"), 1u) << "what a later check compares with";
  EXPECT_FALSE(cache.StampOf("b").has_value());
  EXPECT_FALSE(cache.Find("a", 2).has_value()) << "the stamp decides later";
  EXPECT_FALSE(cache.Peek("a").has_value());
  EXPECT_FALSE(cache.StampOf("a").has_value());
}

TEST_F(IconCacheTest, KnownAbsenceIsAHitToo) {
  Cache cache(10);
  cache.Store("missing", 0, nullptr);
  const auto found = cache.Find("missing", 0);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(*found, nullptr);
}

TEST_F(IconCacheTest, ChangedStampDropsTheOldIcon) {
  Cache cache(10);
  cache.Store("a", 1, std::make_shared<FakeIcon>());
  EXPECT_EQ(FakeIcon::live, 1);
  EXPECT_FALSE(cache.Find("a", 2).has_value());
  EXPECT_EQ(FakeIcon::live, 0) << "the stale icon was kept";
  EXPECT_EQ(cache.Size(), 0u);
}

TEST_F(IconCacheTest, BoundEvictsTheLeastRecentlyUsed) {
  Cache cache(2);
  cache.Store("a", 1, std::make_shared<FakeIcon>());
  cache.Store("b", 1, std::make_shared<FakeIcon>());
  cache.Find("a", 1);  // b is now the oldest
  cache.Store("c", 1, std::make_shared<FakeIcon>());
  EXPECT_EQ(FakeIcon::live, 2);
  EXPECT_TRUE(cache.Find("a", 1).has_value());
  EXPECT_FALSE(cache.Find("b", 1).has_value());
  EXPECT_TRUE(cache.Find("c", 1).has_value());
}

TEST_F(IconCacheTest, EvictedIconLivesWhileAMenuShowsIt) {
  Cache cache(1);
  auto shown = std::make_shared<FakeIcon>();
  cache.Store("a", 1, shown);
  cache.Store("b", 1, std::make_shared<FakeIcon>());
  EXPECT_EQ(FakeIcon::live, 2);
  shown.reset();
  EXPECT_EQ(FakeIcon::live, 1);
}

TEST_F(IconCacheTest, StoringAgainReplaces) {
  Cache cache(5);
  cache.Store("a", 1, std::make_shared<FakeIcon>());
  cache.Store("a", 2, std::make_shared<FakeIcon>());
  EXPECT_EQ(FakeIcon::live, 1);
  EXPECT_EQ(cache.Size(), 1u);
}

TEST_F(IconCacheTest, ClearReleasesEverything) {
  Cache cache(100);
  for (int i = 0; i < 50; ++i) {
    cache.Store(std::to_string(i), 1, std::make_shared<FakeIcon>());
  }
  EXPECT_EQ(FakeIcon::live, 50);
  cache.Clear();
  EXPECT_EQ(FakeIcon::live, 0);
}

TEST(IconKeys, WhatDecidesTheIcon) {
  const IconRequest a{IconSource::ShellFile, "C:\\a.exe", "", 0};
  const IconRequest b{IconSource::ShellFile, "C:\\b.exe", "", 0};
  const IconRequest customA{IconSource::Custom, "C:\\a.exe", "C:\\i.dll", 1};
  const IconRequest customB{IconSource::Custom, "C:\\a.exe", "C:\\i.dll", 2};
  EXPECT_NE(IconCacheKey(a), IconCacheKey(b));
  EXPECT_NE(IconCacheKey(a), IconCacheKey(customA));
  EXPECT_NE(IconCacheKey(customA), IconCacheKey(customB));
  EXPECT_EQ(IconCacheKey(a), IconCacheKey(IconRequest{IconSource::ShellFile,
                                                       "C:\\a.exe", "", 0}));
}

}  // namespace
}  // namespace vorlane::launcher
