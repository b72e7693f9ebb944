#pragma once
// File and folder operations of the delete routine and the quarantine store:
// attributes, the several ways of deleting, folder listing that tells links
// apart, and moving. Every call absorbs OS errors and answers by its result.
//
// Method names avoid the Win32 function names, which <windows.h> defines as macros.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::platform {

// Why a file operation failed, so that a message can name the real cause.
enum class FileError {
  None,
  NotFound,
  Exists,
  AccessDenied,
  DiskFull,
  OtherVolume,  // a rename whose destination lies on another volume
  Other,
};

// The cause in words for a message: "the disk is full", "access is denied", ...
std::string_view FileErrorText(FileError error);

// A file being written that did not exist before.
class NewFile {
 public:
  virtual ~NewFile() = default;
  virtual FileError Write(std::span<const std::uint8_t> bytes) = 0;
  // Closes the file (a late write error shows here); later calls answer None.
  virtual FileError Close() = 0;
};

enum class EntryKind {
  File,
  Folder,
  Link,  // a symbolic link, junction or other reparse point: never followed
};

struct FolderEntry {
  std::filesystem::path path;
  EntryKind kind = EntryKind::File;
};

class FileOps {
 public:
  virtual ~FileOps() = default;
  // True when the path exists and is not a folder.
  virtual bool IsFile(const std::filesystem::path& path) = 0;
  virtual bool IsFolder(const std::filesystem::path& path) = 0;
  // True for a symbolic link, junction or other reparse point (not followed).
  virtual bool IsLink(const std::filesystem::path& path) = 0;
  // True when the path now exists as something (file, folder or link).
  virtual bool Exists(const std::filesystem::path& path) = 0;
  // Creates one folder; true when it was created.
  virtual bool MakeFolder(const std::filesystem::path& path) = 0;
  // Normal attributes: clears read-only, hidden and system (owner-writable on POSIX).
  virtual bool SetNormalAttributes(const std::filesystem::path& path) = 0;
  // Hidden and system attributes (Windows); POSIX has none and answers true.
  virtual bool SetHiddenSystemAttributes(const std::filesystem::path& path) = 0;
  // The plain deletion of a file.
  virtual bool RemoveFile(const std::filesystem::path& path) = 0;
  // Deletion through the Win32 device namespace ("\\.\" + path), which reaches
  // names the plain form cannot; on POSIX the plain deletion again.
  virtual bool RemoveFileDeviceForm(const std::filesystem::path& path) = 0;
  // Forced deletion: clear the attributes (read-only included) and delete.
  virtual bool ForceRemoveFile(const std::filesystem::path& path) = 0;
  // Removes an empty folder.
  virtual bool RemoveEmptyFolder(const std::filesystem::path& path) = 0;
  // Removes a link itself (file or folder link, junction), never its target.
  virtual bool RemoveLinkItself(const std::filesystem::path& path) = 0;
  // Every entry of a folder, hidden and system ones included, without "." and "..".
  virtual std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder) = 0;
  // Creates a file that must not exist yet and opens it for writing; null, with
  // `error` set, when it cannot.
  virtual std::unique_ptr<NewFile> CreateNewFile(const std::filesystem::path& path, FileError& error) = 0;
  // Renames a file within its volume; an existing destination is replaced only
  // when `replace` is true. OtherVolume when `to` lies on another volume.
  virtual FileError RenameFile(const std::filesystem::path& from, const std::filesystem::path& to,
                               bool replace) = 0;
};

// Moves a file, across volumes too. Across volumes the file is copied under a
// temporary name in the destination's folder and renamed into place only when
// complete, so a failed copy (a full disk) leaves nothing behind; the source is
// deleted last. An existing destination is replaced only when `replace` is true.
FileError RelocateFile(FileOps& files, const std::filesystem::path& from, const std::filesystem::path& to,
                       bool replace);

// The operating system's implementation.
FileOps& NativeFileOps();

// The volume (file system) a file or folder lies on, as a number equal for
// every path of that volume; nothing when the path cannot be examined.
std::optional<std::uint64_t> VolumeOf(const std::filesystem::path& path);

// The long form of a path holding short (8.3) components; other paths unchanged.
std::filesystem::path LongPathForm(const std::filesystem::path& path);

}  // namespace kestro::platform
