// The parts of DynamicLibrary that do not depend on the operating system: the
// handle's ownership. Loading, lookup and unloading live in posix/ and win32/.
#include "platform/dynamic_library.hpp"

#include <utility>

namespace kestro::platform {

DynamicLibrary::~DynamicLibrary() { Unload(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    Unload();
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

}  // namespace kestro::platform
