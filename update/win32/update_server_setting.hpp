#pragma once
// Windows: the update server address in effect, the REG_SZ "UpdateServer"
// under HKEY_CURRENT_USER "Software\KESTRO" before the build's default.

#include <string>

namespace kestro::update::win32 {

inline constexpr wchar_t kSettingsKey[] = L"Software\\KESTRO";
inline constexpr wchar_t kUpdateServerValue[] = L"UpdateServer";

// The registry value when it is a non-empty string, else DefaultUpdateServer().
// UTF-8.
std::string ConfiguredUpdateServer();

}  // namespace kestro::update::win32
