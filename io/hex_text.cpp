#include "io/hex_text.hpp"

namespace kestro::checks {
namespace {
constexpr char kDigits[] = "0123456789ABCDEF";
}

std::string HexOfUnsigned(std::uint32_t value) {
  char buffer[8];
  int n = 0;
  do {
    buffer[n++] = kDigits[value & 0xFu];
    value >>= 4;
  } while (value != 0);
  std::string text;
  text.reserve(static_cast<std::size_t>(n));
  while (n > 0) text.push_back(buffer[--n]);
  return text;
}

std::string HexOfNumber(std::int32_t value) { return HexOfUnsigned(static_cast<std::uint32_t>(value)); }

std::string HexOfBytes(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const std::uint8_t b : bytes) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0xFu]);
  }
  return text;
}

std::string HexText(std::string_view byteText) {
  return HexOfBytes(std::span(reinterpret_cast<const std::uint8_t*>(byteText.data()), byteText.size()));
}

}  // namespace kestro::checks
