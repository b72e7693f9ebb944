// The test archive writer against constants of the published formats, and the
// uudecoder used for libarchive's sample archives.
#include <gtest/gtest.h>

#include "tests/support/rar_fixtures.hpp"
#include "tests/support/rar_writer.hpp"

namespace kestro::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool EndsWith(const Bytes& bytes, const Bytes& tail) {
  return bytes.size() >= tail.size() && std::equal(tail.begin(), tail.end(), bytes.end() - static_cast<std::ptrdiff_t>(tail.size()));
}

TEST(RarWriter, FramesBlocksAsRarDoes) {
  // The end-of-archive blocks are fixed byte strings in archives made by RAR,
  // header CRCs included.
  const auto rar4 = WriteStoredRar(RarFormat::Rar4, {});
  EXPECT_TRUE((Bytes(rar4.begin(), rar4.begin() + 7) == Bytes{0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00}));
  EXPECT_TRUE(EndsWith(rar4, {0xC4, 0x3D, 0x7B, 0x00, 0x40, 0x07, 0x00}));
  const auto rar5 = WriteStoredRar(RarFormat::Rar5, {});
  EXPECT_TRUE((Bytes(rar5.begin(), rar5.begin() + 8) == Bytes{0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00}));
  EXPECT_TRUE(EndsWith(rar5, {0x1D, 0x77, 0x56, 0x51, 0x03, 0x05, 0x04, 0x00}));
}

TEST(Uudecode, DecodesAndRefusesMalformedText) {
  EXPECT_EQ(Uudecode("begin 644 cat.txt\n#0V%T\n`\nend\n"), (Bytes{'C', 'a', 't'}));
  EXPECT_EQ(Uudecode("begin 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\n"), (Bytes{'C', 'a', 't'}));
  EXPECT_TRUE(Uudecode("#0V%T\nend\n").empty()) << "no begin line";
  EXPECT_TRUE(Uudecode("begin 644 x\n#0V%T\n").empty()) << "no end line";
  EXPECT_TRUE(Uudecode("begin 644 x\nM0V\nend\n").empty()) << "line shorter than its count";
}

}  // namespace
}  // namespace kestro::test
