#include "io/mdl_pe.hpp"

#include "io/hex_text.hpp"
#include "io/le_fields.hpp"

namespace kestro::checks::mdlPE {

bool ParseSectionRecord(std::span<const std::uint8_t> record, SectionRecord& out) {
  if (record.size() < static_cast<std::size_t>(kSectionRecordSize)) return false;
  for (std::size_t i = 0; i < 8; ++i) out.Name[i] = record[i];
  out.VirtualSize = *LoadI32(record, 8);
  out.VirtualAddress = *LoadI32(record, 12);
  out.SizeOfRawData = *LoadI32(record, 16);
  out.PointerToRawData = *LoadI32(record, 20);
  out.PointerToRelocations = *LoadI32(record, 24);
  out.PointerToLinenumbers = *LoadI32(record, 28);
  out.NumberOfRelocations = *LoadI16(record, 32);
  out.NumberOfLinenumbers = *LoadI16(record, 34);
  out.Characteristics = *LoadI32(record, 36);
  return true;
}

std::int32_t OpenForChecking(const std::filesystem::path& path) {
  return clsFile{}.VbOpenFile(path, 1, 4);
}

std::int32_t ReadAt(std::int32_t handle, std::int32_t startPos, std::int32_t length, Bytes& block) {
  return clsFile{}.VbReadFileB(handle, startPos, length, block);
}

std::int32_t SizeOf(std::int32_t handle) { return clsFile{}.VbFileLen(handle); }

std::int32_t CloseFile(std::int32_t handle) { return clsFile{}.VbCloseFile(handle); }

bool ReadBlockOfFile(const std::filesystem::path& path, std::int32_t startPos, std::int32_t length,
                     Bytes& block) {
  block.clear();
  const std::int32_t handle = OpenForChecking(path);
  bool ok = false;
  if (handle >= 1) {
    ok = ReadAt(handle, startPos, length, block) > 0;
    CloseFile(handle);
  }
  return ok;
}

std::int32_t ProbePE(PositionedReader& reader) {
  Bytes block;
  if (reader.ReadAt(1, kDosHeaderSize, block) <= 0) return 0;
  if (LoadU16(block, 0).value_or(0) != 0x5A4D) return 0;
  const std::int32_t eLfanew = LoadI32(block, kLfanewOffset).value_or(0);
  // Positions are 1-based; e_lfanew is a 0-based offset. An offset at the top of
  // the 32-bit range has no 1-based position and cannot be a header.
  if (eLfanew < 0 || eLfanew > INT32_MAX - kNtHeadersSize - 1) return 0;

  if (reader.ReadAt(eLfanew + 1, 4, block) <= 0) return 0;
  if (LoadU16(block, 0).value_or(0) != 0x4550) return 0;

  if (reader.ReadAt(eLfanew + 5, kFileHeaderSize, block) <= 0) return 0;
  const auto characteristics = LoadU16(block, kNtCharacteristics - 4);
  if (!characteristics || (*characteristics & kImageFile32BitMachine) == 0) return 0;
  return eLfanew;
}

std::int32_t ProbePE(std::int32_t handle) {
  HandleReader reader(handle);
  return ProbePE(reader);
}

std::string LastSectionHeadText(PositionedReader& reader, std::int32_t eLfanew) {
  if (eLfanew < 0 || eLfanew > INT32_MAX - kNtHeadersSize - 1) return {};
  Bytes block;
  if (reader.ReadAt(eLfanew + 1, kNtHeadersSize, block) <= 0) return {};
  const std::int16_t sections = LoadI16(block, kNtNumberOfSections).value_or(0);
  if (sections <= 0) return {};

  // The whole table must lie inside the file; its last record is at its end, so
  // reading that record whole proves it.
  const std::int64_t lastRecordPos = static_cast<std::int64_t>(eLfanew) + kNtHeadersSize +
                                     static_cast<std::int64_t>(sections - 1) * kSectionRecordSize + 1;
  if (lastRecordPos > INT32_MAX) return {};
  if (reader.ReadAt(static_cast<std::int32_t>(lastRecordPos), kSectionRecordSize, block) !=
      kSectionRecordSize) {
    return {};
  }
  SectionRecord last;
  ParseSectionRecord(block, last);
  if (last.PointerToRawData < 0 || last.PointerToRawData == INT32_MAX) return {};
  if (reader.ReadAt(last.PointerToRawData + 1, 9, block) <= 0) return {};
  return HexOfBytes(block);
}

std::string LastSectionHeadText(std::int32_t handle, std::int32_t eLfanew) {
  HandleReader reader(handle);
  return LastSectionHeadText(reader, eLfanew);
}

std::string SectionNameText(std::span<const std::uint8_t> nameBytes) {
  std::string text;
  for (std::size_t i = 0; i < nameBytes.size() && i < 8; ++i) {
    if (nameBytes[i] != '.') text.push_back(static_cast<char>(nameBytes[i]));
  }
  return text;
}

}  // namespace kestro::checks::mdlPE
