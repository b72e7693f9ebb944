#include "platform/staged_file.hpp"

#include <string>

namespace kestro::platform {
namespace {

constexpr int kMaxTemporaryNames = 1000;

}  // namespace

StagedFile::StagedFile(FileOps& files, const std::filesystem::path& destination) : files_(files) {
  const std::filesystem::path folder = destination.parent_path();
  error_ = FileError::Exists;
  // A name beside the destination that no file has yet: never overwrite one.
  for (int n = 0; n < kMaxTemporaryNames && error_ == FileError::Exists; ++n) {
    std::filesystem::path candidate = destination.filename();
    candidate += ".kestro-part" + (n == 0 ? std::string() : std::to_string(n));
    candidate = folder / candidate;
    out_ = files_.CreateNewFile(candidate, error_);
    if (out_) {
      temporary_ = candidate;
      error_ = FileError::None;
    }
  }
}

StagedFile::~StagedFile() { Discard(); }

void StagedFile::Discard() {
  if (out_) out_->Close();
  out_.reset();
  if (!temporary_.empty()) files_.RemoveFile(temporary_);
  temporary_.clear();
}

void StagedFile::Append(std::span<const std::uint8_t> piece) {
  if (!ok() || piece.empty()) return;
  error_ = out_->Write(piece);
}

bool StagedFile::Finish() {
  if (ok() && out_) {
    error_ = out_->Close();
    out_.reset();
  }
  if (!ok()) Discard();
  return ok();
}

bool StagedFile::PlaceAt(const std::filesystem::path& destination, bool replace) {
  if (!Finish()) return false;
  if (temporary_.empty()) {
    error_ = FileError::Other;
    return false;
  }
  error_ = files_.RenameFile(temporary_, destination, replace);
  if (!ok()) {
    Discard();
    return false;
  }
  temporary_.clear();
  return true;
}

}  // namespace kestro::platform
