#include "io/utf8_text.hpp"

#include <cstdint>
#include <type_traits>

namespace kestro::io {

namespace {

// Where the system's paths are UTF-8 bytes already, one copy of them (where
// u8string() and a string would make two); a conversion from UTF-16 on Windows.
template <typename Native>
std::string Utf8OfPath(const Native& native, const std::filesystem::path& path) {
  if constexpr (std::is_same_v<typename Native::value_type, char>) {
    return native;
  } else {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
  }
}

struct Decoded {
  std::uint32_t codePoint = 0;
  std::size_t length = 1;
  bool valid = false;
};

// The character at `at`: a well-formed sequence, or one invalid byte.
Decoded DecodeAt(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(at);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t length;
  std::uint32_t value;
  std::uint32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1Fu, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0Fu, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07u, minimum = 0x10000;
  } else {
    return {};
  }
  if (text.size() - at < length) return {};
  for (std::size_t i = 1; i < length; ++i) {
    const std::uint8_t next = byte(at + i);
    if ((next & 0xC0) != 0x80) return {};
    value = (value << 6) | (next & 0x3Fu);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {};
  return {value, length, true};
}

void Append(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::uint32_t UpperOf(std::uint32_t c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  // Latin-1: a-grave .. thorn, except the division sign; y-diaeresis.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  // Latin Extended-A: pairs of upper and lower case (the dotless i is alone).
  if (c == 0x131) return 'I';
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~1u;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1u) ? c : c - 1;
  // Greek small letters (final sigma included) and the accented vowels.
  if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : c - 0x20;
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
  // Cyrillic.
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

}  // namespace

std::string PathUtf8(const std::filesystem::path& path) { return Utf8OfPath(path.native(), path); }

std::size_t Utf8Length(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); at += DecodeAt(text, at).length) ++count;
  return count;
}

std::size_t Utf8Offset(std::string_view text, std::size_t index) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < index && at < text.size(); ++i) at += DecodeAt(text, at).length;
  return at;
}

std::string_view Utf8Head(std::string_view text, std::size_t count) {
  return text.substr(0, Utf8Offset(text, count));
}

std::string_view Utf8Tail(std::string_view text, std::size_t count) {
  const std::size_t length = Utf8Length(text);
  return length <= count ? text : text.substr(Utf8Offset(text, length - count));
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const Decoded d = DecodeAt(text, at);
    if (!d.valid) return false;
    at += d.length;
  }
  return true;
}

std::string Utf8Repaired(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const Decoded d = DecodeAt(text, at);
    if (d.valid) out.append(text.substr(at, d.length));
    else out += "\xEF\xBF\xBD";
    at += d.length;
  }
  return out;
}

std::string Utf8Upper(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const Decoded d = DecodeAt(text, at);
    if (d.valid) Append(out, UpperOf(d.codePoint));
    else out.push_back(text[at]);
    at += d.length;
  }
  return out;
}

}  // namespace kestro::io
