#include "contact_operations.h"

#include <algorithm>

#include "configurator/item_list/item_operations.h"
#include "settings/settings_model.h"

namespace vorlane::configurator {
namespace {

using settings::kContactsSection;
using settings::kSettingsSection;
using settings::NumberedName;

constexpr std::size_t kWholeValue = 65535;

std::optional<int> StoredCount(settings::SettingsStore& store) {
  const int count = settings::Read(store, kSettingsSection, settings::kContactCount);
  if (!settings::CountInRange(count)) return std::nullopt;
  return count;
}

void WriteContact(settings::SettingsStore& store, int number, const Contact& contact) {
  store.WriteString(kContactsSection, NumberedName(settings::kContactName.name, number),
                    contact.name);
  store.WriteString(kContactsSection, NumberedName(settings::kContactEmail.name, number),
                    contact.address);
}

}  // namespace

bool IsAcceptedAddress(std::string_view address) {
  return address.find('@') != std::string_view::npos &&
         address.find('.') != std::string_view::npos;
}

Contact ReadContact(settings::SettingsStore& store, int number) {
  return Contact{
      store.ReadString(kContactsSection,
                       NumberedName(settings::kContactName.name, number), "", kWholeValue),
      store.ReadString(kContactsSection,
                       NumberedName(settings::kContactEmail.name, number), "", kWholeValue)};
}

std::optional<int> AddContact(settings::SettingsStore& store, const Contact& contact) {
  const std::optional<int> count = StoredCount(store);
  if (!count || !settings::CountCanGrow(*count)) return std::nullopt;
  settings::WriteInt(store, kSettingsSection, settings::kContactCount.name, *count + 1);
  WriteContact(store, *count + 1, contact);
  return *count + 1;
}

void ChangeContact(settings::SettingsStore& store, int number, const Contact& contact) {
  const std::optional<int> count = StoredCount(store);
  if (!count || number < 1 || number > *count) return;
  WriteContact(store, number, contact);
}

void RemoveContacts(settings::SettingsStore& store, std::vector<int> numbers) {
  const std::optional<int> count = StoredCount(store);
  if (!count) return;
  const int left = RemoveNumbered(
      *count, settings::KeyNumbers(store, kContactsSection, {"Name", "Email"}, *count),
      std::move(numbers),
      [&](int from) { WriteContact(store, from - 1, ReadContact(store, from)); });
  if (left != *count) {
    settings::WriteInt(store, kSettingsSection, settings::kContactCount.name, left);
  }
}

bool SwapContactWithNext(settings::SettingsStore& store, int number) {
  const std::optional<int> count = StoredCount(store);
  if (!count || number < 1 || number + 1 > *count) return false;
  const Contact first = ReadContact(store, number);
  const Contact second = ReadContact(store, number + 1);
  // Both names, then both addresses, as the keys were always swapped.
  store.WriteString(kContactsSection, NumberedName(settings::kContactName.name, number),
                    second.name);
  store.WriteString(kContactsSection,
                    NumberedName(settings::kContactName.name, number + 1), first.name);
  store.WriteString(kContactsSection, NumberedName(settings::kContactEmail.name, number),
                    second.address);
  store.WriteString(kContactsSection,
                    NumberedName(settings::kContactEmail.name, number + 1), first.address);
  return true;
}

}  // namespace vorlane::configurator
