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

}  // namespace

std::vector<RegistryRow> RegistrationRows(std::string_view classId,
                                          std::string_view modulePath) {
  const std::string server = ClassKey(classId) + "\\InProcServer32";
  return {
      {ClassKey(classId), "", kRegistrationName},
      {server, "", std::string(modulePath)},
      {server, "ThreadingModel", "Apartment"},
      {HandlerKey("*"), "", std::string(classId)},
      {HandlerKey("Folder"), "", std::string(classId)},
  };
}

std::vector<std::string> UnregistrationKeys(std::string_view classId) {
  return {ClassKey(classId) + "\\InProcServer32", ClassKey(classId),
          HandlerKey("*"), HandlerKey("Folder")};
}

}  // namespace vorlane::shellext
