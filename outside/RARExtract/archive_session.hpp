#pragma once
// One open RAR archive: a libarchive reader restricted to the RAR 4 and RAR 5
// formats, walked member by member as the exports require.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "outside/RARExtract/rar5_encryption.hpp"
#include "outside/RARExtract/rar_extract_api.h"

struct archive;
struct archive_entry;

namespace kestro::rarextract {

class ArchiveSession {
 public:
  // Opens the archive and reads its first header, so that an archive whose
  // headers cannot be read is refused at once. `result` gets the open result.
  static std::unique_ptr<ArchiveSession> Open(const std::string& path, std::uint32_t& result);

  ~ArchiveSession();
  ArchiveSession(const ArchiveSession&) = delete;
  ArchiveSession& operator=(const ArchiveSession&) = delete;

  void SetPassword(const char* password) { hasPassword_ = password != nullptr && *password != '\0'; }
  int ReadHeader(KESTROHeaderData& header);
  int ProcessFile(int operation, const char* destPath, const char* destName);

 private:
  explicit ArchiveSession(std::string path) : path_(std::move(path)) {}

  // Starts a fresh reader on the file; false when it cannot be opened.
  bool StartReader(int& libarchiveResult);
  void FreeReader();
  // After a member's data failed, libarchive refuses every further call: open
  // the file again and step over the headers already handed out.
  bool Recover();
  int NextEntry();  // libarchive's next header into entry_
  void FillHeader(KESTROHeaderData& header) const;
  int Extract(const std::string& target);
  int Test();
  int DataFailed();
  // The current entry is encrypted, by libarchive's word or by the RAR 5 walk.
  bool CurrentIsEncrypted() const;

  std::string path_;
  archive* reader_ = nullptr;
  archive_entry* entry_ = nullptr;
  std::uint64_t headersRead_ = 0;  // headers handed out so far
  bool prefetched_ = false;        // entry_ holds a header read but not handed out
  bool current_ = false;           // entry_ was handed out, its data not yet used
  bool broken_ = false;            // the reader must be recovered before the next header
  bool ended_ = false;             // end or unreadable: every further header read ends
  int recoveries_ = 0;
  bool hasPassword_ = false;
  std::vector<Rar5FileEntry> rar5Entries_;  // empty for RAR 4 archives
};

}  // namespace kestro::rarextract
