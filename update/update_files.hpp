#pragma once
// The file operations of the updater, behind one seam so tests can make a
// single step fail. Every call absorbs errors and answers by its result.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace kestro::update {

class UpdateFiles {
 public:
  virtual ~UpdateFiles() = default;
  // The whole file; nothing when it cannot be read or is larger than maxBytes.
  virtual std::optional<std::vector<std::uint8_t>> ReadAll(const std::filesystem::path& path,
                                                           std::size_t maxBytes) = 0;
  // Size of a regular file; nothing when there is none.
  virtual std::optional<std::uint64_t> FileSize(const std::filesystem::path& path) = 0;
  // True when the file is gone afterwards (a missing file counts as removed).
  virtual bool Remove(const std::filesystem::path& path) = 0;
  // Copies a file, replacing the destination.
  virtual bool Copy(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Renames `from` over `to` in one step (both in the same folder), replacing it.
  virtual bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
};

// The real file system.
UpdateFiles& NativeUpdateFiles();

}  // namespace kestro::update
