#include "io/sampled_checksum.hpp"

#include <gtest/gtest.h>

#include "tests/support/checksum_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::checks {
namespace {

TEST(SampledChecksum, FixturesGiveTheirIndependentlyComputedValues) {
  test::TempDir dir;
  for (const auto& f : test::ChecksumFixtures()) {
    test::WriteFile(dir / f.name, f.bytes);
    EXPECT_EQ(SampledFileChecksum(dir / f.name), f.sampledChecksum) << f.name;
    MemoryReader memory(f.bytes);
    EXPECT_EQ(SampledFileChecksum(memory), f.sampledChecksum) << f.name << " (memory)";
  }
}

TEST(SampledChecksum, ShortAndMissingFilesCountAsZeroSamples) {
  test::TempDir dir;
  test::WriteFile(dir / "511.bin", std::vector<std::uint8_t>(511, 0xFF));
  test::WriteFile(dir / "empty.bin", "");
  EXPECT_EQ(SampledFileChecksum(dir / "511.bin"), test::kZeroSamplesChecksum);
  EXPECT_EQ(SampledFileChecksum(dir / "empty.bin"), test::kZeroSamplesChecksum);
  EXPECT_EQ(SampledFileChecksum(dir / "missing.bin"), test::kZeroSamplesChecksum);
}

TEST(SampledChecksum, OnlyTheSampledPositionsCount) {
  std::vector<std::uint8_t> a(30000, 0x41);
  auto b = a;
  for (std::size_t i = 0; i < b.size(); ++i) {
    const bool sampled = std::find(kSamplePositions.begin(), kSamplePositions.end(),
                                   static_cast<std::int32_t>(i + 1)) != kSamplePositions.end();
    if (!sampled) b[i] = static_cast<std::uint8_t>(i);
  }
  MemoryReader ra(a), rb(b);
  EXPECT_EQ(SampledFileChecksum(ra), SampledFileChecksum(rb));
  auto c = a;
  c[511] = 0x42;  // position 512
  MemoryReader rc(c);
  EXPECT_NE(SampledFileChecksum(ra), SampledFileChecksum(rc));
}

TEST(SampledChecksum, JoinedTextUsesDecimalWithoutSeparators) {
  std::vector<std::uint8_t> bytes(23000, 0);
  bytes[511] = 7;      // "7"
  bytes[1023] = 42;    // "42"
  bytes[2047] = 255;   // "255"
  MemoryReader r(bytes);
  EXPECT_EQ(SampledText(r), "742255" + std::string(21, '0'));
}

}  // namespace
}  // namespace kestro::checks
