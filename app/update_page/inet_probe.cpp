#include "app/update_page/inet_probe.hpp"

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/dynamic_library.hpp"

namespace kestro::update_page {
namespace {

// Cek_Lin(ByRef value As Long) As Integer: -1 when a connection is available.
using CekLin = std::int16_t(__stdcall*)(std::int32_t*);

// One library per folder, loaded once and kept until the program ends.
const platform::DynamicLibrary& InetLibrary(const std::filesystem::path& folder) {
  static std::mutex mutex;
  static std::map<std::filesystem::path, platform::DynamicLibrary> libraries;
  std::lock_guard lock(mutex);
  auto it = libraries.find(folder);
  if (it == libraries.end()) {
    it = libraries.emplace(folder, platform::DynamicLibrary(folder / "KESTROInet.dll")).first;
  }
  return it->second;
}

}  // namespace

bool InetProbe::IsConnected() {
  const auto cekLin = reinterpret_cast<CekLin>(InetLibrary(programFolder_).Find("Cek_Lin"));
  if (cekLin == nullptr) return false;
  std::int32_t value = 0;
  return cekLin(&value) == -1;
}

std::filesystem::path ProgramFolderOfProcess() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return {};
  buffer.resize(n);
  return std::filesystem::path(buffer).parent_path();
}

}  // namespace kestro::update_page
