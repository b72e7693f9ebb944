#pragma once
// "Software\KESTRO" under HKEY_CURRENT_USER, in the real registry.

#include "app/settings_key.hpp"

namespace kestro::app {

SettingsKey& ProgramSettingsKey();

}  // namespace kestro::app
