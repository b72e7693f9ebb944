// Feeds arbitrary bytes to the registry-script language: replacement expansion,
// parsing, and both registrar modes against the in-memory registry.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/memory_registry.hpp"
#include "com/registrar.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kestro::platform::MemoryRegistry registry;
  const kestro::com::Replacements replacements{{"MODULE", "C:\\X\\it''s.dll"}};
  kestro::com::ApplyRegistryScriptText(registry, text, replacements, kestro::com::ScriptMode::Register);
  kestro::com::ApplyRegistryScriptText(registry, text, replacements, kestro::com::ScriptMode::Remove);
  return 0;
}
