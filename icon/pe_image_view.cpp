#include "icon/pe_image_view.hpp"

#include <algorithm>
#include <limits>

#include "io/le_fields.hpp"

namespace kestro::checks {
namespace {

constexpr std::uint16_t kMz = 0x5A4D;
constexpr std::uint32_t kPeSignature = 0x00004550u;
constexpr std::uint16_t kMagicPe32 = 0x010B;
constexpr std::uint16_t kMagicPe32Plus = 0x020B;
constexpr std::uint32_t kSectionRecordSize = 40;
// The Windows loader refuses images with more sections than this.
constexpr std::uint32_t kMaxSections = 96;

}  // namespace

std::optional<Bytes> PeImageView::ReadFile(std::uint64_t offset, std::uint32_t length) {
  constexpr auto kMaxPos = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  if (length == 0) return Bytes{};
  if (offset + 1 > kMaxPos || length > kMaxPos) return std::nullopt;
  Bytes out;
  const std::int32_t got = reader_.ReadAt(static_cast<std::int32_t>(offset + 1),
                                          static_cast<std::int32_t>(length), out);
  if (got < 0 || static_cast<std::uint32_t>(got) != length || out.size() != length) return std::nullopt;
  return out;
}

PeImageView::OpenResult PeImageView::Open(std::uint32_t directoryIndex) {
  const auto dos = ReadFile(0, 64);
  if (!dos || LoadU16(*dos, 0) != kMz) return OpenResult::NotPe;
  const std::uint32_t lfanew = *LoadU32(*dos, 60);
  // Signature, file header and the magic of the optional header.
  const auto nt = ReadFile(lfanew, 26);
  if (!nt || LoadU32(*nt, 0) != kPeSignature) return OpenResult::NotPe;
  const std::uint16_t magic = *LoadU16(*nt, 24);
  if (magic != kMagicPe32 && magic != kMagicPe32Plus) return OpenResult::NotPe;

  const std::uint32_t sectionCount = *LoadU16(*nt, 6);
  const std::uint32_t optionalSize = *LoadU16(*nt, 20);
  if (sectionCount > kMaxSections) return OpenResult::Malformed;
  const auto optional = ReadFile(static_cast<std::uint64_t>(lfanew) + 24, optionalSize);
  if (!optional) return OpenResult::Malformed;

  // Offsets inside the optional header differ between the two magics.
  const std::uint64_t countAt = magic == kMagicPe32 ? 92 : 108;
  const std::uint64_t directoriesAt = magic == kMagicPe32 ? 96 : 112;
  sizeOfHeaders_ = LoadU32(*optional, 60).value_or(0);
  const std::uint32_t directoryCount = LoadU32(*optional, countAt).value_or(0);
  directoryRva_ = 0;
  directorySize_ = 0;
  if (directoryIndex < directoryCount) {
    const std::uint64_t at = directoriesAt + static_cast<std::uint64_t>(directoryIndex) * 8;
    directoryRva_ = LoadU32(*optional, at).value_or(0);
    directorySize_ = LoadU32(*optional, at + 4).value_or(0);
  }

  const std::uint64_t tableAt = static_cast<std::uint64_t>(lfanew) + 24 + optionalSize;
  const auto table = ReadFile(tableAt, sectionCount * kSectionRecordSize);
  if (!table) return OpenResult::Malformed;
  sections_.clear();
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t rec = static_cast<std::uint64_t>(i) * kSectionRecordSize;
    Section s;
    const std::uint32_t virtualSize = *LoadU32(*table, rec + 8);
    s.virtualAddress = *LoadU32(*table, rec + 12);
    s.rawSize = *LoadU32(*table, rec + 16);
    s.rawPointer = *LoadU32(*table, rec + 20);
    s.virtualSpan = std::max(virtualSize, s.rawSize);
    sections_.push_back(s);
  }
  return OpenResult::Ok;
}

std::optional<std::uint64_t> PeImageView::FileOffset(std::uint32_t rva, std::uint32_t length) const {
  const std::uint64_t end = static_cast<std::uint64_t>(rva) + length;
  for (const Section& s : sections_) {
    const std::uint64_t sectionEnd = static_cast<std::uint64_t>(s.virtualAddress) + s.virtualSpan;
    if (rva < s.virtualAddress || rva >= sectionEnd) continue;
    const std::uint64_t into = rva - s.virtualAddress;
    if (into + length > s.rawSize) return std::nullopt;
    return static_cast<std::uint64_t>(s.rawPointer) + into;
  }
  // The headers are mapped at RVA 0 as they stand in the file.
  if (end <= sizeOfHeaders_) return rva;
  return std::nullopt;
}

std::optional<Bytes> PeImageView::Read(std::uint32_t rva, std::uint32_t length) {
  const auto offset = FileOffset(rva, length);
  if (!offset) return std::nullopt;
  return ReadFile(*offset, length);
}

}  // namespace kestro::checks
