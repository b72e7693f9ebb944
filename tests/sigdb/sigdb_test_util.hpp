#pragma once
// Helpers for the database tests: hand-made database files, line by line, so
// that tests can also write what the database tool refuses to write.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sigdb/cls_xor.hpp"
#include "sigdb/database_format.hpp"
#include "sigdb/hex_decode.hpp"
#include "sigdb/substitution.hpp"

namespace kestro::sigdb::test {

// A record line for the record text "name;signature..." as the tool encodes it.
inline std::string RecordLine(std::string_view recordText) { return HexEncode(UnsubstituteRecord(recordText)); }

// A header line (no substitution).
inline std::string HeaderLine(std::string_view text) { return HexEncode(text); }

// The enciphered file bytes of a plain text.
inline std::vector<std::uint8_t> Enciphered(std::string_view plain) {
  std::vector<std::uint8_t> bytes(plain.begin(), plain.end());
  clsXOR cipher;
  cipher.EncryptByte(bytes, kDatabaseKey);
  return bytes;
}

// Lines joined with CR LF (no final CR LF unless the last line is empty).
inline std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

}  // namespace kestro::sigdb::test
