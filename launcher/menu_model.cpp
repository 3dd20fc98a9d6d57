#include "menu_model.h"

#include "settings/section_values.h"
#include "settings/settings_model.h"

namespace vorlane::launcher {
namespace {

using settings::kSettingsSection;

bool Holds(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::string MenuText(std::string_view text) {
  return std::string(text.substr(0, settings::kMenuTextLimit));
}

PlannedEntry Item(int slot, int itemNo, int commandId, std::string_view text,
                  IconRequest icon = {}) {
  PlannedEntry entry;
  entry.slot = slot;
  entry.kind = MenuEntryKind::Item;
  entry.text = MenuText(text);
  entry.menuRef = static_cast<std::int16_t>(slot + 1);
  entry.itemNo = itemNo;
  entry.commandId = commandId;
  entry.icon = std::move(icon);
  return entry;
}

PlannedEntry Mail(int commandId, std::string_view text) {
  PlannedEntry entry = Item(kEmailSlot, 0, commandId, text,
                            IconRequest{IconSource::Email, {}, {}, 0});
  entry.menuRef = 2;
  return entry;
}

PlannedEntry Separator(int slot, std::size_t index) {
  PlannedEntry entry;
  entry.slot = slot;
  entry.kind = MenuEntryKind::Separator;
  entry.commandId = ENTRY_COMMAND_BASE + static_cast<int>(index);
  return entry;
}

// The items of one menu in the popup of `slot`.
std::vector<PlannedEntry> PlanMenuItems(settings::SettingsStore& store,
                                        int menu, int slot,
                                        std::size_t entriesBefore);

PlannedEntry Submenu(int slot, std::string_view text, int submenuSlot) {
  PlannedEntry entry;
  entry.slot = slot;
  entry.kind = MenuEntryKind::Submenu;
  entry.text = MenuText(text);
  entry.submenuSlot = submenuSlot;
  return entry;
}

// Identifiers above the entry range would be taken for contacts: a menu
// stops taking entries before it runs out of identifiers.
bool EntryIdAvailable(std::size_t index) {
  return ENTRY_COMMAND_BASE + static_cast<long long>(index) <= kLastEntryCommand;
}

}  // namespace

IconRequest DefaultIconFor(std::string_view location) {
  if (settings::BeginsWithUrlScheme(location)) {
    return {IconSource::WebShortcut, {}, {}, 0};
  }
  if (!Holds(location, "?") && !Holds(location, ".htm") &&
      !Holds(location, "http://") && !Holds(location, "www.")) {
    return {IconSource::ShellFile, std::string(location), {}, 0};
  }
  if (Holds(location, ".htm") || Holds(location, "http:") ||
      Holds(location, "www.")) {
    return {IconSource::WebShortcut, {}, {}, 0};
  }
  return {IconSource::Batch, {}, {}, 0};
}

std::string IconCacheKey(const IconRequest& request) {
  std::string key = std::to_string(static_cast<int>(request.source)) + "|" +
                    std::to_string(request.index) + "|" + request.file + "|" +
                    request.location;
  // Another size is another icon; 16's keys stay as they always were.
  if (request.size != 16) {
    key += "|@" + std::to_string(request.size);
  }
  return key;
}

bool IsResourceIcon(IconSource source) {
  return source == IconSource::Run || source == IconSource::Email ||
         source == IconSource::Batch;
}

namespace {

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "\\server\share" of a UNC path, "c:" of a drive path, else empty.
std::string VolumeOf(std::string_view path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::size_t separators = 0;
    std::size_t end = 2;
    for (; end < path.size(); ++end) {
      if (IsSeparator(path[end]) && ++separators == 2) break;
    }
    return Lowered(path.substr(0, end));
  }
  if (path.size() >= 2 && path[1] == ':') {
    return Lowered(path.substr(0, 2));
  }
  return {};
}

}  // namespace

std::string IconPlace(const IconRequest& request) {
  std::vector<std::string_view> paths;
  switch (request.source) {
    case IconSource::Custom:
      paths = {request.file, request.location};
      break;
    case IconSource::ShellFile:
      paths = {request.location};
      break;
    default:
      return {};
  }
  std::string place;
  for (std::string_view path : paths) {
    std::string volume = VolumeOf(path);
    if (!volume.empty() && IsSeparator(volume.front())) return volume;
    if (place.empty()) place = std::move(volume);
  }
  return place;
}

std::string GenericIconKind(const IconRequest& request) {
  const std::string_view path =
      request.location.empty() ? request.file : request.location;
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsSeparator(path[i]) || path[i] == ':') nameStart = i + 1;
  }
  const std::string_view name = path.substr(nameStart);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return {};
  return Lowered(name.substr(dot));
}

