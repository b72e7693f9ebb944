// POSIX implementation of raw file access: open(2), fstat(2), pread(2), pwrite(2).
#include "platform/file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro::platform {
namespace {

int ToDescriptor(RawFileHandle handle) { return handle - 1; }

}  // namespace

namespace {

// OpenRawFile, with the status it takes of the file.
RawFileHandle OpenRegularFile(const std::filesystem::path& path, int createOption, int shareAccess,
                              struct stat& st) {
  if (shareAccess < 1 || shareAccess > 4) return 0;
  int flags = O_CLOEXEC;
  switch (createOption) {
    case 1: flags |= O_RDONLY; break;
    case 2: flags |= O_WRONLY | O_CREAT; break;
    case 3: flags |= O_RDWR | O_CREAT; break;
    case 4: flags |= O_RDWR; break;
    default: return 0;
  }
  // Non-blocking, so that a named pipe without a writer cannot hold the open;
  // only regular files are kept (a folder, pipe, device or socket is not a file
  // to read, and reading /dev/zero would never end).
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return 0;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || fd >= INT32_MAX) {
    ::close(fd);
    return 0;
  }
  // O_NONBLOCK stays: it has no effect on regular files (open(2)), and clearing
  // it would cost two more system calls for every file a scan opens.
  return static_cast<RawFileHandle>(fd + 1);
}

}  // namespace

RawFileHandle OpenRawFile(const std::filesystem::path& path, int createOption, int shareAccess) {
  struct stat st {};
  return OpenRegularFile(path, createOption, shareAccess, st);
}

RawFileHandle OpenRawFileForReading(const std::filesystem::path& path, std::int64_t& size) {
  struct stat st {};
  const RawFileHandle handle = OpenRegularFile(path, 1, 4, st);
  size = handle > 0 ? static_cast<std::int64_t>(st.st_size) : -1;
  return handle;
}

std::int64_t RawFileSize(RawFileHandle handle) {
  if (handle <= 0) return -1;
  struct stat st {};
  if (::fstat(ToDescriptor(handle), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

std::int64_t RawFileReadAt(RawFileHandle handle, std::uint64_t offset, std::uint8_t* buffer,
                           std::size_t length) {
  if (handle <= 0) return -1;
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got = ::pread(ToDescriptor(handle), buffer + done, length - done,
                                static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(done);
}

std::int64_t RawFileWriteAt(RawFileHandle handle, std::uint64_t offset, const std::uint8_t* buffer,
                            std::size_t length) {
  if (handle <= 0) return -1;
  std::size_t done = 0;
  while (done < length) {
    const ssize_t put = ::pwrite(ToDescriptor(handle), buffer + done, length - done,
                                 static_cast<off_t>(offset + done));
    if (put < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (put == 0) break;
    done += static_cast<std::size_t>(put);
  }
  return static_cast<std::int64_t>(done);
}

bool CloseRawFile(RawFileHandle handle) {
  if (handle <= 0) return false;
  return ::close(ToDescriptor(handle)) == 0;
}

}  // namespace kestro::platform
