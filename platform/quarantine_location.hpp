#pragma once
// Where the product keeps its quarantine folder by default.

#include <filesystem>

namespace kestro::platform {

// Windows: the first three characters of the Windows directory (the drive root)
// followed by "[ KESTRO ]". POSIX: "[ KESTRO ]" in "kestro" under the user's data
// folder ($XDG_DATA_HOME, else ~/.local/share). Empty when it cannot be found.
std::filesystem::path DefaultQuarantineFolder();

}  // namespace kestro::platform
