// What another process or the registry can hand the program: the hand-over
// message of a second copy (its bytes go through the command-line rules) and the
// configured update server address.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/command_line.hpp"
#include "outside/KESTROInet/server_address.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (const auto commandLine = kestro::app::DecodeHandOver(kestro::app::kHandOverTag, data, size)) {
    kestro::app::ClassifyCommandLine(*commandLine);
    kestro::app::DecideSecondInstance(*commandLine);
    kestro::app::ArgumentsOf(*commandLine);
  }
  kestro::inet::ParseServerAddress(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
