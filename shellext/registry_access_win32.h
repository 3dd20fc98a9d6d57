// The registry of the running system behind the interface registering uses.
#pragma once

#include "shellext/registration.h"

namespace vorlane::shellext {

class SystemRegistry final : public RegistryAccess {
 public:
  RegistryAnswer SetText(RegistryPart part, const std::string& key,
                         const std::string& valueName,
                         const std::string& data) override;
  RegistryAnswer DeleteKey(RegistryPart part, const std::string& key) override;
  RegistryAnswer DeleteValue(RegistryPart part, const std::string& key,
                             const std::string& valueName) override;
  bool KeyExists(RegistryPart part, const std::string& key) override;
  bool ValueExists(RegistryPart part, const std::string& key,
                   const std::string& valueName) override;
};

}  // namespace vorlane::shellext
