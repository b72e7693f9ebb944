#pragma once
// Our own reader of the Windows shell-link (.lnk) format, enough to give the
// target path text the Windows Script Host reports for a shortcut: from the link
// information (local base path plus common path suffix, or the network share
// plus suffix), else from the link target ID list (drive and file entries), else
// from the environment-variable block. ANSI and Unicode forms are both read.
// Every field is bounds-checked; a malformed link gives no target.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kestro::checks {

// The target as UTF-8 text; std::nullopt when the bytes are not a shell link or
// a structure it declares runs outside the bytes. A valid link without target
// information gives an empty text.
std::optional<std::string> ShellLinkTarget(std::span<const std::uint8_t> bytes);

// Text conversions used by the reader (ANSI is taken as code page 1252's Latin-1 range).
std::string AnsiToUtf8(std::span<const std::uint8_t> bytes);
std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes);

}  // namespace kestro::checks
