#pragma once
// A view of a PE image (32- or 64-bit) by relative virtual address, for readers
// of the data directories such as the resource directory.
//
// Every header field is a claim to check: the section table and each RVA read
// are bounds-checked against the file, and a read answers "not there" rather
// than reading past the end. Bytes a loader would zero-fill (beyond a section's
// raw data) are "not there" too: resources never legitimately live there.

#include <cstdint>
#include <optional>
#include <vector>

#include "io/cls_file.hpp"
#include "io/positioned_reader.hpp"

namespace kestro::checks {

class PeImageView {
 public:
  enum class OpenResult { Ok, NotPe, Malformed };

  explicit PeImageView(PositionedReader& reader) : reader_(reader) {}

  // Reads the DOS and NT headers, one data directory entry and the section
  // table. NotPe: no "MZ"/"PE\0\0" or an unknown optional-header magic.
  OpenResult Open(std::uint32_t directoryIndex);

  // The data directory entry chosen at Open (0, 0 when the image has none).
  std::uint32_t DirectoryRva() const { return directoryRva_; }
  std::uint32_t DirectorySize() const { return directorySize_; }

  // Exactly `length` bytes at `rva`, or nothing when any of them lies outside
  // the file or outside the raw data of the section that holds `rva`.
  std::optional<Bytes> Read(std::uint32_t rva, std::uint32_t length);

  // File offset (0-based) of `length` bytes at `rva`, under the same rules.
  std::optional<std::uint64_t> FileOffset(std::uint32_t rva, std::uint32_t length) const;

 private:
  struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSpan = 0;  // max(VirtualSize, SizeOfRawData)
    std::uint32_t rawSize = 0;
    std::uint32_t rawPointer = 0;
  };

  std::optional<Bytes> ReadFile(std::uint64_t offset, std::uint32_t length);

  PositionedReader& reader_;
  std::uint32_t sizeOfHeaders_ = 0;
  std::uint32_t directoryRva_ = 0;
  std::uint32_t directorySize_ = 0;
  std::vector<Section> sections_;
};

}  // namespace kestro::checks
