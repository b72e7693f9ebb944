#pragma once
// kestro-scan's exclusions and its one-file-system rule, as a filter of the
// scan walks.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/scan_run.hpp"

namespace kestro::cli {

// Shell-style pattern match: "*" any run of characters ("/" included), "?" one
// character, "[abc]", "[a-z]" and "[!abc]" one character of a set (ASCII
// ranges). On POSIX systems "\" makes the next character literal; on Windows it
// is the path separator and letters match without regard to case.
bool GlobMatch(std::string_view pattern, std::string_view text);

class PathFilter final : public scan::WalkFilter {
 public:
  // Patterns are matched against the whole path and against the last name.
  PathFilter(std::vector<std::string> filePatterns, std::vector<std::string> folderPatterns, bool oneFileSystem);

  // The target a walk starts from: with the one-file-system rule, folders on
  // another volume than this one are not entered.
  void StartAt(const std::filesystem::path& target);

  bool ExcludesFile(const std::filesystem::path& file) const;
  bool ExcludesFolder(const std::filesystem::path& folder) const;

  bool EntersFolder(const std::filesystem::path& folder) const override;
  bool TakesFile(const std::filesystem::path& file) const override { return !ExcludesFile(file); }
  bool FiltersFiles() const override { return !filePatterns_.empty(); }

 private:
  std::vector<std::string> filePatterns_;
  std::vector<std::string> folderPatterns_;
  bool oneFileSystem_;
  std::optional<std::uint64_t> rootVolume_;
};

}  // namespace kestro::cli
