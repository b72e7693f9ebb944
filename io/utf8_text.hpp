#pragma once
// Text inside the engine is UTF-8. Lengths and cuts that the product counts in
// characters (label shortening, log columns, the first letters of a name) count
// code points here, and a cut never splits a character. A byte that begins no
// valid sequence counts as one character of its own.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace kestro::io {

// A path as UTF-8 text (a copy of the bytes where the system's paths are UTF-8
// already, a conversion from UTF-16 on Windows).
std::string PathUtf8(const std::filesystem::path& path);

// The number of characters.
std::size_t Utf8Length(std::string_view text);

// The first / last `count` characters (all of the text when it has fewer).
std::string_view Utf8Head(std::string_view text, std::size_t count);
std::string_view Utf8Tail(std::string_view text, std::size_t count);

// The byte offset at which character `index` (0-based) begins; the text's size
// when it has no such character.
std::size_t Utf8Offset(std::string_view text, std::size_t index);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// The text with every byte that begins no valid sequence replaced by U+FFFD.
std::string Utf8Repaired(std::string_view text);

// Upper case of the letters of the Latin, Greek and Cyrillic alphabets (the
// scripts of the ANSI code pages); every other character is kept.
std::string Utf8Upper(std::string_view text);

}  // namespace kestro::io
