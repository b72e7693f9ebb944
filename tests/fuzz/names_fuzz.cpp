// Fuzzes what the tools do with file names they did not choose. The first byte
// splits the input into a pattern and a name. Besides "no crash", it checks:
// repaired text and JSON text are valid UTF-8, head and tail cuts fall on
// character boundaries and add up, upper-casing keeps valid text valid, and a
// pattern of the name itself (with "*" on both sides) matches it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/scan/console_output.hpp"
#include "cli/scan/path_filter.hpp"
#include "io/utf8_text.hpp"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool HasMagic(std::string_view text) { return text.find_first_of("*?[\\") != std::string_view::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t split = std::min<std::size_t>(data[0], input.size());
  const std::string_view pattern = input.substr(0, split);
  const std::string_view name = input.substr(split);

  using namespace kestro;
  Require(io::IsValidUtf8(io::Utf8Repaired(name)));
  Require(io::IsValidUtf8(cli::JsonString(name)));
  const std::size_t length = io::Utf8Length(name);
  for (std::size_t n = 0; n <= length + 1; n += 1 + length / 8) {
    const std::string_view head = io::Utf8Head(name, n);
    const std::string_view tail = io::Utf8Tail(name, n);
    Require(io::Utf8Length(head) == std::min(n, length));
    Require(io::Utf8Length(tail) == std::min(n, length));
    Require(name.substr(0, head.size()) == head && name.substr(name.size() - tail.size()) == tail);
    // A cut never splits a character: what is left counts the rest.
    Require(io::Utf8Length(name.substr(head.size())) == length - io::Utf8Length(head));
  }
  if (io::IsValidUtf8(name)) Require(io::IsValidUtf8(io::Utf8Upper(name)));

  cli::GlobMatch(pattern, name);
  if (!HasMagic(name)) Require(cli::GlobMatch("*" + std::string(name) + "*", name));
  return 0;
}
