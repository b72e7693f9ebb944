#pragma once
// Test helpers: a private temporary folder removed at the end of the test, and
// small file writers.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void WriteFile(const std::filesystem::path& path, std::string_view bytes);
std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);

// Folder of the built programs (the build tree's out/), from the environment
// CTest sets; empty when unknown.
std::filesystem::path OutputDir();
// Root of the source tree, from the environment CTest sets.
std::filesystem::path SourceDir();

}  // namespace kestro::test
