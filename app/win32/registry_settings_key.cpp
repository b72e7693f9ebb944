#include "app/win32/registry_settings_key.hpp"

#include "platform/registry.hpp"

namespace kestro::app {

SettingsKey& ProgramSettingsKey() {
  static RegistrySettingsKey key(platform::NativeRegistry());
  return key;
}

}  // namespace kestro::app
