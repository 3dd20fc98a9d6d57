// libFuzzer target for everything that reads settings text: any bytes must
// parse without a crash or undefined behaviour, and reads keep their limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/ini_document.h"
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

  // Whatever was read, writing it back and parsing again keeps the answers.
  for (const IniSection& section : doc.Sections()) {
    for (const IniEntry& entry : section.entries) {
      doc.WriteString(section.name, entry.key, entry.value);
    }
  }
  (void)IniDocument::Parse(doc.Text());
  return 0;
}
