#include "platform/quarantine_location.hpp"

#include <cstdlib>

namespace kestro::platform {

std::filesystem::path DefaultQuarantineFolder() {
  std::filesystem::path base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
    base = data;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    return {};
  }
  return base / "kestro" / "[ KESTRO ]";
}

}  // namespace kestro::platform
