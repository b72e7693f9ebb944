#pragma once
// Paths as the byte texts that outside libraries with ANSI interfaces take: the
// system ANSI code page on Windows, UTF-8 on POSIX systems.

#include <filesystem>
#include <string>
#include <string_view>

namespace kestro::platform {

std::string AnsiFromPath(const std::filesystem::path& path);
std::filesystem::path PathFromAnsi(std::string_view text);

}  // namespace kestro::platform
