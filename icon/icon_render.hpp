#pragma once
// The one renderer of the icon heuristic, the same on every platform, so the
// icon value of a file never depends on the machine that computes it.
//
// Canvas: 32 x 32 pixels, 24 bits per pixel, filled white (0xFFFFFF). 32 x 32
// holds the large icon size of the product's era whole, and 24 bits keep every
// colour of the image without a palette. The icon is drawn at (0, 0) in its
// own size (never scaled); whatever lies beyond the canvas is cut off.
//
// Drawing is the normal icon drawing (mask, then image):
//  - images without alpha (1, 4, 8, 24 bits, or 32 bits whose alpha bytes are all
//    0): canvas = (canvas AND mask) XOR colour per channel, so a set mask bit
//    over white shows 255 - colour (a black colour leaves the canvas white) and
//    a clear mask bit shows the colour;
//  - 32-bit images with alpha: the colour is blended onto the white canvas and
//    the mask is ignored, per channel
//        out = (colour * alpha + 255 * (255 - alpha) + 127) / 255
//    in integer arithmetic, i.e. rounded to the nearest whole value (the exact
//    quotient can never end in one half, 255 being odd).
//
// Saved image: a Windows bitmap file of 3,126 bytes: BITMAPFILEHEADER ("BM",
// bfSize 3126, reserved 0, bfOffBits 54), BITMAPINFOHEADER (biSize 40, 32 x 32,
// 1 plane, 24 bits, BI_RGB, biSizeImage 3072, resolution 0 x 0, no colour
// table counts), then 32 rows of 96 bytes (blue, green, red), bottom row first.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "icon/icon_image.hpp"

namespace kestro::checks {

inline constexpr int kIconCanvasSide = 32;
inline constexpr std::size_t kIconBitmapHeaderSize = 54;
inline constexpr std::size_t kIconBitmapFileSize = kIconBitmapHeaderSize + 32 * 32 * 3;

// The canvas as a bitmap file image with `icon` drawn on it (a blank white
// canvas when `icon` is null).
std::vector<std::uint8_t> RenderIconBitmap(const IconImage* icon);

// Sum over the bytes of the square of each byte's value, when it fits a signed
// 32-bit integer.
std::optional<std::int32_t> SumOfSquaredBytes(std::span<const std::uint8_t> bytes);

// Upper-case hexadecimal of the sum without leading zeros, or nothing when the
// sum leaves the signed 32-bit range.
std::optional<std::string> IconValueOfBitmap(std::span<const std::uint8_t> bitmap);

}  // namespace kestro::checks
