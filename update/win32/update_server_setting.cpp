#include "update/win32/update_server_setting.hpp"

#include <windows.h>

#include "update/update_server.hpp"

namespace kestro::update::win32 {
namespace {

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
  return text;
}

}  // namespace

std::string ConfiguredUpdateServer() {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kUpdateServerValue, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) ==
          ERROR_SUCCESS &&
      bytes > sizeof(wchar_t)) {
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kUpdateServerValue, RRF_RT_REG_SZ, nullptr, value.data(),
                     &bytes) == ERROR_SUCCESS) {
      value.resize(wcsnlen(value.c_str(), value.size()));
      if (!value.empty()) return Utf8(value);
    }
  }
  return DefaultUpdateServer();
}

}  // namespace kestro::update::win32
