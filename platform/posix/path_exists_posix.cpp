// A Windows path ("C:\...", "\\server\...") has no meaning on a POSIX system:
// its existence cannot be judged here.
#include "platform/path_exists.hpp"

namespace kestro::platform {

PathExistence WindowsPathExists(std::string_view) { return PathExistence::Unknown; }

}  // namespace kestro::platform
