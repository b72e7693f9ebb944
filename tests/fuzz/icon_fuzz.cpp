// Fuzzes the icon extraction over arbitrary bytes: the PE view, the resource
// directory walk, group parsing, image choice, decoding and rendering. The
// first byte also routes the rest straight into the group parser and the image
// decoder, so their bounds are reached without a valid PE around them.
#include <cstddef>
#include <cstdint>
#include <span>

#include "icon/icon_extract.hpp"
#include "icon/icon_image.hpp"
#include "icon/icon_render.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestro::checks;
  const std::span<const std::uint8_t> bytes(data, size);
  if (size > 0 && data[0] == 0xA5) {
    const auto rest = bytes.subspan(1);
    (void)ParseIconGroup(rest);
    IconImage image;
    if (DecodeIconImage(rest, image) == IconDecodeStatus::Ok) (void)RenderIconBitmap(&image);
    return 0;
  }
  MemoryReader reader(bytes);
  (void)IconValueOf(reader);
  return 0;
}
