#include "tests/support/rar_writer.hpp"

#include <stdexcept>

#include "io/crc32.hpp"

namespace kestro::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 2020-01-01 00:00:00 as an MS-DOS date and time, and as a POSIX time.
constexpr std::uint32_t kDosTime = ((2020u - 1980u) << 25) | (1u << 21) | (1u << 16);
constexpr std::uint32_t kPosixTime = 1577836800u;

void PutU16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

void PutU32(Bytes& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFFu);
  PutU16(out, value >> 16);
}

void PutBytes(Bytes& out, const Bytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

void PutText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

std::uint32_t DataCrc(const RarMember& member) {
  const std::uint32_t crc = checks::Crc32(member.data);
  return member.damaged ? crc ^ 0x5A5A5A5Au : crc;
}

bool IsAscii(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// RAR 4: blocks of HEAD_CRC(2) HEAD_TYPE(1) HEAD_FLAGS(2) HEAD_SIZE(2) [fields];
// HEAD_CRC is the low half of the CRC-32 of everything after it.
void PutRar4Block(Bytes& out, std::uint8_t type, std::uint32_t flags, const Bytes& fields) {
  Bytes block;
  block.push_back(type);
  PutU16(block, flags);
  PutU16(block, static_cast<std::uint32_t>(7 + fields.size()));
  PutBytes(block, fields);
  PutU16(out, checks::Crc32(block) & 0xFFFFu);
  PutBytes(out, block);
}

Bytes WriteRar4(const std::vector<RarMember>& members, const RarOptions& options) {
  Bytes out = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
  // Archive header: flags 0x0001 volume, 0x0100 first volume; 6 reserved bytes.
  PutRar4Block(out, 0x73, options.volume ? 0x0101u : 0u, Bytes(6, 0));
  for (const auto& member : members) {
    std::uint32_t flags = 0x8000u;  // LONG_BLOCK: the data follows the header
    if (member.folder) flags |= 0x00E0u;
    if (member.encrypted) flags |= 0x0004u;
    if (!IsAscii(member.name)) flags |= 0x0200u;  // UNICODE: a name without a NUL is UTF-8
    const auto size = static_cast<std::uint32_t>(member.data.size());
    Bytes fields;
    PutU32(fields, size);  // PACK_SIZE
    PutU32(fields, size);  // UNP_SIZE
    fields.push_back(2);   // HOST_OS: Win32
    PutU32(fields, DataCrc(member));
    PutU32(fields, kDosTime);
    fields.push_back(29);    // UNP_VER
    fields.push_back(member.damaged ? 0x33 : 0x30);  // METHOD: normal / store
    PutU16(fields, static_cast<std::uint32_t>(member.name.size()));
    PutU32(fields, member.folder ? 0x10u : 0x20u);  // Windows attributes
    PutText(fields, member.name);
    PutRar4Block(out, 0x74, flags, fields);
    PutBytes(out, member.data);
  }
  PutRar4Block(out, 0x7B, 0x4000u, {});  // end of archive
  return out;
}

// RAR 5: variable-length integers of 7 bits per byte, low bits first.
void PutVint(Bytes& out, std::uint64_t value) {
  do {
    std::uint8_t byte = value & 0x7Fu;
    value >>= 7;
    if (value != 0) byte |= 0x80u;
    out.push_back(byte);
  } while (value != 0);
}

// Block: CRC32(4) of what follows it, header size (vint) counted from the type,
// then type, flags and the rest.
void PutRar5Block(Bytes& out, const Bytes& header) {
  Bytes sized;
  PutVint(sized, header.size());
  PutBytes(sized, header);
  PutU32(out, checks::Crc32(sized));
  PutBytes(out, sized);
}

Bytes WriteRar5(const std::vector<RarMember>& members, const RarOptions& options) {
  Bytes out = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
  Bytes main;
  PutVint(main, 1);                        // type: main archive header
  PutVint(main, 0);                        // header flags
  PutVint(main, options.volume ? 1u : 0u);  // archive flags: 0x0001 volume (first: no number)
  PutRar5Block(out, main);
  for (const auto& member : members) {
    Bytes extra;
    if (member.encrypted) {
      // File encryption record: version 0 (AES-256), no flags, KDF count, salt, IV.
      Bytes record;
      PutVint(record, 1);
      PutVint(record, 0);
      PutVint(record, 0);
      record.push_back(15);
      record.insert(record.end(), 32, 0xA5);
      PutVint(extra, record.size());
      PutBytes(extra, record);
    }
    Bytes header;
    PutVint(header, 2);  // type: file header
    std::uint64_t headerFlags = 0x0002u;         // data area present (empty for folders)
    if (!extra.empty()) headerFlags |= 0x0001u;                 // extra area present
    PutVint(header, headerFlags);
    if (!extra.empty()) PutVint(header, extra.size());
    PutVint(header, member.data.size());
    PutVint(header, (member.folder ? 0x0001u : 0u) | 0x0002u | (member.folder ? 0u : 0x0004u));
    PutVint(header, member.data.size());        // unpacked size
    PutVint(header, member.folder ? 0x10u : 0x20u);  // attributes (Windows host)
    PutU32(header, kPosixTime);
    if (!member.folder) PutU32(header, DataCrc(member));
    // Compression: version 0, not solid, method 0 (store) or 3 (normal), 128 KB window.
    PutVint(header, member.damaged ? 3u << 7 : 0u);
    PutVint(header, 0);  // host OS: Windows
    PutVint(header, member.name.size());
    PutText(header, member.name);
    PutBytes(header, extra);
    PutRar5Block(out, header);
    PutBytes(out, member.data);
  }
  Bytes end;
  PutVint(end, 5);  // type: end of archive
  PutVint(end, 4);  // header flags: skip when unknown, as RAR itself writes it
  PutVint(end, 0);  // not followed by another volume
  PutRar5Block(out, end);
  return out;
}

}  // namespace

std::vector<std::uint8_t> WriteStoredRar(RarFormat format, const std::vector<RarMember>& members,
                                         const RarOptions& options) {
  for (const auto& member : members) {
    if (member.data.size() > 0xFFFFFFFFu) throw std::invalid_argument("member too large for the test writer");
  }
  return format == RarFormat::Rar4 ? WriteRar4(members, options) : WriteRar5(members, options);
}

RarMember TextMember(std::string name, std::string_view text) {
  RarMember member;
  member.name = std::move(name);
  member.data.assign(text.begin(), text.end());
  return member;
}

RarMember FolderMember(std::string name) {
  RarMember member;
  member.name = std::move(name);
  member.folder = true;
  return member;
}

}  // namespace kestro::test
