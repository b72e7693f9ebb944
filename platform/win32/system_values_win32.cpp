#include <windows.h>
#include <shlobj.h>

#include "platform/system_values.hpp"
#include "platform/utf16_text.hpp"

namespace kestro::platform {
namespace {

std::string Utf8(const wchar_t* text, std::size_t length) { return Utf16ToUtf8(std::u16string(text, text + length)); }

}  // namespace

std::string UserNameFromEnvironment() {
  const wchar_t* value = _wgetenv(L"USERNAME");
  return value == nullptr ? std::string() : Utf8(value, wcslen(value));
}

std::string ComputerName() {
  wchar_t buffer[16] = {};
  DWORD length = 16;
  if (!GetComputerNameW(buffer, &length)) return {};
  return Utf8(buffer, length);
}

std::string SystemFolderText() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return {};
  return Utf8(buffer, length) + "\\";
}

std::filesystem::path SpecialFolderPath(SpecialFolder folder) {
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, static_cast<int>(folder), FALSE)) return {};
  return std::filesystem::path(std::wstring(buffer));
}

}  // namespace kestro::platform
