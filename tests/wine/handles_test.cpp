// The handle owners free what they hold exactly once, on every path, and
// their counts tell a leak.
#include <gtest/gtest.h>

#include <utility>

#include "win32/handles.h"

namespace vorlane::win32 {
namespace {

HICON NewIcon() { return CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)); }

TEST(UniqueIcon, CountsWhatItHolds) {
  const long before = UniqueIcon::Live();
  {
    UniqueIcon first(NewIcon());
    UniqueIcon second(NewIcon());
    ASSERT_TRUE(first && second);
    EXPECT_EQ(UniqueIcon::Live(), before + 2);
  }
  EXPECT_EQ(UniqueIcon::Live(), before);
}

TEST(UniqueIcon, ResetFreesTheOldHandle) {
  const long before = UniqueIcon::Live();
  UniqueIcon icon(NewIcon());
  const HICON old = icon.get();
  icon.reset(NewIcon());
  EXPECT_NE(icon.get(), old);
  EXPECT_FALSE(DestroyIcon(old)) << "old icon was not destroyed";
  icon.reset();
  EXPECT_FALSE(icon);
  EXPECT_EQ(UniqueIcon::Live(), before);
}

TEST(UniqueIcon, MoveHandsOverWithoutFreeing) {
  const long before = UniqueIcon::Live();
  UniqueIcon source(NewIcon());
  const HICON handle = source.get();
  UniqueIcon target(std::move(source));
  EXPECT_FALSE(source);
  EXPECT_EQ(target.get(), handle);
  UniqueIcon assigned;
  assigned = std::move(target);
  EXPECT_EQ(assigned.get(), handle);
  EXPECT_EQ(UniqueIcon::Live(), before + 1);
}

TEST(UniqueIcon, ReleaseGivesUpOwnership) {
  const long before = UniqueIcon::Live();
  UniqueIcon icon(NewIcon());
  const HICON handle = icon.release();
  EXPECT_EQ(UniqueIcon::Live(), before);
  EXPECT_TRUE(DestroyIcon(handle)) << "released icon was destroyed";
}

TEST(UniqueFile, InvalidHandleValueIsNotOwned) {
  const long before = UniqueFile::Live();
  UniqueFile file(CreateFileA("Z:\\no\\such\\file", GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(file);
  EXPECT_EQ(UniqueFile::Live(), before);
}

}  // namespace
}  // namespace vorlane::win32
