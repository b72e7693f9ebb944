#pragma once
// Binary file access with 1-based positioned reads and writes on a raw handle.
//
// Results follow the product's file access rules: a handle is a positive 32-bit
// value (0 = could not open); reads and writes answer the count moved or a
// negative code that says which precondition failed. Nothing throws.
//
// Sizes: the handle-level interface is 32-bit. Internally sizes are 64-bit, and
// VbFileLen saturates: a file of 2 GiB or more reports 2,147,483,647 rather
// than a wrapped (possibly small or negative) low 32-bit value, so a size limit
// can never mistake a huge file for a small one. FileLen64 gives the true size.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace kestro::checks {

using Bytes = std::vector<std::uint8_t>;

// Why a positioned read of `readLength` bytes at 1-based `startPos` cannot go
// ahead on a file of `size` bytes, tested in this order:
// -1 size negative, -2 size zero, -3 size below startPos, -4 startPos not positive,
// -5 readLength not positive, -6 size below readLength. 0 when it may go ahead.
std::int32_t ReadRefusal(std::int64_t size, std::int64_t startPos, std::int64_t readLength);

class clsFile {
 public:
  // opCreateOption: 1 read/existing, 2 write/open-or-create, 3 read-write/open-or-create,
  // 4 read-write/existing. opShareAccess: 1 delete, 2 write+delete, 3 read+delete, 4 all.
  std::int32_t VbOpenFile(const std::filesystem::path& szFileName, int opCreateOption,
                          int opShareAccess) const;

  // Size in bytes, saturated at 2,147,483,647; -1 when it cannot be obtained.
  std::int32_t VbFileLen(std::int32_t nFileHandle) const;

  // The true 64-bit size, or -1.
  std::int64_t FileLen64(std::int32_t nFileHandle) const;

  // Non-zero when the handle was closed.
  std::int32_t VbCloseFile(std::int32_t nFileHandle) const;

  // Reads nReadLength bytes at 1-based nStartPos into OutFileData (replaced). A read
  // that runs into the end of the file returns the shorter block. Refusals return
  // the ReadRefusal code with an empty block; an OS read error returns -1.
  std::int32_t VbReadFileB(std::int32_t nFileHandle, std::int32_t nStartPos,
                           std::int32_t nReadLength, Bytes& OutFileData) const;

  // Writes the first nWriteLength bytes of InToFileData at 1-based nStartPos.
  // -1 nStartPos not positive, -2 nWriteLength not positive, -3 block too short,
  // -4 the OS refused the write; otherwise the count written.
  std::int32_t VbWriteFileB(std::int32_t nFileHandle, std::int32_t nStartPos,
                            std::int32_t nWriteLength, const Bytes& InToFileData) const;
};

}  // namespace kestro::checks
