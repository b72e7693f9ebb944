#include "io/crc32.hpp"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/temp_dir.hpp"

namespace kestro::checks {
namespace {

TEST(Crc32, TableHasTheStandardEntries) {
  const auto& t = clsCRC32::Table();
  EXPECT_EQ(t[0], 0u);
  EXPECT_EQ(t[1], 0x77073096u);
  EXPECT_EQ(t[128], 0xEDB88320u);
  EXPECT_EQ(t[255], 0x2D02EF8Du);
}

TEST(Crc32, StringChecksumTexts) {
  const clsCRC32 crc;
  struct Case {
    std::string_view text;
    std::string_view expected;
  };
  const Case cases[] = {
      {"123456789", "CBF43926"},
      {"", ""},                       // empty text: empty result
      {"a", "E8B7BE43"},
      {"The quick brown fox jumps over the lazy dog", "414FA339"},
      {std::string_view("\0", 1), "D202EF8D"},
  };
  for (const Case& c : cases) EXPECT_EQ(crc.StringChecksum(c.text), c.expected) << c.text;
}

TEST(Crc32, TextFormHasNoLeadingZeros) {
  struct Case {
    std::uint32_t value;
    std::string_view text;
  };
  const Case cases[] = {{0, "0"}, {0xABCD, "ABCD"}, {0x0FFFFFFF, "FFFFFFF"}, {0x10000000, "10000000"},
                        {0xFFFFFFFF, "FFFFFFFF"}, {0x00000001, "1"}};
  for (const Case& c : cases) EXPECT_EQ(CrcText(c.value), c.text);
}

TEST(Crc32, FastFormMatchesReferenceAtEveryLengthAndAlignment) {
  std::mt19937 rng(42);
  std::vector<std::uint8_t> data(4096 + 64);
  for (auto& b : data) b = static_cast<std::uint8_t>(rng());
  for (std::size_t offset = 0; offset < 17; ++offset) {
    for (std::size_t length = 0; length < 300; ++length) {
      const std::span<const std::uint8_t> block(data.data() + offset, length);
      ASSERT_EQ(Crc32(block), Crc32Reference(block)) << offset << "/" << length;
    }
  }
  EXPECT_EQ(Crc32(data), Crc32Reference(data));
  // Continuing over two halves gives the CRC of the whole.
  const std::span<const std::uint8_t> all(data);
  EXPECT_EQ(Crc32Continue(Crc32(all.first(1000)), all.subspan(1000)), Crc32(all));
}

TEST(Crc32, FileChecksumOfWholeFiles) {
  test::TempDir dir;
  const clsCRC32 crc;
  test::WriteFile(dir / "digits.txt", "123456789");
  test::WriteFile(dir / "empty.txt", "");
  EXPECT_EQ(crc.FileChecksum(dir / "digits.txt"), "CBF43926");
  EXPECT_EQ(crc.FileChecksum(dir / "empty.txt"), "0");
  EXPECT_EQ(crc.FileChecksum(dir / "missing.txt"), "0");
  EXPECT_EQ(crc.FileChecksum(dir.path()), "0");  // a folder is not a readable file

  // Larger than the streaming block: the same as the CRC of the bytes in one piece.
  std::vector<std::uint8_t> big((1u << 20) * 2 + 12345);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 31 + (i >> 9));
  test::WriteFile(dir / "big.bin", big);
  EXPECT_EQ(crc.FileChecksum(dir / "big.bin"), CrcText(Crc32Reference(big)));
}

static_assert(Crc32Constexpr("123456789") == 0xCBF43926u);

}  // namespace
}  // namespace kestro::checks
