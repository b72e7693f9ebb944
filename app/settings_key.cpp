#include "app/settings_key.hpp"

#include "platform/registry.hpp"

namespace kestro::app {

using platform::RegistryRoot;

std::optional<std::uint32_t> RegistrySettingsKey::ReadNumber(const std::string& name) {
  std::uint32_t value = 0;
  if (registry_.ReadNumber(RegistryRoot::CurrentUser, kSettingsKeyPath, name, value) != platform::kRegOk) {
    return std::nullopt;
  }
  return value;
}

void RegistrySettingsKey::WriteNumber(const std::string& name, std::uint32_t value) {
  registry_.SetNumber(RegistryRoot::CurrentUser, kSettingsKeyPath, name, value);
}

std::optional<std::string> RegistrySettingsKey::ReadText(const std::string& name) {
  std::string text;
  if (registry_.ReadText(RegistryRoot::CurrentUser, kSettingsKeyPath, name, text) != platform::kRegOk) {
    return std::nullopt;
  }
  return text;
}

void RegistrySettingsKey::DeleteValue(const std::string& name) {
  registry_.DeleteValue(RegistryRoot::CurrentUser, kSettingsKeyPath, name);
}

}  // namespace kestro::app
