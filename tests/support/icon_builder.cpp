#include "tests/support/icon_builder.hpp"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace kestro::test {
namespace {

void Add16(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Add32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::size_t Stride(int width, int bitCount) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 31) / 32 * 4;
}

std::size_t Align(std::size_t v, std::size_t a) { return (v + a - 1) / a * a; }

}  // namespace

std::vector<std::uint8_t> EncodeIconImage(const IconImageSpec& image) {
  if (!image.raw.empty()) return image.raw;
  const auto w = static_cast<std::size_t>(image.width);
  const auto h = static_cast<std::size_t>(image.height);
  if (image.pixels.size() != w * h) throw std::invalid_argument("pixel grid does not match the size");
  std::vector<std::uint8_t> out;
  Add32(out, 40);
  Add32(out, static_cast<std::uint32_t>(image.width));
  Add32(out, static_cast<std::uint32_t>(image.height * 2));
  Add16(out, 1);
  Add16(out, static_cast<std::uint32_t>(image.bitCount));
  Add32(out, 0);  // BI_RGB
  Add32(out, 0);  // biSizeImage
  Add32(out, 0);
  Add32(out, 0);
  Add32(out, image.colorsUsed);
  Add32(out, 0);
  for (const std::uint32_t rgb : image.palette) Add32(out, rgb & 0x00FFFFFFu);

  const std::size_t xorStride = Stride(image.width, image.bitCount);
  const std::size_t andStride = Stride(image.width, 1);
  const std::size_t xorAt = out.size();
  const std::size_t andAt = xorAt + xorStride * h;
  out.resize(andAt + andStride * h, 0);
  const auto bits = static_cast<std::size_t>(image.bitCount);
  for (std::size_t y = 0; y < h; ++y) {
    const std::size_t row = h - 1 - y;  // bottom-up
    for (std::size_t x = 0; x < w; ++x) {
      const std::uint32_t p = image.pixels[y * w + x];
      std::uint8_t* line = out.data() + xorAt + row * xorStride;
      if (bits <= 8) {
        const std::size_t bit = x * bits;
        line[bit / 8] = static_cast<std::uint8_t>(line[bit / 8] | (p << (8 - bits - bit % 8)));
      } else {
        for (std::size_t c = 0; c < bits / 8; ++c) line[x * (bits / 8) + c] = static_cast<std::uint8_t>(p >> (8 * c));
      }
      if (!image.mask.empty() && image.mask[y * w + x] != 0) {
        out[andAt + row * andStride + x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
      }
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeIconGroup(const std::vector<IconImageSpec>& images, std::uint16_t firstId) {
  std::vector<std::uint8_t> out;
  Add16(out, 0);
  Add16(out, 1);
  Add16(out, static_cast<std::uint32_t>(images.size()));
  for (std::size_t i = 0; i < images.size(); ++i) {
    const IconImageSpec& im = images[i];
    out.push_back(static_cast<std::uint8_t>(im.width >= 256 ? 0 : im.width));
    out.push_back(static_cast<std::uint8_t>(im.height >= 256 ? 0 : im.height));
    out.push_back(static_cast<std::uint8_t>(im.bitCount < 8 ? 1 << im.bitCount : 0));
    out.push_back(0);
    Add16(out, 1);
    Add16(out, static_cast<std::uint32_t>(im.bitCount));
    Add32(out, static_cast<std::uint32_t>(EncodeIconImage(im).size()));
    Add16(out, static_cast<std::uint32_t>(firstId + i));
  }
  return out;
}

std::vector<ResourceItem> IconResources(const std::vector<std::vector<IconImageSpec>>& groups,
                                        std::uint16_t firstGroupId) {
  std::vector<ResourceItem> items;
  std::uint16_t nextIconId = 1;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    items.push_back({14, static_cast<std::uint16_t>(firstGroupId + g), 0x0409, EncodeIconGroup(groups[g], nextIconId)});
    for (const IconImageSpec& image : groups[g]) {
      items.push_back({3, nextIconId++, 0x0409, EncodeIconImage(image)});
    }
  }
  return items;
}

std::vector<std::uint8_t> BuildResourceSection(const std::vector<ResourceItem>& items, std::uint32_t sectionRva) {
  // Order: types ascending; within a type named entries (as given) then ids ascending.
  std::map<std::uint16_t, std::vector<const ResourceItem*>> byType;
  for (const ResourceItem& item : items) byType[item.type].push_back(&item);
  for (auto& [type, list] : byType) {
    std::stable_sort(list.begin(), list.end(), [](const ResourceItem* a, const ResourceItem* b) {
      const bool an = std::holds_alternative<std::u16string>(a->name);
      const bool bn = std::holds_alternative<std::u16string>(b->name);
      if (an != bn) return an;
      if (an) return false;
      return std::get<std::uint16_t>(a->name) < std::get<std::uint16_t>(b->name);
    });
  }

  // Sizes of each area, then offsets.
  const std::size_t rootSize = 16 + 8 * byType.size();
  std::size_t typeDirs = 0, langDirs = 0, nameStrings = 0, dataBytes = 0;
  for (const auto& [type, list] : byType) {
    typeDirs += 16 + 8 * list.size();
    for (const ResourceItem* item : list) {
      langDirs += 16 + 8;
      if (const auto* name = std::get_if<std::u16string>(&item->name)) nameStrings += Align(2 + 2 * name->size(), 4);
      dataBytes += Align(item->data.size(), 8);
    }
  }
  const std::size_t typeDirsAt = rootSize;
  const std::size_t langDirsAt = typeDirsAt + typeDirs;
  const std::size_t dataEntriesAt = langDirsAt + langDirs;
  const std::size_t namesAt = dataEntriesAt + 16 * items.size();
  const std::size_t dataAt = Align(namesAt + nameStrings, 8);
  std::vector<std::uint8_t> out(dataAt + dataBytes, 0);

  auto writeDirHeader = [&](std::size_t at, std::size_t named, std::size_t ids) {
    out[at + 12] = static_cast<std::uint8_t>(named);
    out[at + 13] = static_cast<std::uint8_t>(named >> 8);
    out[at + 14] = static_cast<std::uint8_t>(ids);
    out[at + 15] = static_cast<std::uint8_t>(ids >> 8);
  };
  writeDirHeader(0, 0, byType.size());
  std::size_t typeAt = typeDirsAt, langAt = langDirsAt, entryAt = dataEntriesAt, nameAt = namesAt, bytesAt = dataAt;
  std::size_t t = 0;
  for (const auto& [type, list] : byType) {
    Put32(out, 16 + 8 * t, type);
    Put32(out, 20 + 8 * t, 0x80000000u | static_cast<std::uint32_t>(typeAt));
    const auto named = static_cast<std::size_t>(std::count_if(list.begin(), list.end(), [](const ResourceItem* i) {
      return std::holds_alternative<std::u16string>(i->name);
    }));
    writeDirHeader(typeAt, named, list.size() - named);
    for (std::size_t n = 0; n < list.size(); ++n) {
      const ResourceItem& item = *list[n];
      const std::size_t entry = typeAt + 16 + 8 * n;
      if (const auto* name = std::get_if<std::u16string>(&item.name)) {
        Put32(out, entry, 0x80000000u | static_cast<std::uint32_t>(nameAt));
        out[nameAt] = static_cast<std::uint8_t>(name->size());
        out[nameAt + 1] = static_cast<std::uint8_t>(name->size() >> 8);
        for (std::size_t c = 0; c < name->size(); ++c) {
          out[nameAt + 2 + 2 * c] = static_cast<std::uint8_t>((*name)[c]);
          out[nameAt + 3 + 2 * c] = static_cast<std::uint8_t>((*name)[c] >> 8);
        }
        nameAt += Align(2 + 2 * name->size(), 4);
      } else {
        Put32(out, entry, std::get<std::uint16_t>(item.name));
      }
      Put32(out, entry + 4, 0x80000000u | static_cast<std::uint32_t>(langAt));
      writeDirHeader(langAt, 0, 1);
      Put32(out, langAt + 16, item.language);
      Put32(out, langAt + 20, static_cast<std::uint32_t>(entryAt));
      Put32(out, entryAt, sectionRva + static_cast<std::uint32_t>(bytesAt));
      Put32(out, entryAt + 4, static_cast<std::uint32_t>(item.data.size()));
      std::copy(item.data.begin(), item.data.end(), out.begin() + static_cast<std::ptrdiff_t>(bytesAt));
      bytesAt += Align(item.data.size(), 8);
      langAt += 24;
      entryAt += 16;
    }
    typeAt += 16 + 8 * list.size();
    ++t;
  }
  return out;
}

void AddResources(PeImage& image, const std::vector<ResourceItem>& items) {
  const std::uint32_t rva = image.SectionRva(image.sections.size());
  PeSection section;
  section.name = ".rsrc";
  section.characteristics = 0x40000040u;  // initialised data, readable
  section.raw = BuildResourceSection(items, rva);
  image.directories.push_back({2, {rva, static_cast<std::uint32_t>(section.raw.size())}});
  image.sections.push_back(std::move(section));
}

std::vector<std::uint8_t> BuildIconExecutable(const std::vector<std::vector<IconImageSpec>>& groups,
                                              const std::vector<std::uint8_t>& code) {
  PeImage image;
  image.sections.push_back({".text", 0x60000020u, code});
  AddResources(image, IconResources(groups));
  return image.Build();
}

}  // namespace kestro::test
