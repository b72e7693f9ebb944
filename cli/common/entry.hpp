#pragma once
// Shared entry for the console tools: arguments arrive as UTF-8 texts on every
// platform (wide arguments on Windows are converted), and paths are made from
// them without loss.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "io/utf8_text.hpp"
#include "kestro_version.h"

namespace kestro::cli {

// The tool's own main, given its arguments without the program name.
int ToolMain(const std::vector<std::string>& args);

// A path from a UTF-8 argument.
inline std::filesystem::path PathFromArg(const std::string& arg) {
  return std::filesystem::path(std::u8string(arg.begin(), arg.end()));
}

// A path as UTF-8 text for printing.
inline std::string PathText(const std::filesystem::path& path) { return io::PathUtf8(path); }

// The first line of every tool's --version: "kestro-x (KESTRO Antivirus) 4.2".
inline std::string VersionLine(std::string_view tool) {
  return std::string(tool) + " (KESTRO Antivirus) " KESTRO_VERSION_TEXT;
}

// Folder of the running executable (empty when unknown).
std::filesystem::path ExecutableFolder();

}  // namespace kestro::cli
