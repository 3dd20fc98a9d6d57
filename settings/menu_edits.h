// Edits of the menu list that more than one program makes, so that each is
// written one way only.
#pragma once

#include <optional>

#include "settings_store.h"

namespace vorlane::settings {

// Creates an empty menu "Menu<n>" at the end of MenuCount and MenuOrder;
// its number, or nothing (and nothing written) when MenuCount lies outside
// 0 .. kMostCount - 1. MenuOrder is written anew as the menus shown before
// (ShownMenus), each followed by "*", then the new one: tokens that no
// reader showed are dropped.
std::optional<int> AddMenu(SettingsStore& store);

}  // namespace vorlane::settings
