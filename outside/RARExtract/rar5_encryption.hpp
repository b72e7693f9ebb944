#pragma once
// libarchive 3.6 passes over the encryption record of RAR 5 file headers and
// would hand out the encrypted bytes as the member's data. This walk over the
// RAR 5 block headers finds which file entries carry such a record, so that
// they are reported as encrypted before anything is read.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace kestro::rarextract {

struct Rar5FileEntry {
  std::string name;  // as stored (UTF-8, '/' separators)
  bool encrypted = false;
};

// The file entries of a RAR 5 archive in order; empty when the file is not a
// plain RAR 5 archive or its headers cannot be walked (the walk stops there).
std::vector<Rar5FileEntry> ReadRar5FileEntries(const std::filesystem::path& path);

}  // namespace kestro::rarextract
