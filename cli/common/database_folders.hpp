#pragma once
// Where the console tools look for the signature databases when no folder is
// given, and for the archive library.

#include <filesystem>
#include <optional>
#include <vector>

namespace kestro::cli {

// In order: the program's own folder, ../share/kestro beside it, then (POSIX)
// /usr/local/share/kestro and /usr/share/kestro.
std::vector<std::filesystem::path> DefaultDatabaseFolders(const std::filesystem::path& programFolder);

// The first of DefaultDatabaseFolders that holds DB_0x.avn.
std::optional<std::filesystem::path> FindDefaultDatabaseFolder(const std::filesystem::path& programFolder);

// The folder of the archive library: the program's own folder when the library
// is there (a build tree, Windows), else (POSIX) ../lib/kestro beside it, where
// the Debian package installs it (/usr/bin and /usr/lib/kestro).
std::filesystem::path ArchiveLibraryFolder(const std::filesystem::path& programFolder);

}  // namespace kestro::cli
