#include "icon/resource_directory.hpp"

#include <limits>

#include "io/le_fields.hpp"

namespace kestro::checks {
namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint32_t kDirectoryHeaderSize = 16;
constexpr std::uint32_t kEntrySize = 8;
constexpr std::uint32_t kDataEntrySize = 16;

using Status = ResourceLookup::Status;

}  // namespace

ResourceDirectory::Level ResourceDirectory::Find(std::uint32_t offset, std::optional<std::uint16_t> id) {
  const std::uint64_t at = static_cast<std::uint64_t>(rootRva_) + offset;
  if (at > std::numeric_limits<std::uint32_t>::max()) return {Status::Malformed};
  const auto header = image_.Read(static_cast<std::uint32_t>(at), kDirectoryHeaderSize);
  if (!header) return {Status::Malformed};
  const std::uint32_t named = *LoadU16(*header, 12);
  const std::uint32_t ids = *LoadU16(*header, 14);
  const std::uint32_t count = named + ids;
  if (count == 0) return {Status::Absent};
  // Only as many entries as are needed: all of them for a search by id (at most
  // 131,070 entries, 1 MiB), one for "the first".
  const std::uint32_t wanted = id ? count : 1;
  const std::uint64_t entriesAt = at + kDirectoryHeaderSize;
  if (entriesAt > std::numeric_limits<std::uint32_t>::max()) return {Status::Malformed};
  const auto entries = image_.Read(static_cast<std::uint32_t>(entriesAt), wanted * kEntrySize);
  if (!entries) return {Status::Malformed};
  for (std::uint32_t i = 0; i < wanted; ++i) {
    const Entry e{*LoadU32(*entries, i * kEntrySize), *LoadU32(*entries, i * kEntrySize + 4)};
    if (id && ((e.name & kHighBit) != 0 || (e.name & 0xFFFFu) != *id)) continue;
    return {Status::Found, e.target & ~kHighBit, (e.target & kHighBit) != 0};
  }
  return {Status::Absent};
}

ResourceLookup ResourceDirectory::ReadDataEntry(std::uint32_t offset) {
  const std::uint64_t at = static_cast<std::uint64_t>(rootRva_) + offset;
  if (at > std::numeric_limits<std::uint32_t>::max()) return {Status::Malformed};
  const auto entry = image_.Read(static_cast<std::uint32_t>(at), kDataEntrySize);
  if (!entry) return {Status::Malformed};
  return {Status::Found, {*LoadU32(*entry, 0), *LoadU32(*entry, 4)}};
}

ResourceLookup ResourceDirectory::Descend(Level typeLevel, std::optional<std::uint16_t> nameId) {
  if (typeLevel.status != Status::Found) return {typeLevel.status};
  // A well-formed directory has subdirectories at the type and name levels
  // and data entries below the language level; anything else is malformed.
  if (!typeLevel.isDirectory) return {Status::Malformed};
  const Level name = Find(typeLevel.offset, nameId);
  if (name.status != Status::Found) return {name.status};
  if (!name.isDirectory) return {Status::Malformed};
  const Level language = Find(name.offset, std::nullopt);
  if (language.status != Status::Found) return {language.status};
  if (language.isDirectory) return {Status::Malformed};
  return ReadDataEntry(language.offset);
}

ResourceLookup ResourceDirectory::FirstOfType(std::uint16_t typeId) {
  if (rootRva_ == 0) return {Status::Absent};
  return Descend(Find(0, typeId), std::nullopt);
}

ResourceLookup ResourceDirectory::ById(std::uint16_t typeId, std::uint16_t nameId) {
  if (rootRva_ == 0) return {Status::Absent};
  return Descend(Find(0, typeId), nameId);
}

}  // namespace kestro::checks
