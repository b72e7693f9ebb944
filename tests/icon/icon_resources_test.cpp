// Finding the first icon: group order, image choice, fallback, images that are
// not drawn, and malformed resources that must end with "malformed" (so the
// check answers False) without reading outside the file.
#include <gtest/gtest.h>

#include <functional>

#include "icon/icon_extract.hpp"
#include "icon/icon_image.hpp"
#include "tests/support/icon_builder.hpp"
#include "tests/support/icon_fixtures.hpp"

namespace kestro::checks {
namespace {

using test::IconImageSpec;
using test::ResourceItem;

// A solid square of one colour at the given size and depth.
IconImageSpec Solid(int side, int bits, std::uint32_t rgb) {
  IconImageSpec s;
  s.width = side;
  s.height = side;
  s.bitCount = bits;
  if (bits <= 8) {
    s.palette = {rgb};
    s.palette.resize(std::size_t{1} << bits, 0);
    s.pixels.assign(static_cast<std::size_t>(side * side), 0);
  } else {
    s.pixels.assign(static_cast<std::size_t>(side * side), rgb);
  }
  return s;
}

// The colour of the canvas' top-left pixel, or nothing when no icon was found.
std::optional<std::uint32_t> TopLeft(const std::vector<std::uint8_t>& exe) {
  MemoryReader reader(exe);
  const IconExtraction icon = ExtractFirstIcon(reader);
  if (icon.status != IconStatus::Found) return std::nullopt;
  return icon.image.argb[0] & 0xFFFFFFu;
}

std::vector<std::uint8_t> ExeWith(const std::vector<ResourceItem>& items) {
  test::PeImage image;
  image.sections.push_back({".text", 0x60000020u, {0xC3}});
  test::AddResources(image, items);
  return image.Build();
}

TEST(IconChoice, ClosestTo16ThenHighestDepthThenFirst) {
  struct Case {
    const char* what;
    std::vector<IconImageSpec> images;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {"the 16 x 16 among larger ones", {Solid(32, 8, 0x111111), Solid(16, 8, 0x222222), Solid(48, 8, 0x333333)}, 0x222222},
      {"among 16 x 16 images the deepest", {Solid(16, 4, 0x111111), Solid(16, 24, 0x222222), Solid(16, 8, 0x333333)}, 0x222222},
      {"equal size and depth: the first", {Solid(16, 8, 0x111111), Solid(16, 8, 0x222222)}, 0x111111},
      {"no 16 x 16: the closest", {Solid(48, 8, 0x111111), Solid(24, 8, 0x222222), Solid(32, 8, 0x333333)}, 0x222222},
      {"closer beats deeper", {Solid(20, 32, 0x111111), Solid(18, 1, 0x222222)}, 0x222222},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(TopLeft(test::BuildIconExecutable({c.images})), c.expected);
  }
}

TEST(IconChoice, GroupSizesOfZeroMean256) {
  std::vector<std::uint8_t> group = test::EncodeIconGroup({Solid(16, 8, 0), Solid(16, 8, 0)}, 1);
  group[6] = 0;  // first entry: width 0
  group[7] = 0;
  const auto entries = ParseIconGroup(group);
  ASSERT_TRUE(entries);
  EXPECT_EQ((*entries)[0].width, 256);
  EXPECT_EQ((*entries)[0].height, 256);
  EXPECT_EQ(ChooseIconEntry(*entries, 16), 1u);
  EXPECT_EQ(ChooseIconEntry({}, 16), std::nullopt);
}

TEST(IconChoice, FirstGroupInDirectoryOrderNamedBeforeNumeric) {
  std::vector<ResourceItem> items;
  // Groups by id 7 (red), id 3 (green) and a named one (blue); each names its own image.
  const auto addGroup = [&](std::variant<std::uint16_t, std::u16string> name, std::uint16_t iconId,
                            std::uint32_t rgb) {
    items.push_back({14, name, 0x0409, test::EncodeIconGroup({Solid(16, 24, rgb)}, iconId)});
    items.push_back({3, iconId, 0x0409, test::EncodeIconImage(Solid(16, 24, rgb))});
  };
  addGroup(std::uint16_t{7}, 1, 0xFF0000);
  addGroup(std::uint16_t{3}, 2, 0x00FF00);
  EXPECT_EQ(TopLeft(ExeWith(items)), 0x00FF00u) << "lowest id first";
  addGroup(std::u16string(u"MAINICON"), 3, 0x0000FF);
  EXPECT_EQ(TopLeft(ExeWith(items)), 0x0000FFu) << "named entries come first";
}

TEST(IconChoice, FallsBackToTheLargeImageWhenTheSmallOneIsUnusable) {
  // The 16 x 16 entry names an icon id that does not exist.
  std::vector<ResourceItem> items = test::IconResources({{Solid(16, 8, 0x111111), Solid(32, 8, 0x222222)}});
  items.erase(items.begin() + 1);  // the 16 x 16 image
  EXPECT_EQ(TopLeft(ExeWith(items)), 0x222222u);

  // The small image is a PNG: not drawn, so the large image is used.
  IconImageSpec png = Solid(16, 8, 0);
  png.raw = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0x0D};
  EXPECT_EQ(TopLeft(test::BuildIconExecutable({{png, Solid(32, 24, 0x333333)}})), 0x333333u);
}

TEST(IconChoice, FilesWithoutAnIconHaveNone) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  IconImageSpec png = Solid(256, 32, 0);
  png.raw = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0x0D, 'I', 'H', 'D', 'R'};
  test::PeImage noResources;
  noResources.sections.push_back({".text", 0x60000020u, {0xC3}});
  std::vector<ResourceItem> onlyOtherTypes = {{6, std::uint16_t{1}, 0x0409, {1, 0, 'A', 0}}};
  std::vector<ResourceItem> emptyGroup = {{14, std::uint16_t{1}, 0x0409, {0, 0, 1, 0, 0, 0}}};
  const Case cases[] = {
      {"a data file", std::vector<std::uint8_t>(300, 'x')},
      {"an empty file", {}},
      {"a PE image without resources", noResources.Build()},
      {"resources without icon groups", ExeWith(onlyOtherTypes)},
      {"an icon group without entries", ExeWith(emptyGroup)},
      {"only PNG images", test::BuildIconExecutable({{png}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryReader reader(c.bytes);
    EXPECT_EQ(ExtractFirstIcon(reader).status, IconStatus::NoIcon);
    EXPECT_EQ(IconValueOf(reader), "");
  }
}

// Patches a little-endian 32-bit value into the resource section's bytes.
void Patch32(std::vector<std::uint8_t>& raw, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) raw[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::uint8_t> Malformed(const std::function<void(test::PeImage&, std::vector<std::uint8_t>&)>& edit) {
  test::PeImage image;
  image.sections.push_back({".text", 0x60000020u, {0xC3}});
  test::AddResources(image, test::IconResources({{test::FolderLikeIcon()}}));
  edit(image, image.sections.back().raw);
  return image.Build();
}

TEST(IconMalformed, BrokenResourcesEndAsMalformed) {
  // Root directory: types 3 (icons) and 14 (groups); entry k at 16 + 8k, its
  // target at 20 + 8k. Section bytes: root at 0.
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<ResourceItem> zeroSized = test::IconResources({{test::FolderLikeIcon()}});
  zeroSized[1].data.clear();
  std::vector<ResourceItem> shortGroup = test::IconResources({{test::FolderLikeIcon()}});
  shortGroup[0].data[4] = 0xFF;  // 255 entries stated, one present
  std::vector<ResourceItem> wrongType = test::IconResources({{test::FolderLikeIcon()}});
  wrongType[0].data[2] = 2;  // a cursor group
  const auto withImage = [](std::function<void(std::vector<std::uint8_t>&)> edit) {
    std::vector<ResourceItem> items = test::IconResources({{test::FolderLikeIcon()}});
    edit(items[1].data);
    return items;
  };
  const Case cases[] = {
      {"group type points back at the root", Malformed([](auto&, auto& raw) { Patch32(raw, 28, 0x80000000u); })},
      {"group type is a data entry", Malformed([](auto&, auto& raw) { Patch32(raw, 28, 0x00000000u); })},
      {"subdirectory past the end", Malformed([](auto&, auto& raw) { Patch32(raw, 28, 0xFFFFFFF0u); })},
      {"huge entry counts", Malformed([](auto&, auto& raw) { Patch32(raw, 12, 0xFFFFFFFFu); })},
      {"directory outside every section",
       Malformed([](test::PeImage& image, auto&) { image.directories.back().second.first = 0x00900000u; })},
      {"directory in the section's zero-filled tail",
       Malformed([](test::PeImage& image, auto& raw) {
         image.sections.back().virtualSize = static_cast<std::uint32_t>(raw.size()) + 0x10000u;
         image.directories.back().second.first += static_cast<std::uint32_t>(raw.size()) + 0x1000u;
       })},
      {"a zero-sized image", ExeWith(zeroSized)},
      {"a group stating more entries than it holds", ExeWith(shortGroup)},
      {"a group of another type", ExeWith(wrongType)},
      {"image data cut short", ExeWith(withImage([](auto& d) { d.resize(d.size() - 1); }))},
      {"image of 16 bits per pixel", ExeWith(withImage([](auto& d) { d[14] = 16; }))},
      {"compressed image", ExeWith(withImage([](auto& d) { d[16] = 1; }))},
      {"image wider than 256", ExeWith(withImage([](auto& d) { Patch32(d, 4, 257); }))},
      {"image of negative height", ExeWith(withImage([](auto& d) { Patch32(d, 8, 0xFFFFFFE0u); }))},
      {"header size beyond the data", ExeWith(withImage([](auto& d) { Patch32(d, 0, 0x7FFFFFFFu); }))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryReader reader(c.bytes);
    EXPECT_EQ(ExtractFirstIcon(reader).status, IconStatus::Malformed);
    EXPECT_EQ(IconValueOf(reader), std::nullopt);
  }
}

TEST(IconMalformed, StatedImageSizeLargerThanTheFile) {
  // The RT_ICON data entry claims 4 GiB: the read is capped at what an icon can
  // need and still runs past the end of the file.
  test::PeImage image;
  image.sections.push_back({".text", 0x60000020u, {0xC3}});
  test::AddResources(image, test::IconResources({{test::FolderLikeIcon()}}));
  auto& raw = image.sections.back().raw;
  // Layout of the builder: root (16 + 2 * 8), two type directories (24 each),
  // two language directories (24 each), then the data entries by type: the
  // image (type 3) first, the group (type 14) second.
  const std::size_t imageEntry = 32 + 48 + 48;
  Patch32(raw, imageEntry + 4, 0xFFFFFFFFu);
  const auto bytes = image.Build();
  MemoryReader broken(bytes);
  EXPECT_EQ(ExtractFirstIcon(broken).status, IconStatus::Malformed);
}

}  // namespace
}  // namespace kestro::checks
