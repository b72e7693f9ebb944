// POSIX file operations: lstat/unlink/rmdir/readdir; moves by renameat2 with a
// copy fallback across file systems.
#include "platform/file_ops.hpp"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro::platform {
namespace {

bool StatOf(const std::filesystem::path& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }
bool LstatOf(const std::filesystem::path& path, struct stat& st) { return ::lstat(path.c_str(), &st) == 0; }

bool CopyThenRemove(const std::filesystem::path& from, const std::filesystem::path& to, bool replace) {
  std::error_code ec;
  const auto option = replace ? std::filesystem::copy_options::overwrite_existing
                              : std::filesystem::copy_options::none;
  if (!std::filesystem::copy_file(from, to, option, ec) || ec) return false;
  if (::unlink(from.c_str()) != 0) {
    ::unlink(to.c_str());
    return false;
  }
  return true;
}

class PosixFileOps final : public FileOps {
 public:
  bool IsFile(const std::filesystem::path& path) override {
    struct stat st {};
    return StatOf(path, st) && !S_ISDIR(st.st_mode);
  }
  bool IsFolder(const std::filesystem::path& path) override {
    struct stat st {};
    return StatOf(path, st) && S_ISDIR(st.st_mode);
  }
  bool IsLink(const std::filesystem::path& path) override {
    struct stat st {};
    return LstatOf(path, st) && S_ISLNK(st.st_mode);
  }
  bool Exists(const std::filesystem::path& path) override {
    struct stat st {};
    return LstatOf(path, st);
  }
  bool MakeFolder(const std::filesystem::path& path) override { return ::mkdir(path.c_str(), 0777) == 0; }
  bool SetNormalAttributes(const std::filesystem::path& path) override {
    struct stat st {};
    if (!LstatOf(path, st)) return false;
    if (S_ISLNK(st.st_mode)) return true;  // links have no mode of their own to change
    return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR | S_IRUSR) == 0;
  }
  bool SetHiddenSystemAttributes(const std::filesystem::path& path) override { return Exists(path); }
  bool RemoveFile(const std::filesystem::path& path) override {
    struct stat st {};
    if (!LstatOf(path, st) || S_ISDIR(st.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
  }
  bool RemoveFileDeviceForm(const std::filesystem::path& path) override { return RemoveFile(path); }
  bool ForceRemoveFile(const std::filesystem::path& path) override {
    SetNormalAttributes(path);
    return RemoveFile(path);
  }
  bool RemoveEmptyFolder(const std::filesystem::path& path) override { return ::rmdir(path.c_str()) == 0; }
  bool RemoveLinkItself(const std::filesystem::path& path) override {
    struct stat st {};
    if (!LstatOf(path, st) || !S_ISLNK(st.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
  }
  std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder) override {
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return entries;
    while (const dirent* e = ::readdir(dir)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      FolderEntry entry{folder / name, EntryKind::File};
      struct stat st {};
      if (LstatOf(entry.path, st)) {
        if (S_ISLNK(st.st_mode)) entry.kind = EntryKind::Link;
        else if (S_ISDIR(st.st_mode)) entry.kind = EntryKind::Folder;
      }
      entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return entries;
  }
  bool MoveFileTo(const std::filesystem::path& from, const std::filesystem::path& to, bool replace) override {
    const unsigned flags = replace ? 0u : RENAME_NOREPLACE;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags) == 0) return true;
    if (errno == EXDEV) return CopyThenRemove(from, to, replace);
    if (errno == EINVAL && !replace) {
      // The file system cannot refuse replacement itself: check, then rename.
      if (Exists(to)) return false;
      return ::rename(from.c_str(), to.c_str()) == 0;
    }
    return false;
  }
};

}  // namespace

FileOps& NativeFileOps() {
  static PosixFileOps ops;
  return ops;
}

std::filesystem::path LongPathForm(const std::filesystem::path& path) { return path; }

}  // namespace kestro::platform
