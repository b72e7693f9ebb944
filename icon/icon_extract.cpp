#include "icon/icon_extract.hpp"

#include <algorithm>

#include "icon/icon_render.hpp"
#include "icon/pe_image_view.hpp"
#include "icon/resource_directory.hpp"

namespace kestro::checks {
namespace {

constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr int kSmallIconSide = 16;
constexpr int kLargeIconSide = 32;
// Largest group: a 6-byte header and 65,535 entries of 14 bytes.
constexpr std::uint32_t kMaxGroupBytes = 6 + 65535u * 14u;
// Largest bitmap image: header, 256 colours, 256 x 256 x 32 bits and the mask.
constexpr std::uint32_t kMaxImageBytes = 40 + 256 * 4 + 256 * 256 * 4 + 256 * 32;

using LookupStatus = ResourceLookup::Status;

IconStatus StatusOf(LookupStatus s) {
  return s == LookupStatus::Malformed ? IconStatus::Malformed : IconStatus::NoIcon;
}

// Reads a resource's bytes, at most `limit` of them: data beyond what any valid
// resource of the kind needs is never read.
std::optional<Bytes> ReadResource(PeImageView& image, const ResourceData& data, std::uint32_t limit) {
  return image.Read(data.rva, std::min(data.size, limit));
}

// Loads and decodes the image of one group entry.
IconStatus LoadImage(PeImageView& image, ResourceDirectory& resources, std::uint16_t iconId,
                     IconImage& out) {
  const ResourceLookup lookup = resources.ById(kResourceTypeIcon, iconId);
  if (lookup.status != LookupStatus::Found) return IconStatus::Malformed;  // the group names it
  const auto bytes = ReadResource(image, lookup.data, kMaxImageBytes);
  if (!bytes) return IconStatus::Malformed;
  switch (DecodeIconImage(*bytes, out)) {
    case IconDecodeStatus::Ok: return IconStatus::Found;
    case IconDecodeStatus::Png: return IconStatus::NoIcon;
    case IconDecodeStatus::Malformed: break;
  }
  return IconStatus::Malformed;
}

}  // namespace

IconExtraction ExtractFirstIcon(PositionedReader& file) {
  IconExtraction result;
  PeImageView image(file);
  switch (image.Open(kResourceDirectoryIndex)) {
    case PeImageView::OpenResult::Ok: break;
    case PeImageView::OpenResult::NotPe: return result;
    case PeImageView::OpenResult::Malformed: result.status = IconStatus::Malformed; return result;
  }
  if (image.DirectoryRva() == 0) return result;

  ResourceDirectory resources(image, image.DirectoryRva());
  const ResourceLookup group = resources.FirstOfType(kResourceTypeGroupIcon);
  if (group.status != LookupStatus::Found) {
    result.status = StatusOf(group.status);
    return result;
  }
  const auto groupBytes = ReadResource(image, group.data, kMaxGroupBytes);
  const auto entries = groupBytes ? ParseIconGroup(*groupBytes) : std::nullopt;
  if (!entries) {
    result.status = IconStatus::Malformed;
    return result;
  }

  // The small image first, the large one when the small one gives nothing. The
  // file is malformed when an attempt met broken data and none succeeded.
  bool sawMalformed = false;
  for (const int side : {kSmallIconSide, kLargeIconSide}) {
    const auto chosen = ChooseIconEntry(*entries, side);
    if (!chosen) break;  // an empty group: no icon
    const IconStatus status = LoadImage(image, resources, (*entries)[*chosen].iconId, result.image);
    if (status == IconStatus::Found) {
      result.status = IconStatus::Found;
      return result;
    }
    if (status == IconStatus::Malformed) sawMalformed = true;
  }
  result.image = IconImage{};
  result.status = sawMalformed ? IconStatus::Malformed : IconStatus::NoIcon;
  return result;
}

IconRendering RenderFirstIcon(PositionedReader& file) {
  const IconExtraction icon = ExtractFirstIcon(file);
  IconRendering result;
  result.status = icon.status;
  if (icon.status == IconStatus::Found) result.bitmap = RenderIconBitmap(&icon.image);
  return result;
}

std::optional<std::string> IconValueOf(PositionedReader& file) {
  const IconRendering rendering = RenderFirstIcon(file);
  switch (rendering.status) {
    case IconStatus::Found: return IconValueOfBitmap(rendering.bitmap);
    case IconStatus::NoIcon: return std::string();
    case IconStatus::Malformed: break;
  }
  return std::nullopt;
}

}  // namespace kestro::checks
