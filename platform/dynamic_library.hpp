#pragma once
// A shared library loaded by full path, and its entry points found by name.
// A library that cannot be loaded is simply "not loaded": every lookup then
// finds nothing.

#include <filesystem>
#include <string>
#include <string_view>

namespace kestro::platform {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  explicit DynamicLibrary(const std::filesystem::path& path);
  ~DynamicLibrary();
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  bool IsLoaded() const { return handle_ != nullptr; }

  // Address of the named entry point, nullptr when missing or not loaded.
  void* Find(const char* name) const;

 private:
  void Unload();
  void* handle_ = nullptr;
};

// The file name of a shared library on this platform: "RARExtract" gives
// "RARExtract.dll" on Windows and "libRARExtract.so" on POSIX systems.
std::string SharedLibraryFileName(std::string_view baseName);

}  // namespace kestro::platform
