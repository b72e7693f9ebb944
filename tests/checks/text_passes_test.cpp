// The vector passes over text against byte-by-byte definitions: the script
// character statistic and NUL removal, at every length around their block sizes
// and on texts long enough to flush the statistic's per-byte counters.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "checks/nul_free_text.hpp"
#include "checks/script_statistic.hpp"

namespace kestro::test {
namespace {

std::vector<std::uint8_t> Text(std::mt19937& random, std::size_t length) {
  // NUL, the statistic's range edges and their neighbours, and anything else.
  static const std::uint8_t pick[] = {0, 0, 31, 32, 33, 48, 57, 58, 'a', 'Z', 0x80, 0xFF, 0xE0};
  std::vector<std::uint8_t> out(length);
  for (auto& b : out) b = random() % 4 == 0 ? static_cast<std::uint8_t>(random()) : pick[random() % std::size(pick)];
  return out;
}

TEST(TextPasses, StatisticCountsLikeTheDefinition) {
  std::mt19937 random(57);
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 40; ++n) lengths.push_back(n);
  lengths.insert(lengths.end(), {4079, 4080, 4081, 4096, 100000});
  for (const std::size_t length : lengths) {
    const auto text = Text(random, length);
    std::int64_t inRange = 0;
    std::int64_t others = 0;
    for (const std::uint8_t b : text) {
      if (b == 0) continue;
      (b >= 32 && b <= 57 ? inRange : others)++;
    }
    const auto counts = checks::CountScriptCharacters(text);
    EXPECT_EQ(counts.inRange, inRange) << "length " << length;
    EXPECT_EQ(counts.others, others) << "length " << length;
  }
  // All 255 per-byte counter rounds full of matches, then more.
  const std::vector<std::uint8_t> digits(255 * 16 * 3 + 7, '5');
  EXPECT_EQ(checks::CountScriptCharacters(digits).inRange, static_cast<std::int64_t>(digits.size()));
}

TEST(TextPasses, NulRemovalKeepsEverythingElseInOrder) {
  std::mt19937 random(0);
  for (std::size_t length = 0; length <= 70; ++length) {
    for (int round = 0; round < 20; ++round) {
      const auto text = Text(random, length);
      std::vector<std::uint8_t> expected;
      for (const std::uint8_t b : text) {
        if (b != 0) expected.push_back(b);
      }
      std::vector<std::uint8_t> out(text.size() + 1, 0xAA);
      const std::size_t count = checks::CopyWithoutNul(text, out.data());
      ASSERT_EQ(count, expected.size());
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.begin())) << "length " << length;
      EXPECT_EQ(out[text.size()], 0xAA) << "wrote past the room given";
    }
  }
}

}  // namespace
}  // namespace kestro::test
