#include "platform/dynamic_library.hpp"

#include <dlfcn.h>

namespace kestro::platform {

DynamicLibrary::DynamicLibrary(const std::filesystem::path& path) {
  // RTLD_LOCAL: the library's own dependencies do not leak into the program.
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void DynamicLibrary::Unload() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

void* DynamicLibrary::Find(const char* name) const {
  if (handle_ == nullptr || name == nullptr) return nullptr;
  return dlsym(handle_, name);
}

std::string SharedLibraryFileName(std::string_view baseName) {
  return "lib" + std::string(baseName) + ".so";
}

}  // namespace kestro::platform
