#include "tests/support/icon_fixtures.hpp"

#include <cstdio>

namespace kestro::test {
namespace {

constexpr int kSide = 32;
constexpr std::uint32_t kWhite = 0xFFFFFFu;

std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return (r << 16) | (g << 8) | b; }

IconImageSpec Grid(int w, int h, int bits) {
  IconImageSpec s;
  s.width = w;
  s.height = h;
  s.bitCount = bits;
  s.pixels.assign(static_cast<std::size_t>(w * h), 0);
  s.mask.assign(static_cast<std::size_t>(w * h), 0);
  return s;
}

std::size_t At(const IconImageSpec& s, int x, int y) { return static_cast<std::size_t>(y * s.width + x); }

// Draws a shape from a 16 x 16 picture: '.' transparent, other characters the
// palette index given by `legend`.
IconImageSpec FromPicture(const char* const rows[16], const std::vector<std::uint32_t>& palette,
                          const std::string& legend) {
  IconImageSpec s = Grid(16, 16, 4);
  s.palette = palette;
  s.palette.resize(16, 0);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const char c = rows[y][x];
      if (c == '.') {
        s.mask[At(s, x, y)] = 1;  // black under a set mask bit: transparent
      } else {
        s.pixels[At(s, x, y)] = static_cast<std::uint32_t>(legend.find(c));
      }
    }
  }
  return s;
}

}  // namespace

IconImageSpec FolderLikeIcon() {
  static const char* const rows[16] = {
      "................", "................", ".kkkkk..........", "kyyyyyk.........",
      "kyyyyyykkkkkkkk.", "kYYYYYYYYYYYYYYk", "kyyyyyyyyyyyyyyk", "kyyyyyyyyyyyyyyk",
      "kyyyyyyyyyyyyyyk", "kyyyyyyyyyyyyyyk", "kyyyyyyyyyyyyyyk", "kyyyyyyyyyyyyyyk",
      "kyyyyyyyyyyyyyyk", "kddddddddddddddk", "kkkkkkkkkkkkkkkk",
      "................"};
  return FromPicture(rows, {0x000000, Rgb(0x80, 0x60, 0x00), Rgb(0xFF, 0xD8, 0x40), Rgb(0xFF, 0xF0, 0xA0),
                            Rgb(0xC0, 0x98, 0x20)},
                     " kyYd");
}

IconImageSpec DocumentLikeIcon() {
  static const char* const rows[16] = {
      "..ggggggggg.....", "..gwwwwwwwgg....", "..gwwwwwwwgwg...", "..gwbbbbwwggggg.",
      "..gwwwwwwwwwwwg.", "..gwbbbbbbbbwwg.", "..gwwwwwwwwwwwg.", "..gwbbbbbbbbwwg.",
      "..gwwwwwwwwwwwg.", "..gwbbbbbbbbwwg.", "..gwwwwwwwwwwwg.", "..gwbbbbbbwwwwg.",
      "..gwwwwwwwwwwwg.", "..gwwwwwwwwwwwg.", "..ggggggggggggg.", "................"};
  return FromPicture(rows, {0x000000, Rgb(0x80, 0x80, 0x80), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x20, 0x40, 0xC0)},
                     " gwb");
}

