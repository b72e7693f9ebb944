#pragma once
// Finds the first icon an executable shows and renders it, without the
// Windows shell: the same steps the shell's icon extraction takes, read from
// the file's own resource directory.
//
// 1. The first icon group (RT_GROUP_ICON) in resource directory order.
// 2. Its small image: the entry closest to 16 x 16, the highest colour depth
//    among equally close ones. When that image cannot be used, the large image
//    instead: the entry closest to 32 x 32.
// 3. The image decoded (bitmap of 1, 4, 8, 24 or 32 bits per pixel with its
//    mask) and drawn by the renderer of icon_render.hpp.
//
// PNG images are not decoded: they count as "no image". Icons store only their
// 256 x 256 images as PNG, so a PNG is chosen only when a group holds nothing
// smaller, and on the 32 x 32 canvas it would show just its top-left corner;
// decoding it would need a full inflate implementation for no useful value.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "icon/icon_image.hpp"
#include "io/positioned_reader.hpp"

namespace kestro::checks {

enum class IconStatus {
  Found,      // an icon image was decoded
  NoIcon,     // not a PE image, no icon group, an empty group, or PNG images only
  Malformed,  // the file cannot be read, or its resources or images are broken
};

struct IconExtraction {
  IconStatus status = IconStatus::NoIcon;
  IconImage image;
};

IconExtraction ExtractFirstIcon(PositionedReader& file);

struct IconRendering {
  IconStatus status = IconStatus::NoIcon;
  std::vector<std::uint8_t> bitmap;  // the canvas as a bitmap file, when Found
};

IconRendering RenderFirstIcon(PositionedReader& file);

// The icon value: upper-case hexadecimal of the sum of squared bitmap bytes;
// "" when the file shows no icon; nothing when it is malformed.
std::optional<std::string> IconValueOf(PositionedReader& file);

}  // namespace kestro::checks
