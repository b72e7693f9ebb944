#pragma once
// Icon groups and icon images as stored in PE resources.
//
// A group (RT_GROUP_ICON) lists the images of one icon, each by size, colour
// depth and the id of its RT_ICON resource. An image is either a device-
// independent bitmap (a BITMAPINFOHEADER, a colour table for 1, 4 and 8 bits
// per pixel, the colour rows and the 1-bit AND mask, both bottom-up) or a PNG
// file.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestro::checks {

// Icon images are at most 256 pixels square; anything larger is malformed.
inline constexpr int kMaxIconSide = 256;

struct IconGroupEntry {
  int width = 0;     // 1..256 (a stored 0 means 256)
  int height = 0;
  int bitCount = 0;  // colour depth used to rank entries of the same size
  std::uint16_t iconId = 0;
};

// The entries of a group resource; nothing when it is malformed (reserved
// field not 0, type not 1, entries running past the end).
std::optional<std::vector<IconGroupEntry>> ParseIconGroup(std::span<const std::uint8_t> bytes);

// Index of the entry closest to `side` x `side` (the smallest sum of width and
// height differences); among equally close entries the highest colour depth,
// then the first. Nothing for an empty group.
std::optional<std::size_t> ChooseIconEntry(const std::vector<IconGroupEntry>& entries, int side);

struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;  // 0xAARRGGBB, top row first
  std::vector<std::uint8_t> mask;   // 1 where the AND mask bit is set, top row first
  bool hasAlpha = false;            // 32 bits per pixel with a non-zero alpha somewhere
};

enum class IconDecodeStatus { Ok, Png, Malformed };

// Decodes a bitmap icon image of 1, 4, 8, 24 or 32 bits per pixel (BI_RGB).
// A PNG image answers Png without being decoded.
IconDecodeStatus DecodeIconImage(std::span<const std::uint8_t> bytes, IconImage& out);

}  // namespace kestro::checks
