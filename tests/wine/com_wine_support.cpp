#include "tests/wine/com_wine_support.hpp"

#include <thread>
#include <vector>

namespace kestro::test {

LoadedLibrary::LoadedLibrary(const std::filesystem::path& path) : module_(LoadLibraryW(path.c_str())) {}

LoadedLibrary::~LoadedLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

HRESULT LoadedLibrary::CallEntry(const char* name) const {
  using Entry = HRESULT(WINAPI*)();
  const auto entry = Find<Entry>(name);
  return entry == nullptr ? E_NOTIMPL : entry();
}

std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& path, const std::wstring& name) {
  DWORD bytes = 0;
  if (RegGetValueW(root, path.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                   &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
  if (RegGetValueW(root, path.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(),
                   &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(buffer.data());
}

bool RegistryKeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

std::wstring ShortPathOf(const std::filesystem::path& path) {
  std::filesystem::path native = path;
  native.make_preferred();  // the build tree's paths arrive with "/" separators
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD length = GetShortPathNameW(native.c_str(), buffer, MAX_PATH * 2);
  return length == 0 ? native.wstring() : std::wstring(buffer, length);
}

std::filesystem::path TestProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(std::wstring(path, length)).parent_path();
}

}  // namespace kestro::test
