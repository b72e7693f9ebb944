// The XOR cipher, the hexadecimal decoder and the character substitution.
#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "sigdb/cls_xor.hpp"
#include "sigdb/hex_decode.hpp"
#include "sigdb/substitution.hpp"

namespace kestro::sigdb {
namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::vector<std::uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(gen());
  return bytes;
}

TEST(ClsXor, EncipherThenDecipherRestoresEveryByte) {
  for (const std::string key : {"TRIVEL_QX", "k", "a longer key with spaces", "\xFF\x01"}) {
    for (const std::size_t n : {0u, 1u, 8u, 9u, 10u, 4097u}) {
      const auto original = RandomBytes(n, static_cast<unsigned>(n + key.size()));
      auto block = original;
      clsXOR cipher;
      ASSERT_TRUE(cipher.EncryptByte(block, key));
      if (n > 16) {
        EXPECT_NE(block, original) << key;
      }
      ASSERT_TRUE(clsXOR().DecryptByte(block, key));
      EXPECT_EQ(block, original) << "key '" << key << "', " << n << " bytes";
    }
  }
}

TEST(ClsXor, OneCharacterKeyXorsEveryByteWithOneValue) {
  auto block = RandomBytes(300, 7);
  const auto original = block;
  clsXOR().EncryptByte(block, "Z");
  for (std::size_t i = 0; i < block.size(); ++i) EXPECT_EQ(block[i], original[i] ^ 'Z') << i;
}

TEST(ClsXor, KeyBytesCycleFromPositionZero) {
  std::vector<std::uint8_t> block(7, 0);
  clsXOR().EncryptByte(block, "abc");
  EXPECT_EQ(std::string(block.begin(), block.end()), "abcabca");
}

TEST(ClsXor, KeyIsKeptBetweenCallsAndEmptyKeyTextKeepsIt) {
  clsXOR cipher;
  std::vector<std::uint8_t> block(3, 0);
  EXPECT_FALSE(cipher.EncryptByte(block));  // no key yet: the block stays as it is
  EXPECT_EQ(block, std::vector<std::uint8_t>(3, 0));
  cipher.Key("xy");
  cipher.Key("xy");
  EXPECT_EQ(cipher.KeyText(), "xy");
  EXPECT_TRUE(cipher.EncryptByte(block, ""));
  EXPECT_EQ(std::string(block.begin(), block.end()), "xyx");
}

std::vector<int> Progress(std::size_t length) {
  std::vector<int> seen;
  clsXOR cipher;
  cipher.OnProgress([&](int p) { seen.push_back(p); });
  std::vector<std::uint8_t> block(length);
  cipher.EncryptByte(block, "k");
  return seen;
}

TEST(ClsXor, ProgressNotifications) {
  EXPECT_EQ(Progress(0), std::vector<int>({100}));
  EXPECT_EQ(Progress(1), std::vector<int>({0, 100}));
  EXPECT_EQ(Progress(3), std::vector<int>({0, 33, 66, 100}));
  EXPECT_EQ(Progress(10), std::vector<int>({0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
  // 150 bytes: after 0 the threshold is round(2.5) = 2 (ties to even), then round(4) ...
  const auto p150 = Progress(150);
  ASSERT_GE(p150.size(), 3u);
  EXPECT_EQ(p150[1], 1);  // n = 2: floor(2 / 150 * 100)
  // Large blocks: every percentage once, in order, ending with one 100.
  std::vector<int> all(101);
  std::iota(all.begin(), all.end(), 0);
  EXPECT_EQ(Progress(1000), all);
  EXPECT_EQ(Progress(100000), all);
}

struct HexCase {
  std::string text;
  std::string decoded;
};

TEST(HexDecode, PairsAndOddCases) {
  const std::vector<HexCase> cases = {
      {"", ""},
      {"41", "A"},
      {"4a6B", "Jk"},                       // either letter case
      {"4G", std::string(1, '\x04')},       // non-hex second digit: the first digit alone
      {"G4", std::string(1, '\0')},         // non-hex first digit: 0
      {"zz41", std::string("\0A", 2)},
      {"414", "A\x04"},                     // trailing single digit decoded by itself
      {"41G", std::string("A\0", 2)},       // trailing single non-digit: 0
      {"00FF7f", std::string("\0\xFF\x7F", 3)},
      {"3B", ";"},
  };
  for (const auto& c : cases) EXPECT_EQ(HexDecode(c.text), c.decoded) << "'" << c.text << "'";
}

TEST(HexDecode, EncodeRoundTripsEveryByte) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  EXPECT_EQ(HexEncode("A;\x01"), "413B01");
  EXPECT_EQ(HexDecode(HexEncode(all)), all);
  EXPECT_EQ(RemoveBlanks(" 4 1\t "), "41\t");  // only spaces are blanks
}

TEST(Substitution, TableIsAPinnedPermutationOfCapitals) {
  // Pinned: the table is part of the file format; changing it breaks every database.
  EXPECT_EQ(Substitute("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "QWERTYUIOPASDFGHJKLZXCVBNM");
  EXPECT_EQ(SubstituteRecord("ABCXYZ"), "JVTWFD");
  EXPECT_EQ(SubstituteRecord("abc 0123;.-_"), "abc 0123;.-_");
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  EXPECT_EQ(Unsubstitute(Substitute(all)), all);
  EXPECT_EQ(SubstituteRecord(UnsubstituteRecord(all)), all);
}

}  // namespace
}  // namespace kestro::sigdb
