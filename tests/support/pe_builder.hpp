#pragma once
// Builds 32-bit PE images for tests: DOS header, optional stub bytes (such as a
// Rich stamp) before the NT headers, sections with names, characteristics, sizes
// and raw bytes, and an entry point. Fields can be overridden to make malformed
// images.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestro::test {

struct PeSection {
  std::string name;                 // up to 8 bytes, NUL padded
  std::uint32_t characteristics = 0x60000020u;
  std::vector<std::uint8_t> raw;    // raw data, placed at the next file-aligned offset
  std::uint32_t virtualSize = 0;    // 0: the raw size
  std::optional<std::uint32_t> virtualAddress;    // default: laid out after the previous section
  std::optional<std::uint32_t> sizeOfRawData;     // default: raw size rounded up to file alignment
  std::optional<std::uint32_t> pointerToRawData;  // default: where the raw bytes are placed
};

struct PeImage {
  std::vector<std::uint8_t> stub;   // bytes between the 64-byte DOS header and the NT headers
  std::uint16_t machine = 0x014C;
  std::uint16_t characteristics = 0x0102;  // executable, 32-bit machine
  std::uint32_t entryPoint = 0x1000;
  std::uint32_t fileAlignment = 0x200;
  std::uint32_t sectionAlignment = 0x1000;
  std::uint16_t subsystem = 2;
  std::vector<PeSection> sections;
  std::optional<std::int32_t> eLfanew;            // default: 64 + stub size, rounded up to 8
  std::optional<std::int16_t> numberOfSections;   // default: sections.size()
  std::uint32_t signature = 0x00004550u;          // "PE\0\0"
  // Data directory entries (RVA, size) by index, e.g. 2 for resources.
  std::vector<std::pair<int, std::pair<std::uint32_t, std::uint32_t>>> directories;
  std::vector<std::uint8_t> overlay;              // bytes appended after the last section

  std::vector<std::uint8_t> Build() const;

  // Virtual address a section will get (for entry points and directories).
  std::uint32_t SectionRva(std::size_t index) const;
};

}  // namespace kestro::test
