#pragma once
// Files named on a tool's command line, and names shown on a terminal.

#include <filesystem>
#include <string>
#include <string_view>

namespace kestro::cli {

// Why the path (links followed) is not a regular file to read, in words: "no
// such file", "a folder", "a named pipe", "a device", "a socket" or "not a
// regular file"; empty when it is one. Nothing is opened.
std::string NotARegularFile(const std::filesystem::path& path);

// Text for a terminal line: control characters (C0, DEL and C1, line breaks and
// escapes included) are shown as "?", so a name cannot break the line or steer
// the terminal. Everything else is kept.
std::string DisplayText(std::string_view text);

}  // namespace kestro::cli
