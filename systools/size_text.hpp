// The short size text shown in the process list and the detail window.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace kestro::systools {

// Below 1,023 bytes: "###,###" + "  B"; up to 1,048,574: KB; up to
// 1,073,741,822: MB; from 1,073,741,823: GB (integer parts, "###,###", so 0
// prints no digit: an empty file gives "  B" and 1,023 bytes give " KB").
// Sizes are 64-bit, so a file of 2 GiB or more stays in the GB row instead of
// wrapping to a negative 32-bit count.
std::wstring SizeText(std::int64_t sizeInBytes);

// The size of the file through the binary file access (open, size, close);
// when that gives 0 or less, the file system's own length. -1 when neither can
// be read.
std::int64_t FileSizeForText(const std::filesystem::path& path);

// SizeText(FileSizeForText(path)), and an empty text when the size cannot be read.
std::wstring FileSizeText(const std::filesystem::path& path);

// Working-set bytes in the "Mem. Usage" column: KB, "###,###", then " KB".
std::wstring MemoryUsageText(std::uint64_t workingSetBytes);

}  // namespace kestro::systools
