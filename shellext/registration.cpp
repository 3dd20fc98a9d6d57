#include "registration.h"

#include "shellext/shellix_logic.h"

namespace vorlane::shellext {
namespace {

std::string ClassKey(std::string_view classId) {
  return "CLSID\\" + std::string(classId);
}

std::string HandlerKey(std::string_view owner) {
  return std::string(owner) + "\\shellex\\ContextMenuHandlers\\" +
         kRegistrationName;
}

bool Gone(RegistryAnswer answer) {
  return answer == RegistryAnswer::Done || answer == RegistryAnswer::Missing;
}

RegistryAnswer WriteRows(RegistryAccess& registry, RegistryPart part,
                         const std::vector<RegistryRow>& rows) {
  for (const RegistryRow& row : rows) {
    const RegistryAnswer answer =
        registry.SetText(part, kClassesKey + row.key, row.valueName, row.data);
    if (answer != RegistryAnswer::Done) return answer;
  }
  return RegistryAnswer::Done;
}

// A part that holds none of the class's keys holds no registration: an
// approval left there that cannot be removed fails nothing.
bool RemoveFrom(RegistryAccess& registry, RegistryPart part,
                std::string_view classId) {
  bool held = false;
  bool clean = true;
  for (const std::string& key : UnregistrationKeys(classId)) {
    const std::string name = kClassesKey + key;
    if (!registry.KeyExists(part, name)) continue;
    held = true;
    clean = Gone(registry.DeleteKey(part, name)) && clean;
  }
  const std::string value(classId);
  if (registry.ValueExists(part, kApprovedKey, value)) {
    clean = (Gone(registry.DeleteValue(part, kApprovedKey, value)) || !held) && clean;
  }
  return clean;
}

}  // namespace

std::vector<RegistryRow> RegistrationRows(std::string_view classId,
                                          std::string_view modulePath) {
  return {
      {ClassKey(classId), "", kRegistrationName},
      {ServerKey(classId), "", std::string(modulePath)},
      {ServerKey(classId), "ThreadingModel", "Apartment"},
      {HandlerKey("*"), "", std::string(classId)},
      {HandlerKey("Folder"), "", std::string(classId)},
  };
}

std::vector<std::string> UnregistrationKeys(std::string_view classId) {
  return {ServerKey(classId), ClassKey(classId), HandlerKey("*"),
          HandlerKey("Folder")};
}

std::string ServerKey(std::string_view classId) {
  return ClassKey(classId) + "\\InProcServer32";
}

RegisteredIn Register(RegistryAccess& registry, std::string_view classId,
                      std::string_view modulePath, bool approve) {
  const std::vector<RegistryRow> rows = RegistrationRows(classId, modulePath);
  RegistryPart part = RegistryPart::Machine;
  RegistryAnswer answer = WriteRows(registry, part, rows);
  if (answer == RegistryAnswer::Denied) {
    // Without administrator rights. Rows written before the refusal go
    // again, so that one registration lives in one part.
    RemoveFrom(registry, part, classId);
    part = RegistryPart::User;
    answer = WriteRows(registry, part, rows);
  }
  if (answer == RegistryAnswer::Done && approve) {
    const std::string name(classId);
    answer = registry.SetText(part, kApprovedKey, name, kRegistrationName);
    if (answer == RegistryAnswer::Denied && part == RegistryPart::Machine) {
      answer = registry.SetText(RegistryPart::User, kApprovedKey, name,
                                kRegistrationName);
    }
  }
  if (answer != RegistryAnswer::Done) {
    RemoveFrom(registry, part, classId);
    return RegisteredIn::Nowhere;
  }
  return part == RegistryPart::Machine ? RegisteredIn::Machine : RegisteredIn::User;
}

bool Unregister(RegistryAccess& registry, std::string_view classId) {
  const bool machineClean = RemoveFrom(registry, RegistryPart::Machine, classId);
  const bool userClean = RemoveFrom(registry, RegistryPart::User, classId);
  return machineClean && userClean;
}

}  // namespace vorlane::shellext
