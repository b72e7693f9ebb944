#include "icon/icon_image.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "io/le_fields.hpp"

namespace kestro::checks {
namespace {

constexpr std::uint64_t kGroupHeaderSize = 6;
constexpr std::uint64_t kGroupEntrySize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

int DepthFromColorCount(int colorCount) {
  if (colorCount == 0) return 8;  // 256 colours or more
  int depth = 0;
  while ((1 << depth) < colorCount && depth < 8) ++depth;
  return depth;
}

std::uint64_t RowStride(std::uint64_t width, std::uint64_t bitCount) { return (width * bitCount + 31) / 32 * 4; }

}  // namespace

std::optional<std::vector<IconGroupEntry>> ParseIconGroup(std::span<const std::uint8_t> bytes) {
  const auto reserved = LoadU16(bytes, 0);
  const auto type = LoadU16(bytes, 2);
  const auto count = LoadU16(bytes, 4);
  if (!reserved || *reserved != 0 || type != 1 || !count) return std::nullopt;
  if (!HasRange(bytes, kGroupHeaderSize, *count * kGroupEntrySize)) return std::nullopt;
  std::vector<IconGroupEntry> entries;
  entries.reserve(*count);
  for (std::uint64_t i = 0; i < *count; ++i) {
    const std::uint64_t at = kGroupHeaderSize + i * kGroupEntrySize;
    IconGroupEntry e;
    e.width = ByteAt(bytes, at) == 0 ? 256 : ByteAt(bytes, at);
    e.height = ByteAt(bytes, at + 1) == 0 ? 256 : ByteAt(bytes, at + 1);
    const int bitCount = *LoadU16(bytes, at + 6);
    e.bitCount = bitCount != 0 ? bitCount : DepthFromColorCount(ByteAt(bytes, at + 2));
    e.iconId = *LoadU16(bytes, at + 12);
    entries.push_back(e);
  }
  return entries;
}

std::optional<std::size_t> ChooseIconEntry(const std::vector<IconGroupEntry>& entries, int side) {
  std::optional<std::size_t> best;
  int bestDistance = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int distance = std::abs(entries[i].width - side) + std::abs(entries[i].height - side);
    if (!best || distance < bestDistance ||
        (distance == bestDistance && entries[i].bitCount > entries[*best].bitCount)) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

IconDecodeStatus DecodeIconImage(std::span<const std::uint8_t> bytes, IconImage& out) {
  out = IconImage{};
  if (bytes.size() >= kPngSignature.size() &&
      std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin())) {
    return IconDecodeStatus::Png;
  }
  const auto headerSize = LoadU32(bytes, 0);
  if (!headerSize || *headerSize < kInfoHeaderSize || !HasRange(bytes, 0, *headerSize)) {
    return IconDecodeStatus::Malformed;
  }
  const std::int32_t width = *LoadI32(bytes, 4);
  const std::int32_t doubleHeight = *LoadI32(bytes, 8);  // colour rows and mask rows
  const std::uint16_t planes = *LoadU16(bytes, 12);
  const std::uint16_t bitCount = *LoadU16(bytes, 14);
  const std::uint32_t compression = *LoadU32(bytes, 16);
  const std::uint32_t colorsUsed = *LoadU32(bytes, 32);
  const std::int32_t height = doubleHeight / 2;
  if (width < 1 || width > kMaxIconSide || height < 1 || height > kMaxIconSide) {
    return IconDecodeStatus::Malformed;
  }
  if (planes != 1 || compression != kBiRgb) return IconDecodeStatus::Malformed;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
    return IconDecodeStatus::Malformed;
  }

  // Colour table: the stated count (at most 256), or the full table for the
  // depth when none is stated. An index past the table draws black.
  std::uint32_t tableCount = colorsUsed != 0 ? std::min<std::uint32_t>(colorsUsed, 256) : 0;
  if (colorsUsed == 0 && bitCount <= 8) tableCount = 1u << bitCount;
  const std::uint64_t tableAt = *headerSize;
  const std::uint64_t xorAt = tableAt + std::uint64_t{tableCount} * 4;
  const std::uint64_t w = static_cast<std::uint64_t>(width);
  const std::uint64_t h = static_cast<std::uint64_t>(height);
  const std::uint64_t xorStride = RowStride(w, bitCount);
  const std::uint64_t andStride = RowStride(w, 1);
  const std::uint64_t andAt = xorAt + xorStride * h;
  if (!HasRange(bytes, andAt, andStride * h)) return IconDecodeStatus::Malformed;

  out.width = width;
  out.height = height;
  out.argb.assign(static_cast<std::size_t>(w * h), 0);  // at most 256 x 256
  out.mask.assign(static_cast<std::size_t>(w * h), 0);
  for (std::uint64_t y = 0; y < h; ++y) {
    const std::uint64_t row = h - 1 - y;  // rows are stored bottom-up
    const std::uint64_t xorRow = xorAt + row * xorStride;
    const std::uint64_t andRow = andAt + row * andStride;
    for (std::uint64_t x = 0; x < w; ++x) {
      std::uint32_t pixel = 0;
      if (bitCount <= 8) {
        const std::uint64_t bit = x * bitCount;
        const std::uint8_t byte = ByteAt(bytes, xorRow + bit / 8);
        const unsigned shift = static_cast<unsigned>(8 - bitCount - bit % 8);
        const std::uint32_t index = (byte >> shift) & ((1u << bitCount) - 1u);
        if (index < tableCount) {
          pixel = *LoadU32(bytes, tableAt + std::uint64_t{index} * 4) & 0x00FFFFFFu;
        }
      } else {
        const std::uint64_t at = xorRow + x * (bitCount / 8);
        pixel = static_cast<std::uint32_t>(ByteAt(bytes, at)) | (static_cast<std::uint32_t>(ByteAt(bytes, at + 1)) << 8) |
                (static_cast<std::uint32_t>(ByteAt(bytes, at + 2)) << 16);
        if (bitCount == 32) {
          pixel |= static_cast<std::uint32_t>(ByteAt(bytes, at + 3)) << 24;
          if (ByteAt(bytes, at + 3) != 0) out.hasAlpha = true;
        }
      }
      out.argb[static_cast<std::size_t>(y * w + x)] = pixel;
      const unsigned maskByte = ByteAt(bytes, andRow + x / 8);
      out.mask[static_cast<std::size_t>(y * w + x)] = static_cast<std::uint8_t>((maskByte >> (7 - x % 8)) & 1u);
    }
  }
  return IconDecodeStatus::Ok;
}

}  // namespace kestro::checks
