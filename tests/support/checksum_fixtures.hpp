#pragma once
// Deterministic fixture files for the sampled checksum, with expected values
// computed independently (zlib's crc32 over the joined decimal sample text).
// Both build trees assert the same values, so the Windows engine library and the
// native tool are held to one answer.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestro::test {

struct ChecksumFixture {
  std::string name;
  std::vector<std::uint8_t> bytes;
  std::string sampledChecksum;
};

inline std::vector<ChecksumFixture> ChecksumFixtures() {
  std::vector<ChecksumFixture> fixtures;
  std::vector<std::uint8_t> shortFile(100);
  for (std::size_t i = 0; i < shortFile.size(); ++i) shortFile[i] = static_cast<std::uint8_t>((i * 7 + 3) % 256);
  // Every sample lies past the end: the checksum of 24 zero samples.
  fixtures.push_back({"short.bin", shortFile, "17FFF7AB"});
  std::vector<std::uint8_t> full(23000);
  for (std::size_t i = 0; i < full.size(); ++i) full[i] = static_cast<std::uint8_t>(i % 251 + 1);
  // Every sampled byte is non-zero (the last sample is the file's last byte).
  fixtures.push_back({"full.bin", full, "F4961D90"});
  // Samples up to position 10000 present, the rest past the end.
  fixtures.push_back({"half.bin", std::vector<std::uint8_t>(full.begin(), full.begin() + 10000), "DDABA350"});
  return fixtures;
}

inline constexpr const char* kZeroSamplesChecksum = "17FFF7AB";

}  // namespace kestro::test
