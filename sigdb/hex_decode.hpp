#pragma once
// The hexadecimal decoder of database record lines (also used for packer
// signatures), its inverse for the database tool, and blank removal.

#include <string>
#include <string_view>

namespace kestro::sigdb {

// Characters are taken two at a time from the first; each pair becomes the
// character with the pair's value (digits in either letter case). A pair whose
// second character is not a hexadecimal digit gives the value of its first digit
// alone; a pair whose first character is not a hexadecimal digit gives 0. A
// trailing single character is decoded by itself by the same rules.
std::string HexDecode(std::string_view text);

// RemoveBlanks then HexDecode in one pass, into `out` (replaced), so that a loader
// can reuse one buffer for every line.
void DecodeBlankedHexInto(std::string_view text, std::string& out);

// Two upper-case digits per character; HexDecode(HexEncode(t)) == t for every t.
std::string HexEncode(std::string_view text);

// The text without its blanks (space characters).
std::string RemoveBlanks(std::string_view text);

}  // namespace kestro::sigdb
