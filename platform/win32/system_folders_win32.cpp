#include "platform/system_folders.hpp"

#include <windows.h>

#include <string>

namespace kestro::platform {

std::filesystem::path WindowsFolder() {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  UINT n = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  if (n > buffer.size()) {
    buffer.assign(n, L'\0');
    n = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  }
  if (n == 0 || n >= buffer.size()) return {};
  buffer.resize(n);
  while (buffer.size() > 3 && buffer.back() == L'\\') buffer.pop_back();
  return std::filesystem::path(buffer);
}

}  // namespace kestro::platform
