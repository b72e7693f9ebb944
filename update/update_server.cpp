#include "update/update_server.hpp"

#include "platform/registry.hpp"

#ifndef KESTRO_UPDATE_SERVER
#error "KESTRO_UPDATE_SERVER is set by the build"
#endif

namespace kestro::update {

std::string DefaultUpdateServer() {
  return KESTRO_UPDATE_SERVER;
}

std::string ConfiguredUpdateServer(platform::RegistryAccess& registry) {
  std::string text;
  if (registry.ReadText(platform::RegistryRoot::CurrentUser, kSettingsKeyPath, kUpdateServerValue, text) ==
          platform::kRegOk &&
      !text.empty()) {
    return text;
  }
  return DefaultUpdateServer();
}

}  // namespace kestro::update
