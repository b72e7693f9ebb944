#pragma once
// Folder listing for the scan walks: the entries of one folder, one at a time,
// in the order the file system gives them. An entry's kind comes from the
// listing itself wherever the system reports it there (no status call per
// entry); a link is looked through only to tell a link to a file from any other
// link, and a file's size is asked for only when the walk needs it.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

namespace kestro::platform {

enum class ListedKind {
  Folder,     // a real folder; a link to a folder is never one
  File,       // a regular file, or a link to one
  OtherFile,  // neither folder nor regular file (device, pipe, socket): counted, never read
  Skipped,    // a link to a folder or to nothing, or an entry gone meanwhile
};

class FolderListing {
 public:
  using NativeChar = std::filesystem::path::value_type;

  explicit FolderListing(const std::filesystem::path& folder);
  ~FolderListing();
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;

  // False when the folder cannot be listed (missing, not a folder, no access).
  bool Opened() const;
  // Moves to the next entry other than "." and ".."; false at the end of the
  // listing or when reading it failed.
  bool Next();
  // True when the listing ended because reading it failed.
  bool Failed() const;

  // The current entry's name in the system's own characters (to build its
  // path) and as UTF-8 text. Both stay valid until the next call of Next.
  std::basic_string_view<NativeChar> NativeName() const;
  std::string_view Name() const;

  ListedKind Kind();
  // The current entry's size in bytes when it is a File (a link's target's
  // size), otherwise -1.
  std::int64_t FileSize();

 private:
  struct System;
  std::unique_ptr<System> system_;
};

}  // namespace kestro::platform
