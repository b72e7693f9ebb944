// PathFileExistsW on the path converted from UTF-8.
#include "platform/path_exists.hpp"

#include <windows.h>
#include <shlwapi.h>

#include <string>

namespace kestro::platform {

PathExistence WindowsPathExists(std::string_view windowsPath) {
  if (windowsPath.empty()) return PathExistence::Missing;
  const int length = MultiByteToWideChar(CP_UTF8, 0, windowsPath.data(),
                                         static_cast<int>(windowsPath.size()), nullptr, 0);
  if (length <= 0) return PathExistence::Missing;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, windowsPath.data(), static_cast<int>(windowsPath.size()),
                      wide.data(), length);
  return PathFileExistsW(wide.c_str()) == TRUE ? PathExistence::Exists : PathExistence::Missing;
}

}  // namespace kestro::platform
