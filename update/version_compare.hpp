#pragma once
// Program versions as the updater compares them: digit texts with the dots
// removed ("4.2" gives "42"), compared as texts.

#include <string>
#include <string_view>

namespace kestro::update {

// The version text without its dots.
std::string VersionDigits(std::string_view version);

// True when `serverDigits` is greater than `localDigits` as a text, character by
// character in code-unit order. Peers' index files rely on this exact rule:
// "410" is not newer than "42", and an empty text is never newer.
bool IsNewerVersion(std::string_view serverDigits, std::string_view localDigits);

}  // namespace kestro::update
