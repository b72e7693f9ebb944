#pragma once
// The program's registry key HKEY_CURRENT_USER "Software\KESTRO" as the settings
// and the scan markers use it: numbers, one text, deletion. Windows maps it onto
// the registry; tests use an in-memory map.

#include <cstdint>
#include <optional>
#include <string>

namespace kestro::app {

inline constexpr const char* kSettingsKeyPath = "Software\\KESTRO";

class SettingsKey {
 public:
  virtual ~SettingsKey() = default;
  // The REG_DWORD value, or nothing when the key or the value is missing or the
  // value is not a number ("Error").
  virtual std::optional<std::uint32_t> ReadNumber(const std::string& name) = 0;
  // Creates the key when missing and writes a REG_DWORD value.
  virtual void WriteNumber(const std::string& name, std::uint32_t value) = 0;
  // The REG_SZ value, or nothing.
  virtual std::optional<std::string> ReadText(const std::string& name) = 0;
  virtual void DeleteValue(const std::string& name) = 0;
};

}  // namespace kestro::app

namespace kestro::platform {
class RegistryAccess;
}

namespace kestro::app {

// The program's key in a registry: HKEY_CURRENT_USER "Software\KESTRO".
// A value of another type than asked for reads as missing.
class RegistrySettingsKey : public SettingsKey {
 public:
  explicit RegistrySettingsKey(platform::RegistryAccess& registry) : registry_(registry) {}
  std::optional<std::uint32_t> ReadNumber(const std::string& name) override;
  void WriteNumber(const std::string& name, std::uint32_t value) override;
  std::optional<std::string> ReadText(const std::string& name) override;
  void DeleteValue(const std::string& name) override;

 private:
  platform::RegistryAccess& registry_;
};

}  // namespace kestro::app
