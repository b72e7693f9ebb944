#pragma once
// A file written piece by piece under a temporary name in the destination's
// folder, so that a failed or abandoned write never leaves a partial file under
// the destination's name and never touches a file that was there before. The
// temporary file is removed unless it was placed.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "platform/file_ops.hpp"

namespace kestro::platform {

class StagedFile {
 public:
  StagedFile(FileOps& files, const std::filesystem::path& destination);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // False once anything failed; error() tells why.
  bool ok() const { return error_ == FileError::None; }
  FileError error() const { return error_; }

  void Append(std::span<const std::uint8_t> piece);
  // Closes the temporary file; false (and the file removed) when any write failed.
  bool Finish();
  // Gives the finished file the destination's name. An existing destination is
  // replaced only when `replace` is true (error Exists otherwise). On failure the
  // temporary file goes.
  bool PlaceAt(const std::filesystem::path& destination, bool replace);

 private:
  void Discard();

  FileOps& files_;
  std::filesystem::path temporary_;
  std::unique_ptr<NewFile> out_;
  FileError error_ = FileError::None;
};

}  // namespace kestro::platform
