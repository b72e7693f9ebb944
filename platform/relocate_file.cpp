// Moving a file with a copy fallback across volumes, and the words for a file
// error: one piece of code for every platform, over the FileOps interface.
#include <vector>

#include "platform/file.hpp"
#include "platform/file_ops.hpp"
#include "platform/staged_file.hpp"

namespace kestro::platform {
namespace {

constexpr std::size_t kCopyPiece = 1 << 20;

}  // namespace

std::string_view FileErrorText(FileError error) {
  switch (error) {
    case FileError::None: return "no error";
    case FileError::NotFound: return "it does not exist";
    case FileError::Exists: return "a file of that name already exists";
    case FileError::AccessDenied: return "access is denied";
    case FileError::DiskFull: return "the disk is full";
    case FileError::OtherVolume: return "it lies on another drive";
    case FileError::Other: break;
  }
  return "the system refused the operation";
}

FileError RelocateFile(FileOps& files, const std::filesystem::path& from, const std::filesystem::path& to,
                       bool replace) {
  const FileError renamed = files.RenameFile(from, to, replace);
  if (renamed != FileError::OtherVolume) return renamed;
  if (!replace && files.Exists(to)) return FileError::Exists;

  const RawFileHandle in = OpenRawFile(from, 1, 4);
  if (in == 0) return files.Exists(from) ? FileError::AccessDenied : FileError::NotFound;
  StagedFile copy(files, to);
  std::vector<std::uint8_t> piece(kCopyPiece);
  std::uint64_t offset = 0;
  bool readFailed = false;
  while (copy.ok()) {
    const std::int64_t got = RawFileReadAt(in, offset, piece.data(), piece.size());
    if (got < 0) readFailed = true;
    if (got <= 0) break;
    copy.Append(std::span<const std::uint8_t>(piece.data(), static_cast<std::size_t>(got)));
    offset += static_cast<std::uint64_t>(got);
  }
  CloseRawFile(in);
  if (readFailed) return FileError::Other;
  if (!copy.PlaceAt(to, replace)) return copy.error();
  // The copy is complete under its final name; only now does the original go.
  // When it cannot, the copy goes instead, so that the file exists once.
  if (!files.RemoveFile(from)) {
    files.RemoveFile(to);
    return FileError::AccessDenied;
  }
  return FileError::None;
}

}  // namespace kestro::platform
