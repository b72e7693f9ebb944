#include "checks/shell_link.hpp"

#include <array>

#include "io/le_fields.hpp"

namespace kestro::checks {
namespace {

using Span = std::span<const std::uint8_t>;

constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr std::array<std::uint8_t, 16> kLinkClsid = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kHasIdList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kHasName = 0x4;
constexpr std::uint32_t kHasRelativePath = 0x8;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kHasIconLocation = 0x40;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kForceNoLinkInfo = 0x100;
constexpr std::uint32_t kEnvironmentBlock = 0xA0000001u;
constexpr std::uint32_t kEnvironmentBlockSize = 0x314;

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// NUL-terminated ANSI text starting at `offset`, not beyond `limit` bytes; nullopt
// when the offset lies outside or no NUL ends it.
std::optional<std::string> AnsiAt(Span bytes, std::uint64_t offset) {
  if (offset >= bytes.size()) return std::nullopt;
  for (std::size_t i = static_cast<std::size_t>(offset); i < bytes.size(); ++i) {
    if (bytes[i] == 0) return AnsiToUtf8(SubBytes(bytes, offset, i - offset));
  }
  return std::nullopt;
}

std::optional<std::string> UnicodeAt(Span bytes, std::uint64_t offset) {
  if (offset >= bytes.size()) return std::nullopt;
  for (std::size_t i = static_cast<std::size_t>(offset); i + 1 < bytes.size(); i += 2) {
    if (bytes[i] == 0 && bytes[i + 1] == 0) return Utf16LeToUtf8(SubBytes(bytes, offset, i - offset));
  }
  return std::nullopt;
}

// Local base path + suffix, or share + "\" + suffix.
std::optional<std::string> FromLinkInfo(Span info) {
  const auto headerSize = LoadU32(info, 4);
  const auto flags = LoadU32(info, 8);
  const auto localOffset = LoadU32(info, 16);
  const auto networkOffset = LoadU32(info, 20);
  const auto suffixOffset = LoadU32(info, 24);
  if (!headerSize || !flags || !localOffset || !networkOffset || !suffixOffset) return std::nullopt;
  const bool unicode = *headerSize >= 0x24;
  std::optional<std::string> suffix;
  if (unicode) {
    const auto suffixUnicode = LoadU32(info, 32);
    if (suffixUnicode && *suffixUnicode != 0) suffix = UnicodeAt(info, *suffixUnicode);
  }
  if (!suffix) suffix = AnsiAt(info, *suffixOffset);
  if (!suffix) suffix = std::string();

  if ((*flags & 0x1u) != 0) {
    std::optional<std::string> base;
    if (unicode) {
      const auto baseUnicode = LoadU32(info, 28);
      if (baseUnicode && *baseUnicode != 0) base = UnicodeAt(info, *baseUnicode);
    }
    if (!base) base = AnsiAt(info, *localOffset);
    if (base) return *base + *suffix;
  }
  if ((*flags & 0x2u) != 0) {
    const Span network = HasRange(info, *networkOffset, 0) ? info.subspan(*networkOffset) : Span{};
    const auto netNameOffset = LoadU32(network, 8);
    if (!netNameOffset) return std::nullopt;
    std::optional<std::string> share;
    if (*netNameOffset > 0x14) {
      const auto netNameUnicode = LoadU32(network, 20);
      if (netNameUnicode) share = UnicodeAt(network, *netNameUnicode);
    }
    if (!share) share = AnsiAt(network, *netNameOffset);
    if (!share) return std::nullopt;
    if (suffix->empty()) return *share;
    return *share + "\\" + *suffix;
  }
  return std::nullopt;
}

// The long name in a file entry's 0xBEEF0004 extension block, when there is one.
std::optional<std::string> LongNameOfItem(Span item) {
  const auto extensionOffset = LoadU16(item, item.size() >= 2 ? item.size() - 2 : 0);
  if (!extensionOffset || *extensionOffset < 14 || *extensionOffset >= item.size()) return std::nullopt;
  const Span extension = item.subspan(*extensionOffset);
  const auto size = LoadU16(extension, 0);
  const auto version = LoadU16(extension, 2);
  const auto signature = LoadU32(extension, 4);
  if (!size || !version || !signature || *signature != 0xBEEF0004u || *size > extension.size()) {
    return std::nullopt;
  }
  std::uint64_t nameOffset = 18;
  if (*version >= 7) nameOffset += 18;
  if (*version >= 3) nameOffset += 2;
  if (*version >= 9) nameOffset += 4;
  if (*version >= 8) nameOffset += 4;
  return UnicodeAt(extension.first(*size), nameOffset);
}

// Drive and file-system entries of the ID list, joined into a path.
std::optional<std::string> FromIdList(Span list) {
  std::string path;
  std::size_t at = 0;
  while (true) {
    const auto itemSize = LoadU16(list, at);
    if (!itemSize) return std::nullopt;
    if (*itemSize == 0) break;
    if (*itemSize < 3 || !HasRange(list, at, *itemSize)) return std::nullopt;
    const Span item = list.subspan(at, *itemSize);
    const std::uint8_t type = item[2];
    if ((type & 0x70u) == 0x20u) {  // a volume: "C:\"
      const auto drive = AnsiAt(item, 3);
      if (drive) path = *drive;
    } else if ((type & 0x70u) == 0x30u) {  // a file or folder entry
      std::optional<std::string> name = LongNameOfItem(item);
      if (!name) name = (type & 0x04u) != 0 ? UnicodeAt(item, 14) : AnsiAt(item, 14);
      if (!name) return std::nullopt;
      if (!path.empty() && path.back() != '\\') path.push_back('\\');
      path += *name;
    }
    at += *itemSize;
  }
  return path;
}

}  // namespace

std::string AnsiToUtf8(std::span<const std::uint8_t> bytes) {
  std::string out;
  for (const std::uint8_t b : bytes) AppendUtf8(out, b);
  return out;
}

std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes) {
  std::string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t unit = static_cast<std::uint32_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
      const std::uint32_t low = static_cast<std::uint32_t>(bytes[i + 2] | (bytes[i + 3] << 8));
      if (low >= 0xDC00 && low < 0xE000) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(out, unit);
  }
  return out;
}

