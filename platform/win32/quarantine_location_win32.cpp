#include "platform/quarantine_location.hpp"

#include <windows.h>

#include <string>

namespace kestro::platform {

std::filesystem::path DefaultQuarantineFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (n < 3 || n > MAX_PATH) return {};
  return std::filesystem::path(std::wstring(buffer, 3) + L"[ KESTRO ]");
}

}  // namespace kestro::platform
