#pragma once
// Reading the headers of 32-bit Portable Executable images.
//
// Every header value read from a file is a claim to check: reads go through a
// PositionedReader (bounds-checked, 1-based positions), and a header that points
// outside the file ends the operation with its "nothing" result.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "io/cls_file.hpp"
#include "io/positioned_reader.hpp"

namespace kestro::checks::mdlPE {

// Published layout sizes and offsets (PE/COFF, little-endian).
inline constexpr std::int32_t kDosHeaderSize = 64;
inline constexpr std::int32_t kLfanewOffset = 60;
inline constexpr std::int32_t kNtHeadersSize = 248;  // signature + file header + 32-bit optional header
inline constexpr std::int32_t kFileHeaderSize = 20;
inline constexpr std::int32_t kSectionRecordSize = 40;
inline constexpr std::int32_t kNtNumberOfSections = 6;
inline constexpr std::int32_t kNtCharacteristics = 22;
inline constexpr std::int32_t kNtAddressOfEntryPoint = 40;
inline constexpr std::uint16_t kImageFile32BitMachine = 0x0100;

// Section characteristic bits used by the checks.
inline constexpr std::uint32_t kSectionCode = 0x00000020u;
inline constexpr std::uint32_t kSectionExecute = 0x20000000u;
inline constexpr std::uint32_t kSectionRead = 0x40000000u;
inline constexpr std::uint32_t kSectionWrite = 0x80000000u;

// One section table record, 32-bit fields as signed values.
struct SectionRecord {
  std::array<std::uint8_t, 8> Name{};
  std::int32_t VirtualSize = 0;
  std::int32_t VirtualAddress = 0;
  std::int32_t SizeOfRawData = 0;
  std::int32_t PointerToRawData = 0;
  std::int32_t PointerToRelocations = 0;
  std::int32_t PointerToLinenumbers = 0;
  std::int16_t NumberOfRelocations = 0;
  std::int16_t NumberOfLinenumbers = 0;
  std::int32_t Characteristics = 0;
};

// Decodes a 40-byte record; false when fewer than 40 bytes are given.
bool ParseSectionRecord(std::span<const std::uint8_t> record, SectionRecord& out);

// Handle from clsFile::VbOpenFile with read/existing and full sharing, or 0.
std::int32_t OpenForChecking(const std::filesystem::path& path);
std::int32_t ReadAt(std::int32_t handle, std::int32_t startPos, std::int32_t length, Bytes& block);
std::int32_t SizeOf(std::int32_t handle);
std::int32_t CloseFile(std::int32_t handle);

// Opens, reads and closes; true when at least one byte was read.
bool ReadBlockOfFile(const std::filesystem::path& path, std::int32_t startPos, std::int32_t length,
                     Bytes& block);

// e_lfanew of a 32-bit PE image, or 0.
std::int32_t ProbePE(PositionedReader& reader);
std::int32_t ProbePE(std::int32_t handle);

// Hexadecimal text of the first 9 bytes of the last section's raw data (fewer
// when the file ends earlier); empty when there are no sections, the section
// table runs past the end, or the raw data lies outside the file.
std::string LastSectionHeadText(PositionedReader& reader, std::int32_t eLfanew);
std::string LastSectionHeadText(std::int32_t handle, std::int32_t eLfanew);

// The 8 name bytes as text with every "." removed; NUL characters stay.
std::string SectionNameText(std::span<const std::uint8_t> nameBytes);

}  // namespace kestro::checks::mdlPE
