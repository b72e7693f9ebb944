// Number texts of the system tools.
#pragma once

#include <cstdint>
#include <string>

namespace kestro::systools {

// A number in the "###,###" picture: thousands separated by ",", and no digit at
// all for 0 (so 0 gives an empty text). Negative numbers keep their sign.
std::wstring FormatThousands(std::int64_t value);

}  // namespace kestro::systools