IconRequest ItemIconFor(std::string_view location, std::string_view iconValue) {
  const settings::IconSpec spec = settings::ParseIconSpec(iconValue);
  if (!iconValue.empty() && spec.hasIndex) {
    return {IconSource::Custom, std::string(location), spec.file, spec.index};
  }
  return DefaultIconFor(location);
}

int EmailOffset(settings::SettingsStore& store) {
  return settings::Read(store, kSettingsSection, settings::kShowEmailItem) == 1
             ? 1
             : 0;
}

std::optional<int> MenuAtPosition(settings::SettingsStore& store,
                                  int position) {
  const std::vector<int> shown = settings::ShownMenus(store);
  const int n = position - EmailOffset(store) - 1;
  const std::size_t index = n <= 1 ? 0 : static_cast<std::size_t>(n) - 1;
  if (index >= shown.size()) {
    return std::nullopt;
  }
  return shown[index];
}

bool IsEmailPosition(settings::SettingsStore& store, int position) {
  return position == 3 && EmailOffset(store) == 1;
}

MainMenuPlan PlanMainMenu(settings::SettingsStore& store) {
  MainMenuPlan plan;
  std::vector<PlannedEntry>& entries = plan.entries;
  const int email = EmailOffset(store);
  const int menuCount = settings::ReadCount(store, settings::kMenuCount);

  entries.push_back(Item(kSystemSlot, 0, CMD_CONFIG, "Config"));
  entries.push_back(Item(kSystemSlot, 0, CMD_OPTIONS, "Options"));
  entries.push_back(Item(kSystemSlot, 0, CMD_HELP, "Help"));
  entries.push_back(Item(kSystemSlot, 0, CMD_DONATE, "Donate!"));
  entries.push_back(Item(kSystemSlot, 0, CMD_ABOUT, "About"));
  entries.push_back(Item(kSystemSlot, 0, CMD_EXIT, "Exit"));

  PlannedEntry banner;
  banner.kind = MenuEntryKind::Banner;
  banner.commandId = CMD_NONE;
  entries.push_back(banner);
  entries.push_back(Submenu(kMainSlot, "Vorlane", kSystemSlot));
  entries.push_back(Separator(kMainSlot, entries.size()));

  int nextSlot = kEmailSlot;
  if (email == 1) {
    entries.push_back(Submenu(kMainSlot, "Email", kEmailSlot));
    nextSlot = kEmailSlot + 1;
  }
  const std::vector<int> shown = settings::ShownMenus(store);
  for (std::size_t i = 1; i < shown.size(); ++i) {
    entries.push_back(Submenu(
        kMainSlot,
        settings::Read(store, kSettingsSection, settings::kMenuName, shown[i]),
        nextSlot++));
  }
  if (menuCount > 1 || email == 1) {
    entries.push_back(Separator(kMainSlot, entries.size()));
  }
  std::vector<PlannedEntry> standard;
  if (!shown.empty()) {
    standard = PlanMenuItems(store, shown.front(), kMainSlot, entries.size());
  }
  entries.insert(entries.end(), standard.begin(), standard.end());
  if (settings::Read(store, kSettingsSection, settings::kShowFastStart) == 1) {
    entries.push_back(Separator(kMainSlot, entries.size()));
    entries.push_back(Item(kMainSlot, 0, CMD_RUN, "Run",
                           IconRequest{IconSource::Run, {}, {}, 0}));
  }
  plan.slotCount = nextSlot;
  return plan;
}

