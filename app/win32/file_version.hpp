#pragma once
// The "FileVersion" text of a file's version resource.

#include <filesystem>
#include <string>

namespace kestro::app {

// Empty when the file has no version resource (or no such text).
std::wstring FileVersionText(const std::filesystem::path& path);

}  // namespace kestro::app
