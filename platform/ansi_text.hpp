#pragma once
// The ANSI edge. Texts inside the engine are UTF-8; files the program writes
// (the log) and outside libraries with ANSI interfaces take the system ANSI
// code page on Windows (characters it lacks become "?") and UTF-8 on POSIX
// systems. Convert once, where the text leaves or enters.

#include <filesystem>
#include <string>
#include <string_view>

namespace kestro::platform {

std::string AnsiPathText(const std::filesystem::path& path);
std::filesystem::path PathFromAnsi(std::string_view text);

// UTF-8 text in the ANSI code page.
std::string AnsiFromUtf8(std::string_view utf8);

}  // namespace kestro::platform
