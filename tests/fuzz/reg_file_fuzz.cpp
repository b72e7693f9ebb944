// Feeds arbitrary bytes to the registry-file reader (as --undo FILE does), and
// applies what it reads to an in-memory registry; what we write of it must read
// back to the same sections.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/memory_registry.hpp"
#include "remedy/reg_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestro;
  const remedy::RegFileParse parse = remedy::ParseRegFile(std::span(data, size));
  platform::MemoryRegistry registry;
  remedy::ApplyRegFile(registry, parse.keys);
  const remedy::RegFileParse again = remedy::ParseRegFile(remedy::RegFileBytes(parse.keys));
  if (!again.recognised || !again.problems.empty() || again.keys.size() != parse.keys.size()) std::abort();
  return 0;
}
