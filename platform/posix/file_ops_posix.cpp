// POSIX file operations: lstat/unlink/rmdir/readdir, exclusive creation, and
// renames by renameat2 (the copy across file systems is portable code).
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

FileError ErrorFromErrno(int error) {
  switch (error) {
    case 0: return FileError::None;
    case ENOENT:
    case ENOTDIR: return FileError::NotFound;
    case EEXIST:
    case ENOTEMPTY: return FileError::Exists;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return FileError::AccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return FileError::DiskFull;
    case EXDEV: return FileError::OtherVolume;
    default: return FileError::Other;
  }
}

class PosixNewFile final : public NewFile {
 public:
  explicit PosixNewFile(int fd) : fd_(fd) {}
  ~PosixNewFile() override { Close(); }
  FileError Write(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t put = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (put < 0) {
        if (errno == EINTR) continue;
        return ErrorFromErrno(errno);
      }
      if (put == 0) return FileError::DiskFull;
      done += static_cast<std::size_t>(put);
    }
    return FileError::None;
  }
  FileError Close() override {
    if (fd_ < 0) return FileError::None;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? FileError::None : ErrorFromErrno(errno);
  }

 private:
  int fd_;
};

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
  std::unique_ptr<NewFile> CreateNewFile(const std::filesystem::path& path, FileError& error) override {
    int fd;
    do {
      fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      error = ErrorFromErrno(errno);
      return nullptr;
    }
    error = FileError::None;
    return std::make_unique<PosixNewFile>(fd);
  }
  FileError RenameFile(const std::filesystem::path& from, const std::filesystem::path& to, bool replace) override {
    const unsigned flags = replace ? 0u : RENAME_NOREPLACE;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags) == 0) return FileError::None;
    if (errno == EINVAL && !replace) {
      // The file system cannot refuse replacement itself: check, then rename.
      if (Exists(to)) return FileError::Exists;
      if (::rename(from.c_str(), to.c_str()) == 0) return FileError::None;
    }
    return ErrorFromErrno(errno);
  }
};

}  // namespace

FileOps& NativeFileOps() {
  static PosixFileOps ops;
  return ops;
}

std::optional<std::uint64_t> VolumeOf(const std::filesystem::path& path) {
  struct stat st {};
  if (!StatOf(path, st)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_dev);
}

std::filesystem::path LongPathForm(const std::filesystem::path& path) { return path; }

}  // namespace kestro::platform
