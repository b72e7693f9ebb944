#pragma once
// NUL removal for the text checks: file text is searched with its NUL bytes
// taken out, so a marker stored with NULs between its characters (UTF-16 text,
// padding) is still found. Removing them once, in a separate pass, leaves the
// search a plain text to scan.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kestro::checks {

// Copies `bytes` to `out` without their NUL bytes and returns how many were
// copied. `out` has room for bytes.size() and does not overlap `bytes`.
std::size_t CopyWithoutNul(std::span<const std::uint8_t> bytes, std::uint8_t* out);

}  // namespace kestro::checks
