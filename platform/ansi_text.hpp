#pragma once
// Paths as byte texts: the system ANSI code page on Windows, UTF-8 on POSIX
// systems. Used for files the program writes (logs) and for outside libraries
// with ANSI interfaces.

#include <filesystem>
#include <string>
#include <string_view>

namespace kestro::platform {

std::string AnsiPathText(const std::filesystem::path& path);
std::filesystem::path PathFromAnsi(std::string_view text);

}  // namespace kestro::platform
