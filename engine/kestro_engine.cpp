// KESTROEngine.dll: the product's identity strings and the sampled file checksum,
// exported by name. Every result is a BSTR that the caller frees.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "io/sampled_checksum.hpp"
#include "engine/identity.hpp"

namespace {

BSTR ToBstr(std::string_view ascii) {
  const std::wstring wide(ascii.begin(), ascii.end());
  return SysAllocString(wide.c_str());
}

}  // namespace

extern "C" {

BSTR WINAPI KESTRO_Program() { return ToBstr(kestro::engine::kProgram); }
BSTR WINAPI KESTRO_Version() { return ToBstr(kestro::engine::kVersion); }
BSTR WINAPI KESTRO_Build() { return ToBstr(kestro::engine::kBuild); }
BSTR WINAPI KESTRO_Site() { return ToBstr(kestro::engine::kSite); }
BSTR WINAPI KESTRO_GetCRC() { return ToBstr(kestro::engine::kIntegrityText.data()); }

// `path` is a reference to the caller's path string. A null reference or string
// is a file that cannot be opened: the checksum of 24 zero samples.
BSTR WINAPI KESTRO_GetFileCRC(BSTR* path) {
  std::wstring text;
  if (path != nullptr && *path != nullptr) text.assign(*path, SysStringLen(*path));
  const std::string sum = text.empty() ? kestro::checks::SampledFileChecksum(std::filesystem::path())
                                       : kestro::checks::SampledFileChecksum(std::filesystem::path(text));
  return ToBstr(sum);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

}  // extern "C"
