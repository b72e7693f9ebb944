#include "outside/RARExtract/rar5_encryption.hpp"

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>

namespace kestro::rarextract {
namespace {

constexpr std::array<unsigned char, 8> kSignature = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
constexpr std::uint64_t kMaxHeaderSize = 2 * 1024 * 1024;  // the format's own limit
constexpr std::size_t kMaxEntries = 1000000;

// Service headers (3) are walked over like any block; libarchive does not list them.
enum : std::uint64_t { kFileHeader = 2, kEncryptionHeader = 4, kEndHeader = 5 };
enum : std::uint64_t { kHasExtra = 0x0001, kHasData = 0x0002 };
enum : std::uint64_t { kHasTime = 0x0002, kHasCrc = 0x0004 };
constexpr std::uint64_t kEncryptionRecord = 1;

// Reads from a block of header bytes; every read is checked against the end.
class Cursor {
 public:
  Cursor(const std::vector<unsigned char>& bytes, std::size_t begin, std::size_t end)
      : bytes_(&bytes), pos_(begin), end_(end) {}
  std::optional<std::uint64_t> Vint() {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64 && pos_ < end_; shift += 7) {
      const unsigned char byte = (*bytes_)[pos_++];
      value |= static_cast<std::uint64_t>(byte & 0x7Fu) << shift;
      if ((byte & 0x80u) == 0) return value;
    }
    return std::nullopt;
  }
  bool Skip(std::uint64_t count) {
    if (count > end_ - pos_) return false;
    pos_ += static_cast<std::size_t>(count);
    return true;
  }
  std::size_t Position() const { return pos_; }

 private:
  const std::vector<unsigned char>* bytes_;
  std::size_t pos_;
  std::size_t end_;
};

// A vint straight from the file (the header size field).
std::optional<std::uint64_t> ReadVint(std::istream& in) {
  std::uint64_t value = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    const int c = in.get();
    if (c == EOF) return std::nullopt;
    value |= static_cast<std::uint64_t>(c & 0x7F) << shift;
    if ((c & 0x80) == 0) return value;
  }
  return std::nullopt;
}

// Parses a file header's fields after the common ones; nullopt when malformed.
std::optional<Rar5FileEntry> ParseFileHeader(const std::vector<unsigned char>& header, Cursor& cursor,
                                             std::uint64_t extraSize) {
  const auto fileFlags = cursor.Vint();
  if (!fileFlags || !cursor.Vint() /* unpacked size */ || !cursor.Vint() /* attributes */) return std::nullopt;
  if ((*fileFlags & kHasTime) != 0 && !cursor.Skip(4)) return std::nullopt;
  if ((*fileFlags & kHasCrc) != 0 && !cursor.Skip(4)) return std::nullopt;
  if (!cursor.Vint() /* compression */ || !cursor.Vint() /* host OS */) return std::nullopt;
  const auto nameLength = cursor.Vint();
  if (!nameLength) return std::nullopt;
  const std::size_t nameStart = cursor.Position();
  if (!cursor.Skip(*nameLength)) return std::nullopt;
  Rar5FileEntry entry;
  entry.name.assign(header.begin() + static_cast<std::ptrdiff_t>(nameStart),
                    header.begin() + static_cast<std::ptrdiff_t>(cursor.Position()));
  // The extra area is the last extraSize bytes of the header.
  if (extraSize > header.size() - cursor.Position()) return std::nullopt;
  Cursor extra(header, header.size() - static_cast<std::size_t>(extraSize), header.size());
  while (extra.Position() < header.size()) {
    const auto recordSize = extra.Vint();
    if (!recordSize || *recordSize == 0) break;
    const std::size_t recordStart = extra.Position();
    const auto recordType = extra.Vint();
    if (!recordType) break;
    if (*recordType == kEncryptionRecord) entry.encrypted = true;
    Cursor rest(header, recordStart, header.size());
    if (!rest.Skip(*recordSize)) break;
    extra = rest;
  }
  return entry;
}

}  // namespace

std::vector<Rar5FileEntry> ReadRar5FileEntries(const std::filesystem::path& path) {
  std::vector<Rar5FileEntry> entries;
  std::ifstream in(path, std::ios::binary);
  std::array<char, kSignature.size()> signature{};
  if (!in.read(signature.data(), signature.size())) return entries;
  for (std::size_t i = 0; i < kSignature.size(); ++i) {
    if (static_cast<unsigned char>(signature[i]) != kSignature[i]) return entries;
  }
  std::vector<unsigned char> header;
  while (entries.size() < kMaxEntries) {
    char crc[4];
    if (!in.read(crc, sizeof(crc))) break;
    const auto size = ReadVint(in);
    if (!size || *size == 0 || *size > kMaxHeaderSize) break;
    header.resize(static_cast<std::size_t>(*size));
    if (!in.read(reinterpret_cast<char*>(header.data()), static_cast<std::streamsize>(header.size()))) break;
    Cursor cursor(header, 0, header.size());
    const auto type = cursor.Vint();
    const auto flags = cursor.Vint();
    if (!type || !flags) break;
    std::uint64_t extraSize = 0;
    std::uint64_t dataSize = 0;
    if ((*flags & kHasExtra) != 0) {
      const auto value = cursor.Vint();
      if (!value) break;
      extraSize = *value;
    }
    if ((*flags & kHasData) != 0) {
      const auto value = cursor.Vint();
      if (!value) break;
      dataSize = *value;
    }
    if (*type == kEncryptionHeader || *type == kEndHeader) break;
    if (*type == kFileHeader) {
      auto entry = ParseFileHeader(header, cursor, extraSize);
      if (!entry) break;
      entries.push_back(std::move(*entry));
    }
    if (dataSize > static_cast<std::uint64_t>(INT64_MAX)) break;
    if (!in.seekg(static_cast<std::streamoff>(dataSize), std::ios::cur)) break;
  }
  return entries;
}

}  // namespace kestro::rarextract
