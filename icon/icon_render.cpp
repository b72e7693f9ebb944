#include "icon/icon_render.hpp"

#include <algorithm>
#include <limits>

#include "io/hex_text.hpp"

namespace kestro::checks {
namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFFu;

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Channel(std::uint32_t rgb, unsigned shift) { return (rgb >> shift) & 0xFFu; }

std::uint32_t Blend(std::uint32_t argb) {
  const std::uint32_t alpha = argb >> 24;
  std::uint32_t out = 0;
  for (unsigned shift : {0u, 8u, 16u}) {
    const std::uint32_t c = Channel(argb, shift);
    out |= ((c * alpha + 255u * (255u - alpha) + 127u) / 255u) << shift;
  }
  return out;
}

std::uint32_t DrawPixel(const IconImage& icon, std::size_t index, std::uint32_t canvas) {
  const std::uint32_t argb = icon.argb[index];
  if (icon.hasAlpha) return Blend(argb);
  const std::uint32_t andMask = icon.mask[index] != 0 ? kWhite : 0;
  return ((canvas & andMask) ^ argb) & kWhite;
}

}  // namespace

std::vector<std::uint8_t> RenderIconBitmap(const IconImage* icon) {
  constexpr int side = kIconCanvasSide;
  std::vector<std::uint32_t> canvas(static_cast<std::size_t>(side * side), kWhite);
  if (icon != nullptr) {
    const int w = std::min(icon->width, side);
    const int h = std::min(icon->height, side);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const auto at = static_cast<std::size_t>(y * side + x);
        const auto from = static_cast<std::size_t>(y) * static_cast<std::size_t>(icon->width) +
                          static_cast<std::size_t>(x);
        canvas[at] = DrawPixel(*icon, from, canvas[at]);
      }
    }
  }

  std::vector<std::uint8_t> file(kIconBitmapFileSize, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<std::uint32_t>(kIconBitmapFileSize));
  Put32(file, 10, static_cast<std::uint32_t>(kIconBitmapHeaderSize));
  Put32(file, 14, 40);
  Put32(file, 18, side);
  Put32(file, 22, side);
  Put16(file, 26, 1);
  Put16(file, 28, 24);
  Put32(file, 34, static_cast<std::uint32_t>(kIconBitmapFileSize - kIconBitmapHeaderSize));
  std::size_t at = kIconBitmapHeaderSize;
  for (int y = side - 1; y >= 0; --y) {  // bottom row first
    for (int x = 0; x < side; ++x) {
      const std::uint32_t rgb = canvas[static_cast<std::size_t>(y * side + x)];
      file[at++] = static_cast<std::uint8_t>(Channel(rgb, 0));
      file[at++] = static_cast<std::uint8_t>(Channel(rgb, 8));
      file[at++] = static_cast<std::uint8_t>(Channel(rgb, 16));
    }
  }
  return file;
}

std::optional<std::int32_t> SumOfSquaredBytes(std::span<const std::uint8_t> bytes) {
  std::int64_t sum = 0;
  for (const std::uint8_t b : bytes) {
    sum += std::int64_t{b} * b;
    if (sum > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  }
  return static_cast<std::int32_t>(sum);
}

std::optional<std::string> IconValueOfBitmap(std::span<const std::uint8_t> bitmap) {
  const auto sum = SumOfSquaredBytes(bitmap);
  if (!sum) return std::nullopt;
  return HexOfNumber(*sum);
}

}  // namespace kestro::checks