std::vector<IconFixture> IconFixtures() {
  std::vector<IconFixture> fixtures;

  {  // 1 bit: black and red squares; the left columns masked, so black there is
     // transparent and red is inverted to cyan.
    IconImageSpec s = Grid(16, 16, 1);
    s.palette = {0x000000, Rgb(0xFF, 0, 0)};
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        s.pixels[At(s, x, y)] = static_cast<std::uint32_t>((x / 2 + y / 2) % 2);
        s.mask[At(s, x, y)] = x < 4 ? 1 : 0;
      }
    fixtures.push_back({"depth1", s, "9EC5A96"});
  }
  {  // 4 bits: sixteen colours in diagonals, top row masked.
    IconImageSpec s = Grid(16, 16, 4);
    for (std::uint32_t i = 0; i < 16; ++i) s.palette.push_back(Rgb(i * 16, 255 - i * 16, (i * 37) & 255));
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        s.pixels[At(s, x, y)] = static_cast<std::uint32_t>((x + y) % 16);
        s.mask[At(s, x, y)] = y == 0 ? 1 : 0;
      }
    fixtures.push_back({"depth4", s, "9D9F8D6"});
  }
  {  // 8 bits: a full 256-colour table, the diagonal masked.
    IconImageSpec s = Grid(16, 16, 8);
    for (std::uint32_t i = 0; i < 256; ++i) s.palette.push_back(Rgb(i, (i * 3) & 255, 255 - i));
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        s.pixels[At(s, x, y)] = static_cast<std::uint32_t>((x * 16 + y) & 255);
        s.mask[At(s, x, y)] = x == y ? 1 : 0;
      }
    fixtures.push_back({"depth8", s, "9EAFBF6"});
  }
  {  // 24 bits: a colour ramp, the bottom-right corner masked.
    IconImageSpec s = Grid(16, 16, 24);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        s.pixels[At(s, x, y)] = Rgb(static_cast<std::uint32_t>(x * 16), static_cast<std::uint32_t>(y * 16), 128);
        s.mask[At(s, x, y)] = x >= 12 && y >= 12 ? 1 : 0;
      }
    fixtures.push_back({"depth24", s, "9B33FC6"});
  }
  {  // 32 bits with alpha: blended onto white, the (all set) mask ignored.
    IconImageSpec s = Grid(16, 16, 32);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const auto a = static_cast<std::uint32_t>(x * 17);
        s.pixels[At(s, x, y)] = (a << 24) | Rgb(200, static_cast<std::uint32_t>(y * 16), 50);
        s.mask[At(s, x, y)] = 1;
      }
    fixtures.push_back({"depth32alpha", s, "ABB5722"});
  }
  {  // 32 bits without alpha: drawn like 24 bits, with its mask.
    IconImageSpec s = Grid(16, 16, 32);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        s.pixels[At(s, x, y)] = Rgb(static_cast<std::uint32_t>(255 - x * 8), 90, static_cast<std::uint32_t>(y * 15));
        s.mask[At(s, x, y)] = (x + y) % 3 == 0 ? 1 : 0;
      }
    fixtures.push_back({"depth32plain", s, "9E1EA2A"});
  }
  {  // 32 x 32, 8 bits, 16 colours stated: fills the whole canvas.
    IconImageSpec s = Grid(32, 32, 8);
    s.colorsUsed = 16;
    for (std::uint32_t i = 0; i < 16; ++i) s.palette.push_back(Rgb(i * 15, 40, 255 - i * 15));
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) s.pixels[At(s, x, y)] = static_cast<std::uint32_t>((x ^ y) & 15);
    fixtures.push_back({"large32", s, "2B1C496"});
  }
  fixtures.push_back({"folder", FolderLikeIcon(), "ABC85A0"});
  fixtures.push_back({"document", DocumentLikeIcon(), "B20B38E"});
  return fixtures;
}

std::vector<std::uint32_t> ExpectedCanvas(const IconImageSpec& image) {
  bool alpha = false;
  if (image.bitCount == 32) {
    for (const std::uint32_t p : image.pixels) alpha = alpha || (p >> 24) != 0;
  }
  std::vector<std::uint32_t> canvas(kSide * kSide, kWhite);
  for (int y = 0; y < image.height && y < kSide; ++y) {
    for (int x = 0; x < image.width && x < kSide; ++x) {
      const std::uint32_t p = image.pixels[At(image, x, y)];
      const std::uint32_t colour = image.bitCount <= 8 ? image.palette.at(p) & kWhite : p & kWhite;
      std::uint32_t& out = canvas[static_cast<std::size_t>(y * kSide + x)];
      if (alpha) {
        // Blend onto white with rounding to nearest, channel by channel.
        const double a = static_cast<double>(p >> 24) / 255.0;
        std::uint32_t blended = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
          const double c = static_cast<double>((colour >> shift) & 255u);
          const auto v = static_cast<std::uint32_t>(c * a + 255.0 * (1.0 - a) + 0.5);
          blended |= v << shift;
        }
        out = blended;
      } else if (image.mask[At(image, x, y)] != 0) {
        out = kWhite - colour;  // white XOR colour
      } else {
        out = colour;
      }
    }
  }
  return canvas;
}

std::string ExpectedIconValue(const std::vector<std::uint32_t>& canvas) {
  // The 54 header bytes of a 32 x 32, 24-bit bitmap file, then blue, green, red
  // of each pixel; the row order does not change a sum.
  const std::uint8_t header[54] = {
      'B', 'M', 0x36, 0x0C, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header: size 3126, bits at 54
      40, 0, 0, 0, 32, 0, 0, 0, 32, 0, 0, 0,                // info header size, width, height
      1, 0, 24, 0, 0, 0, 0, 0, 0x00, 0x0C, 0, 0,            // planes, 24 bits, BI_RGB, image 3072
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};      // resolution, colour counts
  long long sum = 0;
  for (const std::uint8_t b : header) sum += static_cast<long long>(b) * b;
  for (const std::uint32_t rgb : canvas) {
    for (int shift = 0; shift <= 16; shift += 8) {
      const long long c = (rgb >> shift) & 255u;
      sum += c * c;
    }
  }
  char text[24];
  std::snprintf(text, sizeof text, "%llX", sum);
  return text;
}

}  // namespace kestro::test
