#pragma once
// The update server in effect: the folder address that holds update.txt.

#include <string>

namespace kestro::platform {
class RegistryAccess;
}

namespace kestro::update {

inline constexpr const char* kSettingsKeyPath = "Software\\KESTRO";
inline constexpr const char* kUpdateServerValue = "UpdateServer";

// The address this build was configured with (CMake cache value KESTRO_UPDATE_SERVER).
std::string DefaultUpdateServer();

// The REG_SZ "UpdateServer" under HKEY_CURRENT_USER "Software\KESTRO" when it
// holds a text, else DefaultUpdateServer(). UTF-8.
std::string ConfiguredUpdateServer(platform::RegistryAccess& registry);

}  // namespace kestro::update
