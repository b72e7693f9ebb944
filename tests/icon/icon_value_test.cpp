// Icon values of fixture icons of every supported colour depth. Each fixture is
// held to a pinned value and to the value computed by the reference in
// tests/support/icon_fixtures from its own pixel grid; the Windows tree runs the
// same test, so both platforms are held to the same constants.
#include <gtest/gtest.h>

#include <set>

#include "icon/icon_extract.hpp"
#include "icon/icon_render.hpp"
#include "tests/support/icon_fixtures.hpp"

namespace kestro::checks {
namespace {

// The 0x00RRGGBB colour of the blue, green, red bytes at `at`.
std::uint32_t PixelAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8) | (std::uint32_t{b[at + 2]} << 16);
}

std::vector<std::uint32_t> CanvasOf(const std::vector<std::uint8_t>& bitmap) {
  std::vector<std::uint32_t> canvas(32 * 32);
  for (std::size_t row = 0; row < 32; ++row) {
    for (std::size_t x = 0; x < 32; ++x) {
      canvas[(31 - row) * 32 + x] = PixelAt(bitmap, kIconBitmapHeaderSize + row * 96 + x * 3);
    }
  }
  return canvas;
}

TEST(IconValue, EachFixtureRendersToItsReferenceValue) {
  for (const test::IconFixture& f : test::IconFixtures()) {
    SCOPED_TRACE(f.name);
    const auto exe = test::BuildIconExecutable({{f.image}});
    MemoryReader reader(exe);
    const IconRendering rendering = RenderFirstIcon(reader);
    ASSERT_EQ(rendering.status, IconStatus::Found);
    const auto expectedCanvas = test::ExpectedCanvas(f.image);
    EXPECT_EQ(CanvasOf(rendering.bitmap), expectedCanvas);
    EXPECT_EQ(test::ExpectedIconValue(expectedCanvas), f.value);
    EXPECT_EQ(IconValueOf(reader), f.value);
  }
}

TEST(IconValue, FixturesHaveDistinctValues) {
  std::set<std::string> values;
  for (const test::IconFixture& f : test::IconFixtures()) values.insert(f.value);
  EXPECT_EQ(values.size(), test::IconFixtures().size());
}

TEST(IconRender, BlankCanvasIsAWhite24BitBitmapFile) {
  const auto bitmap = RenderIconBitmap(nullptr);
  ASSERT_EQ(bitmap.size(), 3126u);
  EXPECT_EQ(bitmap[0], 'B');
  EXPECT_EQ(bitmap[1], 'M');
  EXPECT_EQ(bitmap[10], 54);
  EXPECT_EQ(bitmap[28], 24);
  for (std::size_t i = kIconBitmapHeaderSize; i < bitmap.size(); ++i) ASSERT_EQ(bitmap[i], 0xFF) << i;
  EXPECT_EQ(IconValueOfBitmap(bitmap), test::ExpectedIconValue(std::vector<std::uint32_t>(1024, 0xFFFFFF)));
}

TEST(IconRender, AlphaBlendRoundsToNearest) {
  struct Case {
    std::uint32_t argb;
    std::uint32_t expected;
  };
  // out = colour * a / 255 + 255 * (255 - a) / 255, rounded to nearest.
  const Case cases[] = {
      {0x00000000u, 0xFFFFFFu},  // alpha 0 in an image with alpha elsewhere: white
      {0xFF123456u, 0x123456u},  // opaque: the colour itself
      {0x80000000u, 0x7F7F7Fu},  // 255 * 127 / 255 = 127
      {0x01000000u, 0xFEFEFEu},  // 254.0
      {0x7F000000u, 0x808080u},  // 255 * 128 / 255 = 128
      {0x40FF0000u, 0xFFBFBFu},  // 255 * 191 / 255 = 191
      {0x33646464u, 0xE0E0E0u},  // (100 * 51 + 255 * 204) / 255 = 224.0
      {0x03010101u, 0xFCFCFCu},  // (3 + 255 * 252) / 255 = 252.01
      {0x640A0A0Au, 0x9F9F9Fu},  // (10 * 100 + 255 * 155) / 255 = 158.92
  };
  for (const Case& c : cases) {
    IconImage icon;
    icon.width = 2;
    icon.height = 1;
    icon.argb = {c.argb, 0xFF000000u};
    icon.mask = {1, 1};
    icon.hasAlpha = true;
    const auto bitmap = RenderIconBitmap(&icon);
    const std::size_t top = kIconBitmapHeaderSize + 31 * 96;
    EXPECT_EQ(PixelAt(bitmap, top), c.expected) << std::hex << c.argb;
  }
}

TEST(IconRender, LargerIconsAreCutAtTheCanvasEdge) {
  IconImage icon;
  icon.width = 48;
  icon.height = 40;
  icon.argb.assign(48 * 40, 0x000000u);
  icon.mask.assign(48 * 40, 0);
  const auto bitmap = RenderIconBitmap(&icon);
  ASSERT_EQ(bitmap.size(), 3126u);
  for (std::size_t i = kIconBitmapHeaderSize; i < bitmap.size(); ++i) ASSERT_EQ(bitmap[i], 0) << i;
}

TEST(IconRender, SumOfSquaresStopsAtTheSigned32BitRange) {
  EXPECT_EQ(SumOfSquaredBytes(std::vector<std::uint8_t>{1, 2, 3}), 14);
  // 33,025 bytes of 255 sum to 2,147,450,625; one more leaves the range.
  std::vector<std::uint8_t> bytes(33025, 255);
  EXPECT_EQ(SumOfSquaredBytes(bytes), 2147450625);
  EXPECT_EQ(IconValueOfBitmap(bytes), "7FFF7F01");
  bytes.push_back(255);
  EXPECT_EQ(SumOfSquaredBytes(bytes), std::nullopt);
  EXPECT_EQ(IconValueOfBitmap(bytes), std::nullopt);
}

}  // namespace
}  // namespace kestro::checks
