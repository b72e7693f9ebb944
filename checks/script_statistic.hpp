#pragma once
// The script check's character statistic: how many characters of a text have
// codes 32 to 57 (space, "!" to "/", the digits) and how many do not, NUL bytes
// not counted (they are removed from the text).

#include <cstdint>
#include <span>

namespace kestro::checks {

struct ScriptCharacterCounts {
  std::int64_t inRange = 0;
  std::int64_t others = 0;
};

ScriptCharacterCounts CountScriptCharacters(std::span<const std::uint8_t> bytes);

}  // namespace kestro::checks
