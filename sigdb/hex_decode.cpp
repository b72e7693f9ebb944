#include "sigdb/hex_decode.hpp"

namespace kestro::sigdb {
namespace {

// Value of a hexadecimal digit, or -1.
int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

char DecodePair(char first, char second, bool hasSecond) {
  const int high = DigitValue(first);
  if (high < 0) return '\0';
  const int low = hasSecond ? DigitValue(second) : -1;
  return static_cast<char>(low < 0 ? high : high * 16 + low);
}

}  // namespace

std::string HexDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 2 + 1);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const bool hasSecond = i + 1 < text.size();
    out.push_back(DecodePair(text[i], hasSecond ? text[i + 1] : '\0', hasSecond));
  }
  return out;
}

void DecodeBlankedHexInto(std::string_view text, std::string& out) {
  out.clear();
  char first = 0;
  bool pending = false;
  for (const char c : text) {
    if (c == ' ') continue;
    if (pending) {
      out.push_back(DecodePair(first, c, true));
      pending = false;
    } else {
      first = c;
      pending = true;
    }
  }
  if (pending) out.push_back(DecodePair(first, '\0', false));
}

std::string HexEncode(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 2);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
  }
  return out;
}

std::string RemoveBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c != ' ') out.push_back(c);
  }
  return out;
}

}  // namespace kestro::sigdb
