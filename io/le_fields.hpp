#pragma once
// Bounds-checked little-endian field reads from untrusted bytes. A field that
// does not lie wholly inside the bytes is "not there" (std::nullopt); offsets
// are 64-bit so adding header values can never wrap.

#include <cstdint>
#include <optional>
#include <span>

namespace kestro::checks {

inline bool HasRange(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::uint64_t length) {
  return offset <= bytes.size() && length <= bytes.size() - offset;
}

// The byte at `offset` and the bytes from `offset`, for offsets the caller has
// already checked with HasRange: inside the bytes, so they fit a size_t also
// where that is 32 bits wide.
inline std::uint8_t ByteAt(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  return bytes[static_cast<std::size_t>(offset)];
}
inline std::span<const std::uint8_t> SubBytes(std::span<const std::uint8_t> bytes, std::uint64_t offset,
                                              std::uint64_t length) {
  return bytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

inline std::optional<std::uint16_t> LoadU16(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  if (!HasRange(bytes, offset, 2)) return std::nullopt;
  const auto at = static_cast<std::size_t>(offset);  // inside the bytes, so it fits a size_t
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

inline std::optional<std::uint32_t> LoadU32(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  if (!HasRange(bytes, offset, 4)) return std::nullopt;
  const auto at = static_cast<std::size_t>(offset);
  return static_cast<std::uint32_t>(bytes[at]) |
         (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

inline std::optional<std::int16_t> LoadI16(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  const auto v = LoadU16(bytes, offset);
  if (!v) return std::nullopt;
  return static_cast<std::int16_t>(*v);
}

inline std::optional<std::int32_t> LoadI32(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  const auto v = LoadU32(bytes, offset);
  if (!v) return std::nullopt;
  return static_cast<std::int32_t>(*v);
}

}  // namespace kestro::checks
