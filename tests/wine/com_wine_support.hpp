#pragma once
// Helpers shared by the Windows tests of our COM servers.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kestro::test {

// A DLL loaded from a path, freed at the end of the scope.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::filesystem::path& path);
  ~LoadedLibrary();
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  HMODULE get() const { return module_; }
  // Calls one of the HRESULT-returning, argument-less entry points by name.
  HRESULT CallEntry(const char* name) const;
  template <typename Fn>
  Fn Find(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_ = nullptr;
};

// A string value of the registry, or nothing when the key or value is missing.
std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& path, const std::wstring& name);
bool RegistryKeyExists(HKEY root, const std::wstring& path);

// Polls `done` until it answers true or the time is up.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);

// The short (8.3) form of a path as Windows reports it.
std::wstring ShortPathOf(const std::filesystem::path& path);

// Folder of the running test program (where the test-only helpers are built).
std::filesystem::path TestProgramFolder();

}  // namespace kestro::test
