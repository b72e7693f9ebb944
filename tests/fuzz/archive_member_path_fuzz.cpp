// Fuzzes the mapping of stored archive member names to extraction paths: for any
// name, the path must be non-empty and lie inside the extraction folder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/archive_member_path.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char separator = (data[0] & 1) != 0 ? '\\' : '/';
  const std::string_view name(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string folder = separator == '\\' ? "C:\\KESTRO\\Extract" : "/tmp/kestro/extract";
  const std::string path = kestro::scan::MemberExtractionPath(folder, name, separator);
  if (path.empty() || !kestro::scan::LiesInsideFolder(folder, path, separator)) __builtin_trap();
  // Mapping a safe name again changes nothing.
  const std::string safe = kestro::scan::SafeMemberName(name, separator);
  if (kestro::scan::SafeMemberName(safe, separator) != safe) __builtin_trap();
  return 0;
}
