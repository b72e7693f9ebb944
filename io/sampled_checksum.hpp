#pragma once
// The sampled file checksum: CRC-32 text of the decimal values of 24 bytes taken
// at fixed positions. It identifies a file while reading only 24 bytes of it.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "io/positioned_reader.hpp"

namespace kestro::checks {

// 1-based byte positions, in sampling order.
inline constexpr std::array<std::int32_t, 24> kSamplePositions = {
    512,   1024,  2048,  3000,  4096,  5000,  6000,  7000,  8192,  9000,  10000, 11000,
    12288, 13000, 14000, 15000, 16384, 17000, 18000, 19000, 20480, 21000, 22000, 23000};

// The joined decimal text of the 24 sampled values (a position past the end, or a
// byte that cannot be read, counts as 0).
std::string SampledText(PositionedReader& reader);

// Checksum text of the sampled bytes.
std::string SampledFileChecksum(PositionedReader& reader);

// Opens the file (read, full sharing), samples it and closes it. A file that
// cannot be opened gives the checksum of 24 zero samples.
std::string SampledFileChecksum(const std::filesystem::path& path);

}  // namespace kestro::checks
