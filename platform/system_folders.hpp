#pragma once
// Folders of the operating system itself.

#include <filesystem>

namespace kestro::platform {

// The Windows folder (GetWindowsDirectoryW, without a trailing separator);
// empty where there is none (POSIX) or when it cannot be read.
std::filesystem::path WindowsFolder();

}  // namespace kestro::platform
