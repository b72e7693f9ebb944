#pragma once
// The extension list test: the last three characters of the path (four in the
// four-character variant), upper-cased, must occur anywhere in the upper-cased
// list text. A plain substring search, not a word match: "EXE SYS OCX DLL"
// accepts a path ending in "exe" without a dot, and "HTM" lists accept ".html"
// only through the four-character variant.

#include <filesystem>
#include <string>
#include <string_view>

#include "io/utf8_text.hpp"

namespace kestro::checks {

// ASCII upper case; other bytes are kept.
std::string UpperAscii(std::string_view text);

// The path as UTF-8 text.
using io::PathUtf8;

// `tailChars` is 3 for the usual test and 4 for the four-character variant.
bool PassesExtensionList(const std::filesystem::path& path, std::string_view list,
                         std::size_t tailChars = 3);
bool PassesExtensionListText(std::string_view pathText, std::string_view list, std::size_t tailChars = 3);

}  // namespace kestro::checks
