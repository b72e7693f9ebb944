#include <unistd.h>

#include <cstdlib>

#include "platform/system_values.hpp"

namespace kestro::platform {

std::string UserNameFromEnvironment() {
  const char* value = std::getenv("USERNAME");
  return value == nullptr ? std::string() : std::string(value);
}

std::string ComputerName() {
  char buffer[256] = {};
  if (gethostname(buffer, sizeof buffer - 1) != 0) return {};
  return buffer;
}

std::string SystemFolderText() { return {}; }

std::filesystem::path SpecialFolderPath(SpecialFolder) { return {}; }

}  // namespace kestro::platform
