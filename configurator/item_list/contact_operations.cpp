#include "contact_operations.h"

#include <algorithm>

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
  std::sort(numbers.begin(), numbers.end(), std::greater<>());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  for (int removed : numbers) {
    const std::optional<int> count = StoredCount(store);
    if (!count || removed < 1 || removed > *count) continue;
    settings::WriteInt(store, kSettingsSection, settings::kContactCount.name, *count - 1);
    for (int i = removed + 1; i <= *count; ++i) {
      WriteContact(store, i - 1, ReadContact(store, i));
    }
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
