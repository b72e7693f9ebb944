#pragma once
// Icon fixtures shared by the native and the Windows tests, with a reference
// computation of their icon values written apart from the engine's renderer:
// the expected 32 x 32 canvas is derived from each fixture's own pixel grid,
// then the value from the canvas.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/icon_builder.hpp"

namespace kestro::test {

// Icons of our own making that data/db2.txt lists: a yellow folder and a white
// page with blue lines, 16 x 16, 4 bits per pixel, transparent around the shape.
IconImageSpec FolderLikeIcon();
IconImageSpec DocumentLikeIcon();

struct IconFixture {
  std::string name;
  IconImageSpec image;
  std::string value;  // the value both trees must compute (pinned)
};

// One fixture per supported colour depth and drawing case.
std::vector<IconFixture> IconFixtures();

// Reference: the expected canvas (0x00RRGGBB, top row first) of an image drawn
// at (0, 0) on white, and the icon value of a canvas.
std::vector<std::uint32_t> ExpectedCanvas(const IconImageSpec& image);
std::string ExpectedIconValue(const std::vector<std::uint32_t>& canvas);

}  // namespace kestro::test
