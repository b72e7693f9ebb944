#include "tests/support/pe_builder.hpp"

#include <algorithm>

namespace kestro::test {
namespace {

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment) {
  if (alignment == 0) return value;
  return (value + alignment - 1) / alignment * alignment;
}

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::uint32_t PeImage::SectionRva(std::size_t index) const {
  std::uint32_t rva = sectionAlignment;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const PeSection& s = sections[i];
    const std::uint32_t va = s.virtualAddress.value_or(rva);
    if (i == index) return va;
    const std::uint32_t vsize = s.virtualSize != 0 ? s.virtualSize : static_cast<std::uint32_t>(s.raw.size());
    rva = AlignUp(va + std::max<std::uint32_t>(vsize, 1), sectionAlignment);
  }
  return rva;
}

std::vector<std::uint8_t> PeImage::Build() const {
  std::vector<std::uint8_t> out(64 + stub.size(), 0);
  out[0] = 'M';
  out[1] = 'Z';
  for (std::size_t i = 0; i < stub.size(); ++i) out[64 + i] = stub[i];
  const std::uint32_t defaultLfanew = AlignUp(static_cast<std::uint32_t>(out.size()), 8);
  const std::int32_t lfanew = eLfanew.value_or(static_cast<std::int32_t>(defaultLfanew));
  Put32(out, 60, static_cast<std::uint32_t>(lfanew));
  // A header offset outside a test-sized file: the image is the DOS header only.
  if (lfanew < 0 || lfanew > (1 << 24)) return out;
  const std::size_t nt = static_cast<std::size_t>(lfanew);
  if (out.size() < nt) out.resize(nt, 0);

  const std::size_t headersEnd = nt + 248 + sections.size() * 40;
  out.resize(std::max(out.size(), headersEnd), 0);
  Put32(out, nt, signature);
  Put16(out, nt + 4, machine);
  Put16(out, nt + 6, static_cast<std::uint16_t>(numberOfSections.value_or(static_cast<std::int16_t>(sections.size()))));
  Put16(out, nt + 20, 224);
  Put16(out, nt + 22, characteristics);
  Put16(out, nt + 24, 0x010B);
  Put32(out, nt + 40, entryPoint);
  Put32(out, nt + 52, 0x00400000u);
  Put32(out, nt + 56, sectionAlignment);
  Put32(out, nt + 60, fileAlignment);
  Put16(out, nt + 64, 4);
  Put16(out, nt + 72, 4);
  Put32(out, nt + 84, AlignUp(static_cast<std::uint32_t>(headersEnd), fileAlignment));
  Put16(out, nt + 92, subsystem);
  Put32(out, nt + 116, 16);
  for (const auto& [index, entry] : directories) {
    Put32(out, nt + 120 + static_cast<std::size_t>(index) * 8, entry.first);
    Put32(out, nt + 124 + static_cast<std::size_t>(index) * 8, entry.second);
  }

  std::uint32_t rawPos = AlignUp(static_cast<std::uint32_t>(headersEnd), fileAlignment);
  std::uint32_t imageEnd = sectionAlignment;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const PeSection& s = sections[i];
    const std::size_t rec = nt + 248 + i * 40;
    for (std::size_t c = 0; c < 8 && c < s.name.size(); ++c) out[rec + c] = static_cast<std::uint8_t>(s.name[c]);
    const std::uint32_t va = SectionRva(i);
    const std::uint32_t vsize = s.virtualSize != 0 ? s.virtualSize : static_cast<std::uint32_t>(s.raw.size());
    const std::uint32_t rawSize = AlignUp(static_cast<std::uint32_t>(s.raw.size()), fileAlignment);
    Put32(out, rec + 8, vsize);
    Put32(out, rec + 12, va);
    Put32(out, rec + 16, s.sizeOfRawData.value_or(rawSize));
    Put32(out, rec + 20, s.pointerToRawData.value_or(s.raw.empty() ? 0 : rawPos));
    Put32(out, rec + 36, s.characteristics);
    if (!s.raw.empty()) {
      if (out.size() < rawPos + rawSize) out.resize(rawPos + rawSize, 0);
      std::copy(s.raw.begin(), s.raw.end(), out.begin() + rawPos);
      rawPos += rawSize;
    }
    imageEnd = AlignUp(va + std::max<std::uint32_t>(vsize, 1), sectionAlignment);
  }
  Put32(out, nt + 80, imageEnd);
  const std::size_t end = out.size();
  out.resize(end + overlay.size());
  for (std::size_t i = 0; i < overlay.size(); ++i) out[end + i] = overlay[i];
  return out;
}

}  // namespace kestro::test
