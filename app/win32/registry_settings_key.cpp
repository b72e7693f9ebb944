#include "app/win32/registry_settings_key.hpp"

#include <windows.h>

#include <string>

namespace kestro::app {
namespace {

constexpr const wchar_t* kKeyPath = L"Software\\KESTRO";

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

class RegistrySettingsKey : public SettingsKey {
 public:
  std::optional<std::uint32_t> ReadNumber(const std::string& name) override {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, kKeyPath, Wide(name).c_str(), RRF_RT_ANY, &type, &value, &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return std::nullopt;
    return value;
  }
  void WriteNumber(const std::string& name, std::uint32_t value) override {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) return;
    const DWORD data = value;
    RegSetValueExW(key, Wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    RegCloseKey(key);
  }
  std::optional<std::string> ReadText(const std::string& name) override {
    wchar_t buffer[2048] = {};
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kKeyPath, Wide(name).c_str(), RRF_RT_REG_SZ, &type, buffer, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    return Narrow(std::wstring(buffer, wcsnlen(buffer, size / sizeof(wchar_t))));
  }
  void DeleteValue(const std::string& name) override { RegDeleteKeyValueW(HKEY_CURRENT_USER, kKeyPath, Wide(name).c_str()); }
};

}  // namespace

SettingsKey& ProgramSettingsKey() {
  static RegistrySettingsKey key;
  return key;
}

}  // namespace kestro::app
