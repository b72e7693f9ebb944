// PathFileExistsW on the path converted from UTF-8.
#include "platform/path_exists.hpp"

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "platform/win32/wide_text.hpp"

namespace kestro::platform {

PathExistence WindowsPathExists(std::string_view windowsPath) {
  if (windowsPath.empty()) return PathExistence::Missing;
  const std::wstring wide = WideFromUtf8(windowsPath);
  if (wide.empty()) return PathExistence::Missing;
  return PathFileExistsW(wide.c_str()) == TRUE ? PathExistence::Exists : PathExistence::Missing;
}

}  // namespace kestro::platform
