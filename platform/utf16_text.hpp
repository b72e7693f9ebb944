#pragma once
// UTF-8 text and UTF-16 LE bytes, both ways, without any OS help (the registry
// stores texts as UTF-16; the engine holds them as UTF-8). Malformed input never
// fails: an invalid sequence becomes U+FFFD.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::platform {

// UTF-16 code units of the text, and UTF-8 text of code units (a lone
// surrogate becomes U+FFFD).
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view units);

// UTF-16 LE bytes of the text, without a terminating NUL.
std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view text);
// UTF-8 text of UTF-16 LE bytes (an odd last byte is ignored).
std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes);

}  // namespace kestro::platform
