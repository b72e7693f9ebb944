// POSIX: there is no Windows folder.
#include "platform/system_folders.hpp"

namespace kestro::platform {

std::filesystem::path WindowsFolder() { return {}; }

}  // namespace kestro::platform
