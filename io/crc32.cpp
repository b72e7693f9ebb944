#include "io/crc32.hpp"

#include <cstring>
#include <vector>

#include "io/hex_text.hpp"
#include "platform/file.hpp"

namespace kestro::checks {
namespace {

using crc_detail::kTable;

// Slicing-by-16: sixteen tables let the loop consume 16 bytes per step with
// independent lookups; the result is bit-identical to the byte-at-a-time form.
constexpr std::array<std::array<std::uint32_t, 256>, 16> MakeSlicingTables() {
  std::array<std::array<std::uint32_t, 256>, 16> tables{};
  tables[0] = kTable;
  for (std::size_t i = 0; i < 256; ++i) {
    for (std::size_t t = 1; t < 16; ++t) {
      const std::uint32_t prev = tables[t - 1][i];
      tables[t][i] = (prev >> 8) ^ kTable[prev & 0xFFu];
    }
  }
  return tables;
}

constexpr auto kSlicing = MakeSlicingTables();

inline std::uint32_t LoadLE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint32_t UpdateFast(std::uint32_t state, const std::uint8_t* p, std::size_t n) {
  while (n >= 16) {
    const std::uint32_t a = LoadLE32(p) ^ state;
    const std::uint32_t b = LoadLE32(p + 4);
    const std::uint32_t c = LoadLE32(p + 8);
    const std::uint32_t d = LoadLE32(p + 12);
    state = kSlicing[15][a & 0xFF] ^ kSlicing[14][(a >> 8) & 0xFF] ^ kSlicing[13][(a >> 16) & 0xFF] ^
            kSlicing[12][a >> 24] ^ kSlicing[11][b & 0xFF] ^ kSlicing[10][(b >> 8) & 0xFF] ^
            kSlicing[9][(b >> 16) & 0xFF] ^ kSlicing[8][b >> 24] ^ kSlicing[7][c & 0xFF] ^
            kSlicing[6][(c >> 8) & 0xFF] ^ kSlicing[5][(c >> 16) & 0xFF] ^ kSlicing[4][c >> 24] ^
            kSlicing[3][d & 0xFF] ^ kSlicing[2][(d >> 8) & 0xFF] ^ kSlicing[1][(d >> 16) & 0xFF] ^
            kSlicing[0][d >> 24];
    p += 16;
    n -= 16;
  }
  while (n-- > 0) state = (state >> 8) ^ kTable[(state ^ *p++) & 0xFFu];
  return state;
}

}  // namespace

std::uint32_t Crc32Continue(std::uint32_t previous, std::span<const std::uint8_t> bytes) {
  return ~UpdateFast(~previous, bytes.data(), bytes.size());
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) { return Crc32Continue(0, bytes); }

std::uint32_t Crc32(std::string_view bytes) {
  return Crc32(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::uint32_t Crc32Reference(std::span<const std::uint8_t> bytes) {
  std::uint32_t state = 0xFFFFFFFFu;
  for (const std::uint8_t b : bytes) state = (state >> 8) ^ kTable[(state ^ b) & 0xFFu];
  return ~state;
}

std::string CrcText(std::uint32_t value) { return HexOfUnsigned(value); }

std::string clsCRC32::StringChecksum(std::string_view text) const {
  if (text.empty()) return {};
  return CrcText(Crc32(text));
}

std::string clsCRC32::FileChecksum(const std::filesystem::path& path) const {
  // Streams the file in blocks: the same result as reading it in one piece,
  // without holding the whole file in memory.
  const platform::RawFileHandle handle = platform::OpenRawFile(path, 1, 4);
  if (handle <= 0) return "0";
  std::vector<std::uint8_t> block(1u << 20);
  std::uint32_t crc = 0;
  std::uint64_t offset = 0;
  for (;;) {
    const std::int64_t got = platform::RawFileReadAt(handle, offset, block.data(), block.size());
    if (got < 0) {
      crc = 0;  // a read error counts as an unreadable file
      break;
    }
    if (got == 0) break;
    crc = Crc32Continue(crc, std::span(block.data(), static_cast<std::size_t>(got)));
    offset += static_cast<std::uint64_t>(got);
  }
  platform::CloseRawFile(handle);
  return CrcText(crc);
}

}  // namespace kestro::checks
