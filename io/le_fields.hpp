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

inline std::optional<std::uint16_t> LoadU16(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  if (!HasRange(bytes, offset, 2)) return std::nullopt;
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::optional<std::uint32_t> LoadU32(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  if (!HasRange(bytes, offset, 4)) return std::nullopt;
  return static_cast<std::uint32_t>(bytes[offset]) |
         (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
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
