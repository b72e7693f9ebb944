// POSIX folder listing: readdir(3) with the entry type it reports (d_type);
// fstatat(2) beside the open folder only for links, for file systems that do
// not report types, and for a candidate file's size.
#include "platform/folder_listing.hpp"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace kestro::platform {

struct FolderListing::System {
  DIR* dir = nullptr;
  dirent* entry = nullptr;
  bool failed = false;
  // What is known of the current entry.
  bool kindKnown = false;
  ListedKind kind = ListedKind::Skipped;
  bool targetKnown = false;  // `target` holds the status with links followed
  bool targetOk = false;
  struct stat target {};

  const struct stat* Target() {
    if (!targetKnown) {
      targetKnown = true;
      targetOk = ::fstatat(::dirfd(dir), entry->d_name, &target, 0) == 0;
    }
    return targetOk ? &target : nullptr;
  }
  ListedKind LinkKind() {
    const struct stat* t = Target();
    return t != nullptr && S_ISREG(t->st_mode) ? ListedKind::File : ListedKind::Skipped;
  }
};

FolderListing::FolderListing(const std::filesystem::path& folder) : system_(std::make_unique<System>()) {
  system_->dir = ::opendir(folder.c_str());
}

FolderListing::~FolderListing() {
  if (system_->dir != nullptr) ::closedir(system_->dir);
}

bool FolderListing::Opened() const { return system_->dir != nullptr; }

bool FolderListing::Next() {
  System& s = *system_;
  if (s.dir == nullptr) return false;
  for (;;) {
    errno = 0;
    s.entry = ::readdir(s.dir);
    if (s.entry == nullptr) {
      s.failed = errno != 0;
      return false;
    }
    const char* name = s.entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    s.kindKnown = false;
    s.targetKnown = false;
    return true;
  }
}

bool FolderListing::Failed() const { return system_->failed; }

std::basic_string_view<FolderListing::NativeChar> FolderListing::NativeName() const {
  return system_->entry != nullptr ? system_->entry->d_name : "";
}

std::string_view FolderListing::Name() const { return NativeName(); }

ListedKind FolderListing::Kind() {
  System& s = *system_;
  if (s.entry == nullptr) return ListedKind::Skipped;
  if (s.kindKnown) return s.kind;
  s.kindKnown = true;
  switch (s.entry->d_type) {
    case DT_DIR: return s.kind = ListedKind::Folder;
    case DT_REG: return s.kind = ListedKind::File;
    case DT_LNK: return s.kind = s.LinkKind();
    case DT_UNKNOWN: break;
    default: return s.kind = ListedKind::OtherFile;
  }
  // The file system does not report types in its listing: ask for the entry itself.
  struct stat own {};
  if (::fstatat(::dirfd(s.dir), s.entry->d_name, &own, AT_SYMLINK_NOFOLLOW) != 0) return s.kind = ListedKind::Skipped;
  if (S_ISDIR(own.st_mode)) return s.kind = ListedKind::Folder;
  if (S_ISREG(own.st_mode)) return s.kind = ListedKind::File;
  if (S_ISLNK(own.st_mode)) return s.kind = s.LinkKind();
  return s.kind = ListedKind::OtherFile;
}

std::int64_t FolderListing::FileSize() {
  if (Kind() != ListedKind::File) return -1;
  const struct stat* t = system_->Target();
  if (t == nullptr || !S_ISREG(t->st_mode)) return -1;
  return static_cast<std::int64_t>(t->st_size);
}

}  // namespace kestro::platform
