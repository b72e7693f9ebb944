#include "platform/dynamic_library.hpp"

#include <windows.h>

namespace kestro::platform {

DynamicLibrary::DynamicLibrary(const std::filesystem::path& path) {
  // A full path only: with LOAD_WITH_ALTERED_SEARCH_PATH the library's own
  // dependencies are looked up beside it, never in the current folder first.
  if (!path.is_absolute()) return;
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  handle_ = reinterpret_cast<void*>(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  SetErrorMode(previous);
}

void DynamicLibrary::Unload() {
  if (handle_ != nullptr) FreeLibrary(reinterpret_cast<HMODULE>(handle_));
  handle_ = nullptr;
}

void* DynamicLibrary::Find(const char* name) const {
  if (handle_ == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
}

std::string SharedLibraryFileName(std::string_view baseName) { return std::string(baseName) + ".dll"; }

}  // namespace kestro::platform
