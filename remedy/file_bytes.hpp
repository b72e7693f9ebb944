#pragma once
// Whole-file reads and writes for the container files, and a file written
// piece by piece that takes its final name only once complete.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <vector>

namespace kestro::remedy {

// The whole file, or nothing when it cannot be read or is 2 GiB or larger.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path);

// Creates or truncates the file and writes the bytes; on failure removes what
// was written and answers false.
bool WriteWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// A file written piece by piece under a temporary name in the destination's
// folder, so a failed or abandoned write never leaves a partial file under the
// destination's name. The temporary file is removed unless it was committed.
class StagedFile {
 public:
  explicit StagedFile(const std::filesystem::path& destination);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // False when the temporary file could not be created or a write failed.
  bool ok() const { return ok_; }
  void Append(std::span<const std::uint8_t> piece);
  // Closes the temporary file; false (and the file removed) when any write failed.
  bool Finish();
  // Gives the finished file the destination's name (which should be free by
  // then); false when the move fails, and the temporary file goes.
  bool PlaceAt(const std::filesystem::path& destination);

 private:
  std::filesystem::path temporary_;
  std::ofstream out_;
  bool ok_ = false;
  bool open_ = false;
};

}  // namespace kestro::remedy
