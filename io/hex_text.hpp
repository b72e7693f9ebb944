#pragma once
// Hexadecimal texts: of a number (no leading zeros) and of bytes (two digits each).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kestro::checks {

// Upper-case digits of the value, no leading zeros ("0" for 0).
std::string HexOfUnsigned(std::uint32_t value);

// Upper-case digits of the value's unsigned bit pattern, no leading zeros ("0" for 0).
std::string HexOfNumber(std::int32_t value);

// Two upper-case digits per byte, in order, no separators.
std::string HexOfBytes(std::span<const std::uint8_t> bytes);

// The same for a text whose characters each hold one byte.
std::string HexText(std::string_view byteText);

}  // namespace kestro::checks
