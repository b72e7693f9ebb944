#include "tests/support/lnk_builder.hpp"

namespace kestro::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutAnsi(Bytes& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
  b.push_back(0);
}
void PutUnicode(Bytes& b, const std::string& s) {
  for (const char c : s) Put16(b, static_cast<std::uint8_t>(c));
  Put16(b, 0);
}

Bytes FileEntry(const LnkIdEntry& e) {
  Bytes item;
  Put16(item, 0);  // size, set below
  item.push_back(e.folder ? 0x31 : 0x32);
  item.push_back(0);
  Put32(item, 1234);  // file size
  Put32(item, 0);     // date and time
  Put16(item, e.folder ? 0x10 : 0x20);
  PutAnsi(item, e.shortName);
  if (item.size() % 2 != 0) item.push_back(0);
  std::uint16_t extensionOffset = 0;
  if (e.longName) {
    extensionOffset = static_cast<std::uint16_t>(item.size());
    Bytes ext;
    Put16(ext, 0);
    Put16(ext, e.extensionVersion);
    Put32(ext, 0xBEEF0004u);
    Put32(ext, 0);  // created
    Put32(ext, 0);  // accessed
    Put16(ext, 0x14);  // identifier
    if (e.extensionVersion >= 7) ext.insert(ext.end(), 18, 0);
    if (e.extensionVersion >= 3) Put16(ext, 0);
    if (e.extensionVersion >= 9) Put32(ext, 0);
    if (e.extensionVersion >= 8) Put32(ext, 0);
    PutUnicode(ext, *e.longName);
    Put16(ext, 0);  // first extension version offset
    ext[0] = static_cast<std::uint8_t>(ext.size());
    ext[1] = static_cast<std::uint8_t>(ext.size() >> 8);
    item.insert(item.end(), ext.begin(), ext.end());
  }
  Put16(item, extensionOffset);
  item[0] = static_cast<std::uint8_t>(item.size());
  item[1] = static_cast<std::uint8_t>(item.size() >> 8);
  return item;
}

}  // namespace

std::vector<std::uint8_t> LnkFile::Build() const {
  Bytes out(0x4C, 0);
  Set32(out, 0, validHeader ? 0x4C : 0x4D);
  const std::uint8_t clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  for (std::size_t i = 0; i < 16; ++i) out[4 + i] = clsid[i];
  std::uint32_t flags = 0x80;  // Unicode strings
  const bool hasIdList = idListDrive.has_value();
  const bool hasLinkInfo = localBasePath.has_value() || networkShare.has_value();
  if (hasIdList) flags |= 0x1;
  if (hasLinkInfo) flags |= 0x2;
  if (environmentTarget) flags |= 0x200;
  if (forceNoLinkInfo) flags |= 0x100;
  Set32(out, 0x14, flags);

  if (hasIdList) {
    Bytes list;
    // My Computer root item.
    const std::uint8_t root[20] = {0x14, 0x00, 0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A,
                                   0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
    list.insert(list.end(), root, root + 20);
    Bytes drive;
    Put16(drive, 25);
    drive.push_back(0x2F);
    PutAnsi(drive, *idListDrive);
    drive.resize(25, 0);
    list.insert(list.end(), drive.begin(), drive.end());
    for (const LnkIdEntry& e : idListEntries) {
      const Bytes item = FileEntry(e);
      list.insert(list.end(), item.begin(), item.end());
    }
    Put16(list, 0);
    Put16(out, static_cast<std::uint16_t>(list.size()));
    out.insert(out.end(), list.begin(), list.end());
  }

  if (hasLinkInfo) {
    Bytes info(unicodeLinkInfo ? 0x24 : 0x1C, 0);
    Set32(info, 4, static_cast<std::uint32_t>(info.size()));
    if (localBasePath) {
      Set32(info, 8, 0x1);
      Set32(info, 12, static_cast<std::uint32_t>(info.size()));  // volume ID
      Bytes volume;
      Put32(volume, 0x11);
      Put32(volume, 3);
      Put32(volume, 0x12345678);
      Put32(volume, 0x10);
      volume.push_back(0);
      info.insert(info.end(), volume.begin(), volume.end());
      Set32(info, 16, static_cast<std::uint32_t>(info.size()));
      PutAnsi(info, *localBasePath);
    } else {
      Set32(info, 8, 0x2);
      Set32(info, 20, static_cast<std::uint32_t>(info.size()));
      Bytes network;
      Put32(network, 0);
      Put32(network, 0);
      Put32(network, 0x14);
      Put32(network, 0);
      Put32(network, 0x20000);
      PutAnsi(network, *networkShare);
      Set32(network, 0, static_cast<std::uint32_t>(network.size()));
      info.insert(info.end(), network.begin(), network.end());
    }
    Set32(info, 24, static_cast<std::uint32_t>(info.size()));
    PutAnsi(info, commonPathSuffix);
    if (unicodeLinkInfo) {
      if (localBasePath) {
        Set32(info, 28, static_cast<std::uint32_t>(info.size()));
        PutUnicode(info, *localBasePath);
      }
      Set32(info, 32, static_cast<std::uint32_t>(info.size()));
      PutUnicode(info, commonPathSuffix);
    }
    Set32(info, 0, static_cast<std::uint32_t>(info.size()));
    out.insert(out.end(), info.begin(), info.end());
  }

  if (environmentTarget) {
    Bytes block;
    Put32(block, 0x314);
    Put32(block, 0xA0000001u);
    Bytes ansi(260, 0);
    for (std::size_t i = 0; i < environmentTarget->size() && i < 259; ++i) ansi[i] = static_cast<std::uint8_t>((*environmentTarget)[i]);
    block.insert(block.end(), ansi.begin(), ansi.end());
    Bytes wide(520, 0);
    for (std::size_t i = 0; i < environmentTarget->size() && i < 259; ++i) wide[2 * i] = static_cast<std::uint8_t>((*environmentTarget)[i]);
    block.insert(block.end(), wide.begin(), wide.end());
    out.insert(out.end(), block.begin(), block.end());
  }
  Put32(out, 0);  // terminal block
  out.insert(out.end(), trailing.begin(), trailing.end());
  return out;
}

}  // namespace kestro::test
