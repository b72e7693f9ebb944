#pragma once
// Walks the resource directory of a PE image: type, then name, then language,
// then the data entry that gives the RVA and size of the resource bytes.
//
// The walk always goes exactly three levels deep and reads one directory per
// level, so offsets that point back at a parent cannot make it loop: such a
// directory ends as "malformed" when the levels do not fit. Entry counts come
// from the file and are bounded by the bytes that really exist.

#include <cstdint>
#include <optional>

#include "icon/pe_image_view.hpp"

namespace kestro::checks {

// Resource type identifiers used by the icon heuristic.
inline constexpr std::uint16_t kResourceTypeIcon = 3;
inline constexpr std::uint16_t kResourceTypeGroupIcon = 14;

struct ResourceData {
  std::uint32_t rva = 0;
  std::uint32_t size = 0;
};

struct ResourceLookup {
  enum class Status { Found, Absent, Malformed };
  Status status = Status::Absent;
  ResourceData data;
};

class ResourceDirectory {
 public:
  // `rootRva` is the resource data directory's RVA (0: the image has none).
  ResourceDirectory(PeImageView& image, std::uint32_t rootRva) : image_(image), rootRva_(rootRva) {}

  // The first resource of the type in directory order (named entries first,
  // then numeric ids as stored, ascending in a well-formed file), first language.
  // This is the order in which the shell's icon extraction counts icon groups.
  ResourceLookup FirstOfType(std::uint16_t typeId);

  // The resource of the type with the numeric name `nameId`, first language.
  ResourceLookup ById(std::uint16_t typeId, std::uint16_t nameId);

 private:
  struct Entry {
    std::uint32_t name = 0;    // high bit: named entry; otherwise id in the low 16 bits
    std::uint32_t target = 0;  // high bit: subdirectory offset; otherwise data entry offset
  };
  struct Level {
    ResourceLookup::Status status = ResourceLookup::Status::Absent;
    std::uint32_t offset = 0;  // offset of the subdirectory or data entry, from the root
    bool isDirectory = false;
  };

  // The first entry of the directory at `offset` (from the root), or the first
  // entry whose numeric id is `id` when `id` is given.
  Level Find(std::uint32_t offset, std::optional<std::uint16_t> id);
  ResourceLookup Descend(Level typeLevel, std::optional<std::uint16_t> nameId);
  ResourceLookup ReadDataEntry(std::uint32_t offset);

  PeImageView& image_;
  std::uint32_t rootRva_;
};

}  // namespace kestro::checks
