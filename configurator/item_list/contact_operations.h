// The edits of the e-mail contacts: add, blank contact, change, remove and
// move, over section Emailcontacts and ContactCount.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_store.h"

namespace vorlane::configurator {

inline constexpr char kInvalidAddressCaption[] = "Invalid emailaddress";
inline constexpr char kInvalidAddressText[] = "This is not a valid email address";

// An address holds an "@" and a "." anywhere, in any order; nothing more
// is asked of it.
bool IsAcceptedAddress(std::string_view address);

struct Contact {
  std::string name;
  std::string address;
};

Contact ReadContact(settings::SettingsStore& store, int number);

// Appends the contact; its number, or nothing (and nothing written) when
// ContactCount cannot grow.
std::optional<int> AddContact(settings::SettingsStore& store, const Contact& contact);
void ChangeContact(settings::SettingsStore& store, int number, const Contact& contact);
// As the item removal: highest first, the contacts above each move down,
// up to one past the last contact the section holds.
void RemoveContacts(settings::SettingsStore& store, std::vector<int> numbers);
bool SwapContactWithNext(settings::SettingsStore& store, int number);

}  // namespace vorlane::configurator
