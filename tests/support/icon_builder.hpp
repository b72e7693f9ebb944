#pragma once
// Builds icon resources for test executables: bitmap icon images of a chosen
// size and colour depth from a pixel grid, icon groups, and a resource section
// (type, name and language levels) appended to a PeImage as ".rsrc" with the
// resource data directory pointing at it.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "tests/support/pe_builder.hpp"

namespace kestro::test {

struct IconImageSpec {
  int width = 16;
  int height = 16;
  int bitCount = 4;                     // 1, 4, 8, 24 or 32
  std::vector<std::uint32_t> palette;   // 0x00RRGGBB, for 1, 4 and 8 bits
  std::uint32_t colorsUsed = 0;         // biClrUsed; 0: a full table of palette.size() entries
  std::vector<std::uint32_t> pixels;    // top row first: palette index, or 0xAARRGGBB for 24/32 bits
  std::vector<std::uint8_t> mask;       // top row first, 1 = mask bit set; empty: all clear
  std::vector<std::uint8_t> raw;        // when not empty: the image bytes as they stand (PNG, broken data)
};

// The RT_ICON bytes of an image: BITMAPINFOHEADER, colour table, colour rows and
// mask rows, both bottom-up and padded to 4 bytes.
std::vector<std::uint8_t> EncodeIconImage(const IconImageSpec& image);

// The RT_GROUP_ICON bytes listing `images` with icon ids firstId, firstId + 1, ...
std::vector<std::uint8_t> EncodeIconGroup(const std::vector<IconImageSpec>& images, std::uint16_t firstId);

struct ResourceItem {
  std::uint16_t type = 0;
  std::variant<std::uint16_t, std::u16string> name;  // numeric id or name
  std::uint16_t language = 0x0409;
  std::vector<std::uint8_t> data;
};

// Resources for icon groups: group k gets the numeric name `firstGroupId + k`
// and its images consecutive RT_ICON ids.
std::vector<ResourceItem> IconResources(const std::vector<std::vector<IconImageSpec>>& groups,
                                        std::uint16_t firstGroupId = 1);

// The bytes of a resource section placed at `sectionRva`: one directory per
// type (ids ascending), named entries before numeric ones (ids ascending), one
// language each.
std::vector<std::uint8_t> BuildResourceSection(const std::vector<ResourceItem>& items, std::uint32_t sectionRva);

// Appends the resource section to `image` and points data directory 2 at it.
void AddResources(PeImage& image, const std::vector<ResourceItem>& items);

// A small executable: one code section holding `code`, then the icon groups.
std::vector<std::uint8_t> BuildIconExecutable(const std::vector<std::vector<IconImageSpec>>& groups,
                                              const std::vector<std::uint8_t>& code = {0xC3});

}  // namespace kestro::test