std::optional<std::string> ShellLinkTarget(std::span<const std::uint8_t> bytes) {
  if (LoadU32(bytes, 0).value_or(0) != kHeaderSize) return std::nullopt;
  if (!HasRange(bytes, 4, 16) || !std::equal(kLinkClsid.begin(), kLinkClsid.end(), bytes.begin() + 4)) {
    return std::nullopt;
  }
  const std::uint32_t flags = *LoadU32(bytes, 0x14);
  std::uint64_t at = kHeaderSize;

  std::optional<std::string> fromIdList;
  if ((flags & kHasIdList) != 0) {
    const auto listSize = LoadU16(bytes, at);
    if (!listSize || !HasRange(bytes, at + 2, *listSize)) return std::nullopt;
    fromIdList = FromIdList(SubBytes(bytes, at + 2, *listSize));
    at += 2 + std::uint64_t{*listSize};
  }

  std::optional<std::string> fromLinkInfo;
  if ((flags & kHasLinkInfo) != 0 && (flags & kForceNoLinkInfo) == 0) {
    const auto infoSize = LoadU32(bytes, at);
    if (!infoSize || *infoSize < 4 || !HasRange(bytes, at, *infoSize)) return std::nullopt;
    fromLinkInfo = FromLinkInfo(SubBytes(bytes, at, *infoSize));
    at += *infoSize;
  } else if ((flags & kHasLinkInfo) != 0) {
    const auto infoSize = LoadU32(bytes, at);
    if (!infoSize || !HasRange(bytes, at, *infoSize)) return std::nullopt;
    at += *infoSize;
  }

  // The string data: skip it to reach the extra data blocks.
  for (const std::uint32_t field : {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation}) {
    if ((flags & field) == 0) continue;
    const auto count = LoadU16(bytes, at);
    if (!count) return std::nullopt;
    const std::uint64_t length = std::uint64_t{*count} * ((flags & kIsUnicode) != 0 ? 2 : 1);
    if (!HasRange(bytes, at + 2, length)) return std::nullopt;
    at += 2 + length;
  }

  std::optional<std::string> fromEnvironment;
  while (true) {
    const auto blockSize = LoadU32(bytes, at);
    if (!blockSize || *blockSize < 4 || !HasRange(bytes, at, *blockSize)) break;
    const auto signature = LoadU32(bytes, at + 4);
    if (signature && *signature == kEnvironmentBlock && *blockSize >= kEnvironmentBlockSize) {
      const Span block = SubBytes(bytes, at, *blockSize);
      std::optional<std::string> unicode = UnicodeAt(block.first(0x314), 0x10C);
      if (unicode && !unicode->empty()) {
        fromEnvironment = unicode;
      } else {
        fromEnvironment = AnsiAt(block.first(0x10C), 8);
      }
    }
    at += *blockSize;
  }

  if (fromLinkInfo && !fromLinkInfo->empty()) return fromLinkInfo;
  if (fromIdList && !fromIdList->empty()) return fromIdList;
  if (fromEnvironment) return fromEnvironment;
  return std::string();
}

}  // namespace kestro::checks
