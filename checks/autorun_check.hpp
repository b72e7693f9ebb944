#pragma once
// Drive auto-start files that start a program: "[ARRS] " + the first three
// letters of the file's base name.

#include "checks/check_result.hpp"
#include "io/file_view.hpp"

namespace kestro::checks {

CheckResult AutorunCheck(FileView& file);

// The file name up to its first "." (the whole name when it has none).
std::string BaseName(const std::filesystem::path& path);

}  // namespace kestro::checks
