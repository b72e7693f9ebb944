#pragma once
// Raw file access on the operating system's own handles.
//
// The engine's binary file access works with a positive 32-bit handle value and
// 0 for "no file". On Windows this is the kernel HANDLE itself (kernel handles
// always fit in 32 bits); on POSIX systems it is the descriptor plus one.
// Every function absorbs OS errors and reports them by its result.

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace kestro::platform {

using RawFileHandle = std::int32_t;

// Access and creation, as the file access class numbers them.
enum class CreateOption : int {
  ReadExisting = 1,       // read, open existing
  WriteOpenOrCreate = 2,  // write, open or create
  ReadWriteOpenOrCreate = 3,
  ReadWriteExisting = 4,
};

// Sharing granted to other openers (ignored where the OS has no share modes).
enum class ShareAccess : int {
  DeleteOnly = 1,
  WriteDelete = 2,
  ReadDelete = 3,
  All = 4,
};

// Opens the file; returns 0 when it cannot be opened, is not a regular file on
// a disk (a folder, named pipe, device or socket; a pipe never blocks the
// open), or the options are out of range. On Windows a failed wide-character
// open is retried with the path in the ANSI code page.
RawFileHandle OpenRawFile(const std::filesystem::path& path, int createOption, int shareAccess);

// OpenRawFile(path, 1, 4) (read an existing file, full sharing) that also gives
// the file's size, or -1 when it cannot be obtained: where the open already
// learns the size this saves a system call per file.
RawFileHandle OpenRawFileForReading(const std::filesystem::path& path, std::int64_t& size);

// Size in bytes, or -1 when it cannot be obtained.
std::int64_t RawFileSize(RawFileHandle handle);

// Reads up to `length` bytes at the 0-based `offset`, repeating short reads until
// the length is reached or the file ends. Returns the count read, or -1 on error.
std::int64_t RawFileReadAt(RawFileHandle handle, std::uint64_t offset, std::uint8_t* buffer,
                           std::size_t length);

// Writes `length` bytes at the 0-based `offset`. Returns the count written, or -1.
std::int64_t RawFileWriteAt(RawFileHandle handle, std::uint64_t offset, const std::uint8_t* buffer,
                            std::size_t length);

// Closes the handle; true when it was open and is now closed.
bool CloseRawFile(RawFileHandle handle);

}  // namespace kestro::platform
