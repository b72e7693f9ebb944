#pragma once
// The registrar's registry seam on the real Windows registry. Paths and texts are
// UTF-8 on the seam and UTF-16 towards the registry.
#include "com/registry_access.hpp"

namespace kestro::com {

class Win32Registry final : public RegistryAccess {
 public:
  long CreateKey(RegistryRoot root, const std::string& path) override;
  long SetString(RegistryRoot root, const std::string& path, const std::string& name,
                 const std::string& data) override;
  long DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override;
  long DeleteTree(RegistryRoot root, const std::string& path) override;
  long DeleteKeyIfNoSubkeys(RegistryRoot root, const std::string& path) override;
  bool KeyExists(RegistryRoot root, const std::string& path) override;
};

}  // namespace kestro::com
