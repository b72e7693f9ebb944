// The portable icon renderer against Windows' own icon machinery: each fixture
// executable is opened with ExtractIconExW and drawn with DrawIconEx (normal
// mode) on a white 32 x 32, 24-bit DIB section, as the product's original
// implementation did. The canvas Windows draws must give the same icon value as
// the fixture's pinned value, which the native tree holds too.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "icon/cls_heuristic.hpp"
#include "tests/support/icon_builder.hpp"
#include "tests/support/icon_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {

struct GdiCanvas {
  bool ok = false;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// Extracts icon 0 (small, or large when `large`) and draws it on white.
GdiCanvas DrawWithWindows(const std::filesystem::path& exe, bool large) {
  GdiCanvas canvas;
  HICON icon = nullptr;
  const UINT got = large ? ExtractIconExW(exe.wstring().c_str(), 0, &icon, nullptr, 1)
                         : ExtractIconExW(exe.wstring().c_str(), 0, nullptr, &icon, 1);
  if (got == 0 || got == UINT_MAX || icon == nullptr) return canvas;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 32;
  info.bmiHeader.biHeight = -32;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dc != nullptr && bitmap != nullptr && bits != nullptr) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::fill_n(static_cast<std::uint8_t*>(bits), 32 * 96, std::uint8_t{0xFF});
    canvas.ok = DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL) != FALSE;
    GdiFlush();
    const auto* p = static_cast<const std::uint8_t*>(bits);
    for (int i = 0; i < 32 * 32; ++i) {
      const std::uint8_t* px = p + i * 3;
      canvas.pixels.push_back(std::uint32_t{px[0]} | (std::uint32_t{px[1]} << 8) | (std::uint32_t{px[2]} << 16));
    }
    SelectObject(dc, old);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (dc != nullptr) DeleteDC(dc);
  DestroyIcon(icon);
  return canvas;
}

int LargestChannelDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  int worst = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    for (int shift = 0; shift <= 16; shift += 8) {
      worst = std::max(worst, std::abs(static_cast<int>((a[i] >> shift) & 255u) - static_cast<int>((b[i] >> shift) & 255u)));
    }
  }
  return worst;
}

TEST(WineIcon, WindowsDrawsTheSameCanvasAsThePortableRenderer) {
  test::TempDir dir;
  for (const test::IconFixture& f : test::IconFixtures()) {
    SCOPED_TRACE(f.name);
    const auto exe = dir / (f.name + ".exe");
    test::WriteFile(exe, test::BuildIconExecutable({{f.image}}));
    EXPECT_EQ(checks::clsHeuristic::CalcIcon(exe), f.value);

    // The shell scales the small icon to 16 x 16; an icon of another size is
    // compared through the large icon, which is drawn in the same size.
    const bool large = f.image.width != 16;
    const GdiCanvas drawn = DrawWithWindows(exe, large);
    ASSERT_TRUE(drawn.ok);
    const auto expected = test::ExpectedCanvas(f.image);
    if (f.name == "depth32alpha") {
      // Windows blends premultiplied colours with its own rounding: within one step.
      EXPECT_LE(LargestChannelDifference(drawn.pixels, expected), 1);
    } else {
      EXPECT_EQ(drawn.pixels, expected);
      EXPECT_EQ(test::ExpectedIconValue(drawn.pixels), f.value);
    }
  }
}

TEST(WineIcon, FilesWithoutIconsGiveNoneOnBothSides) {
  test::TempDir dir;
  test::WriteFile(dir / "none.exe", test::BuildIconExecutable({}));
  test::WriteFile(dir / "data.exe", std::string(2048, 'd'));
  for (const char* name : {"none.exe", "data.exe"}) {
    EXPECT_FALSE(DrawWithWindows(dir / name, false).ok) << name;
    EXPECT_EQ(checks::clsHeuristic::CalcIcon(dir / name), "") << name;
  }
}

}  // namespace
}  // namespace kestro