std::vector<PlannedEntry> PlanProgramMenu(settings::SettingsStore& store,
                                          int position,
                                          std::size_t entriesBefore) {
  const std::optional<int> menu = MenuAtPosition(store, position);
  if (!menu) {
    return {};
  }
  const int slot = position > 1 ? position - 1 : position;
  return PlanMenuItems(store, *menu, slot, entriesBefore);
}

namespace {

std::vector<PlannedEntry> PlanMenuItems(settings::SettingsStore& store,
                                        int menu, int slot,
                                        std::size_t entriesBefore) {
  std::vector<PlannedEntry> entries;
  const int count = settings::ReadCount(store, settings::kCount, menu);
  if (count <= 0) {
    entries.push_back(Item(slot, 0, CMD_NONE, "Empty menu"));
    return entries;
  }
  // One read for the whole section rather than three per item; a section
  // too large for that, or a file that could not be read, is read key by
  // key.
  const std::string section = settings::ProgramSection(menu);
  const settings::SectionRead data = store.ReadSection(section);
  const settings::SectionValues items(data.IsWhole() ? std::string_view(data.data)
                                                     : std::string_view());
  const auto read = [&](const settings::TextKey& key, int i) {
    return data.IsWhole() ? settings::Read(items, key, i)
                          : settings::Read(store, section, key, i);
  };
  for (int i = 1; i <= count; ++i) {
    const std::size_t index = entriesBefore + entries.size();
    if (!EntryIdAvailable(index)) break;
    const std::string des = read(settings::kDes, i);
    if (des.empty()) {
      entries.push_back(Separator(slot, index));
      continue;
    }
    const std::string location = read(settings::kProgram, i);
    const std::string icon = read(settings::kItemIcon, i);
    const int expand = data.IsWhole()
                           ? settings::Read(items, settings::kExpand, i)
                           : settings::Read(store, section, settings::kExpand, i);
    if (expand == 1 && !location.empty() &&
        settings::ClassifyLocation(location) == settings::LocationKind::Path) {
      PlannedEntry folder = Submenu(slot, des, -1);
      folder.menuRef = static_cast<std::int16_t>(slot + 1);
      folder.itemNo = i;
      folder.icon = ItemIconFor(location, icon);
      folder.folder = location;
      entries.push_back(std::move(folder));
      continue;
    }
    entries.push_back(Item(slot, i, ENTRY_COMMAND_BASE + static_cast<int>(index),
                           des, ItemIconFor(location, icon)));
  }
  return entries;
}

}  // namespace

std::vector<PlannedEntry> PlanEmailMenu(settings::SettingsStore& store,
                                        std::size_t entriesBefore) {
  std::vector<PlannedEntry> entries;
  entries.push_back(Mail(CMD_BLANK_EMAIL, "Blank Email"));
  entries.push_back(Separator(kEmailSlot, entriesBefore + 1));
  const int contacts = settings::ReadCount(store, settings::kContactCount);
  const int lastContact = kLastContactCommand - CONTACT_COMMAND_BASE;
  for (int j = 1; j <= contacts && j <= lastContact; ++j) {
    const std::string name = settings::Read(store, settings::kContactsSection,
                                            settings::kContactName, j);
    if (name.empty()) {
      entries.push_back(Separator(kEmailSlot, entriesBefore + entries.size()));
    } else {
      entries.push_back(Mail(CONTACT_COMMAND_BASE + j, name));
    }
  }
  return entries;
}

std::string PlatformText(MenuEntryKind kind, std::string_view text) {
  switch (kind) {
    case MenuEntryKind::Separator:
      return {};
    case MenuEntryKind::Banner:
      return "Vorlane";
    case MenuEntryKind::Item:
    case MenuEntryKind::Submenu:
      break;
  }
  std::string doubled;
  doubled.reserve(text.size() + 8);
  for (const char c : text) {
    doubled += c;
    if (c == '&') {
      doubled += '&';
    }
  }
  return doubled;
}

}  // namespace vorlane::launcher
