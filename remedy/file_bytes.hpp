#pragma once
// Whole-file reads and writes for the container files (a file written piece by
// piece that takes its final name only once complete is platform/staged_file.hpp).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace kestro::remedy {

// The whole file, or nothing when it cannot be read, is not a regular file or
// is 2 GiB or larger.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path);

// Creates or truncates the file and writes the bytes; on failure removes what
// was written and answers false.
bool WriteWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace kestro::remedy
