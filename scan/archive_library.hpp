#pragma once
// The outside archive library RARExtract as the archive scanner calls it: five
// calls with the library's own records. The real binding loads the library by
// name from the program folder; when it is missing (or lacks an entry point)
// every call fails, so archives are skipped. Tests may put fakes behind the
// interface.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "outside/RARExtract/rar_extract_api.h"

namespace kestro::scan {

using ArchiveHandle = KESTROArchiveHandle;
using ArchiveOpenRecord = KESTROOpenArchiveData;
using ArchiveHeaderRecord = KESTROHeaderData;

class ArchiveLibrary {
 public:
  virtual ~ArchiveLibrary() = default;

  // True when the library and all five entry points were found.
  virtual bool IsAvailable() const = 0;

  // KESTROOpenArchive: a handle, and record.OpenResult 0 when opened.
  virtual ArchiveHandle OpenArchive(ArchiveOpenRecord& record) = 0;
  // KESTROSetPassword.
  virtual void SetPassword(ArchiveHandle handle, const char* password) = 0;
  // KESTROReadHeader: 0 when the next member's header was read.
  virtual int ReadHeader(ArchiveHandle handle, ArchiveHeaderRecord& header) = 0;
  // KESTROProcessFile: 0 when the operation on the current member succeeded.
  virtual int ProcessFile(ArchiveHandle handle, int operation, const char* destFolder, const char* destName) = 0;
  // KESTROCloseArchive.
  virtual void CloseArchive(ArchiveHandle handle) = 0;
};

// The library's file name in the program folder: "RARExtract.dll" on Windows,
// "libRARExtract.so" on POSIX systems.
std::filesystem::path ArchiveLibraryFileName();

// Binds the library from `programFolder` (the folder of the running program).
std::unique_ptr<ArchiveLibrary> BindArchiveLibrary(const std::filesystem::path& programFolder);

// Binds the library at exactly this path.
std::unique_ptr<ArchiveLibrary> BindArchiveLibraryAt(const std::filesystem::path& libraryPath);

// Binds the library at this path when it is first asked for: a scan that meets
// no archive never loads it, nor the libraries it depends on, which would cost
// every start some milliseconds. `unavailable` (may be empty) is called once, at
// that first use, when the library cannot be used. Like the archive scanner that
// calls it, it is used from one thread at a time.
std::unique_ptr<ArchiveLibrary> BindArchiveLibraryOnFirstUse(std::filesystem::path libraryPath,
                                                             std::function<void()> unavailable);

}  // namespace kestro::scan
