// Edits of the menu list that more than one program makes, so that each is
// written one way only.
#pragma once

#include <optional>

#include "settings_store.h"

namespace vorlane::settings {

// MenuOrder is rewritten from what was read: reading it whole keeps a long
// order from losing its tail.
inline constexpr TextKey kWholeMenuOrder{"MenuOrder", "", 32767};

// Creates an empty menu "Menu<n>" at the end of MenuCount and MenuOrder;
// its number, or nothing (and nothing written) when MenuCount lies outside
// 0 .. kMostCount - 1.
std::optional<int> AddMenu(SettingsStore& store);

}  // namespace vorlane::settings
