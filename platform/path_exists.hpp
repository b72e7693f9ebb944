#pragma once
// Whether a Windows path names an existing file or folder, as PathFileExistsW
// answers it. Shortcut targets are Windows paths; on a system that is not
// Windows their existence cannot be judged, and the answer says so.

#include <string_view>

namespace kestro::platform {

enum class PathExistence {
  Exists,
  Missing,
  Unknown,  // the path cannot be judged on this system
};

// `windowsPath` is UTF-8 text.
PathExistence WindowsPathExists(std::string_view windowsPath);

}  // namespace kestro::platform
