#pragma once
// CRC-32 (reflected, polynomial 0xEDB88320, as zlib and ZIP use it) and its text
// form: upper-case hexadecimal without leading zeros.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace kestro::checks {

namespace crc_detail {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

constexpr std::array<std::uint32_t, 256> MakeByteTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t value = i;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1u) ? (value >> 1) ^ kPolynomial : value >> 1;
    table[i] = value;
  }
  return table;
}

// The standard table, built once at compile time.
inline constexpr std::array<std::uint32_t, 256> kTable = MakeByteTable();

// The byte-at-a-time update: the reference form of the algorithm.
constexpr std::uint32_t UpdateBytewise(std::uint32_t state, std::string_view bytes) {
  for (const char c : bytes) {
    state = (state >> 8) ^ kTable[(state ^ static_cast<std::uint8_t>(c)) & 0xFFu];
  }
  return state;
}

}  // namespace crc_detail

// CRC-32 of a whole block (start state 0xFFFFFFFF, result inverted).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);
std::uint32_t Crc32(std::string_view bytes);

// Continues a CRC over more bytes: pass the previous result (0 to start).
std::uint32_t Crc32Continue(std::uint32_t previous, std::span<const std::uint8_t> bytes);

// The byte-at-a-time reference; identical results, kept for tests and benchmarks.
std::uint32_t Crc32Reference(std::span<const std::uint8_t> bytes);

// Computed at compile time (for values fixed at build time).
constexpr std::uint32_t Crc32Constexpr(std::string_view bytes) {
  return ~crc_detail::UpdateBytewise(0xFFFFFFFFu, bytes);
}

// Upper-case hexadecimal without leading zeros; zero gives "0".
std::string CrcText(std::uint32_t value);

class clsCRC32 {
 public:
  // Checksum text of the text's bytes (one byte per character); empty text gives
  // an empty result.
  std::string StringChecksum(std::string_view text) const;

  // Checksum text of the whole file; a file that cannot be opened or read, or an
  // empty file, gives "0".
  std::string FileChecksum(const std::filesystem::path& path) const;

  // The table (entry 1 is 0x77073096, entry 255 is 0x2D02EF8D).
  static const std::array<std::uint32_t, 256>& Table() { return crc_detail::kTable; }
};

}  // namespace kestro::checks
