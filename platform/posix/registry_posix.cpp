#include "platform/registry.hpp"

namespace kestro::platform {
namespace {

// No registry on POSIX systems: nothing can be read and nothing can be changed.
class NoRegistry final : public RegistryAccess {
 public:
  long CreateKey(RegistryRoot, const std::string&) override { return kRegAccessDenied; }
  long OpenKey(RegistryRoot, const std::string&) override { return kRegNotFound; }
  long SetValue(RegistryRoot, const std::string&, const std::string&, std::uint32_t,
                std::span<const std::uint8_t>) override {
    return kRegAccessDenied;
  }
  long ReadValue(RegistryRoot, const std::string&, const std::string&, RegistryValue&) override {
    return kRegNotFound;
  }
  long DeleteValue(RegistryRoot, const std::string&, const std::string&) override { return kRegAccessDenied; }
  long DeleteKey(RegistryRoot, const std::string&) override { return kRegAccessDenied; }
  long DeleteTree(RegistryRoot, const std::string&) override { return kRegAccessDenied; }
  long ListSubkeys(RegistryRoot, const std::string&, std::vector<std::string>&) override { return kRegNotFound; }
  long ListValues(RegistryRoot, const std::string&, std::vector<RegistryValue>&) override { return kRegNotFound; }
};

}  // namespace

RegistryAccess& NativeRegistry() {
  static NoRegistry registry;
  return registry;
}

}  // namespace kestro::platform
