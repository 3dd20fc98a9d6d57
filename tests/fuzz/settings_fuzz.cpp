// libFuzzer target for everything that reads settings text: any bytes must
// parse, plan menus and commands without a crash or undefined behaviour, and
// reads keep their limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "launcher/command_plan.h"
#include "launcher/menu_model.h"
#include "settings/ini_document.h"
#include "settings/section_values.h"
#include "settings/settings_model.h"

using namespace vorlane::settings;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  IniDocument doc = IniDocument::Parse(text);

  if (Read(doc, kSettingsSection, kMenuOrder).size() > kMenuOrder.limit ||
      Read(doc, kSettingsSection, kMenuName, 1).size() > kMenuName.limit ||
      Read(doc, ProgramSection(1), kDes, 1).size() > kDes.limit) {
    std::abort();
  }
  const int count = Read(doc, kSettingsSection, kCount, 1);
  (void)MenuOrderNumber(doc, count);
  (void)ParseIconSpec(Read(doc, kSettingsSection, kIcon));
  (void)ClassifyLocation(Read(doc, ProgramSection(1), kProgram, 1));
  (void)MenuOrderTokens(text);
  (void)ParseDecimal(text);
  // A section read whole answers as the single-key read; raw bytes parse too.
  if (Read(SectionValues(doc.ReadSection(ProgramSection(1)).data), kDes, 1) !=
          Read(doc, ProgramSection(1), kDes, 1) ||
      Read(SectionValues(text), kDes, 1).size() > kDes.limit) {
    std::abort();
  }

  // Menus and commands planned from whatever the file says.
  using namespace vorlane::launcher;
  const MainMenuPlan plan = PlanMainMenu(doc);
  std::vector<EntryRef> refs;
  for (const PlannedEntry& entry : plan.entries) {
    if (entry.text.size() > vorlane::settings::kMenuTextLimit) std::abort();
    refs.push_back({entry.kind, entry.menuRef, entry.itemNo, entry.commandId});
  }
  for (int position = 0; position < 8; ++position) {
    for (const PlannedEntry& entry : PlanProgramMenu(doc, position, refs.size())) {
      if (entry.commandId > kLastEntryCommand && entry.kind == MenuEntryKind::Item &&
          entry.commandId != CMD_NONE) {
        std::abort();
      }
      refs.push_back({entry.kind, entry.menuRef, entry.itemNo, entry.commandId});
    }
  }
  (void)PlanEmailMenu(doc, refs.size());
  for (int id : {0, 1, 2, 7, 8, 12, 10000, 10008, 10020, 19999, 20000, 20001,
                 29999, 30000, count}) {
    const CommandPlan command = PlanCommand(doc, refs, id, "C:\\v\\vorlane.ini");
    if (command.target.size() > 255 && command.action == CommandAction::OpenMail) {
      std::abort();
    }
  }

  // Whatever was read, writing it back and parsing again keeps the answers.
  for (const IniSection& section : doc.Sections()) {
    for (const IniEntry& entry : section.entries) {
      doc.WriteString(section.name, entry.key, entry.value);
    }
  }
  (void)IniDocument::Parse(doc.Text());
  return 0;
}
