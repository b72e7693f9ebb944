#include "outside/RARExtract/archive_session.hpp"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "outside/RARExtract/native_text.hpp"

namespace kestro::rarextract {
namespace {

// Each recovery re-reads the headers before the damaged member; the cap keeps a
// crafted archive full of damaged members from costing quadratic time.
constexpr int kMaxRecoveries = 16;
constexpr std::size_t kChunk = 64 * 1024;

bool IsEncrypted(archive_entry* entry) {
  return archive_entry_is_encrypted(entry) != 0 || archive_entry_is_data_encrypted(entry) == 1 ||
         archive_entry_is_metadata_encrypted(entry) == 1;
}

bool IsDirectory(archive_entry* entry) { return archive_entry_filetype(entry) == AE_IFDIR; }

void CopyName(char (&field)[KESTRO_RAR_NAME_SIZE], const std::string& text) {
  std::memset(field, 0, sizeof(field));
  std::memcpy(field, text.data(), std::min(text.size(), sizeof(field) - 1));
}

// A name joined under destPath must stay below it: no root, no drive, no "..",
// no stream colon. Names that would leave it are refused, not rewritten.
bool StaysBelow(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
  if (name.find(':') != std::string::npos) return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(start, end - start);
    if (part == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

std::unique_ptr<ArchiveSession> ArchiveSession::Open(const std::string& path, std::uint32_t& result) {
  std::unique_ptr<ArchiveSession> session(new ArchiveSession(path));
  session->rar5Entries_ = ReadRar5FileEntries(PathFromAnsi(path));
  int opened = ARCHIVE_OK;
  if (!session->StartReader(opened)) {
    std::error_code ec;
    result = std::filesystem::exists(PathFromAnsi(path), ec) ? KESTRO_ERAR_BAD_ARCHIVE : KESTRO_ERAR_EOPEN;
    return nullptr;
  }
  const int first = session->NextEntry();
  if (first == ARCHIVE_EOF) {
    session->ended_ = true;
  } else if (first < ARCHIVE_WARN) {
    // Headers that cannot be read: encrypted ones ask for a password.
    result = archive_read_has_encrypted_entries(session->reader_) > 0 ? KESTRO_ERAR_MISSING_PASSWORD
                                                                      : KESTRO_ERAR_BAD_ARCHIVE;
    return nullptr;
  } else {
    session->prefetched_ = true;
  }
  result = KESTRO_ERAR_SUCCESS;
  return session;
}

ArchiveSession::~ArchiveSession() { FreeReader(); }

bool ArchiveSession::StartReader(int& libarchiveResult) {
  FreeReader();
  reader_ = archive_read_new();
  if (reader_ == nullptr) return false;
  archive_read_support_format_rar(reader_);
  archive_read_support_format_rar5(reader_);
  libarchiveResult = OpenReaderOnFile(reader_, path_);
  if (libarchiveResult != ARCHIVE_OK) {
    FreeReader();
    return false;
  }
  return true;
}

void ArchiveSession::FreeReader() {
  if (reader_ != nullptr) archive_read_free(reader_);
  reader_ = nullptr;
  entry_ = nullptr;
}

int ArchiveSession::NextEntry() {
  entry_ = nullptr;
  const int result = archive_read_next_header(reader_, &entry_);
  if (result < ARCHIVE_WARN) entry_ = nullptr;
  return result;
}

bool ArchiveSession::Recover() {
  if (recoveries_ >= kMaxRecoveries) return false;
  ++recoveries_;
  int opened = ARCHIVE_OK;
  if (!StartReader(opened)) return false;
  for (std::uint64_t i = 0; i < headersRead_; ++i) {
    if (NextEntry() < ARCHIVE_WARN) return false;
  }
  broken_ = false;
  return true;
}

int ArchiveSession::ReadHeader(KESTROHeaderData& header) {
  current_ = false;
  if (ended_) return KESTRO_ERAR_END_ARCHIVE;
  if (broken_ && !Recover()) {
    ended_ = true;
    return KESTRO_ERAR_BAD_DATA;
  }
  if (prefetched_) {
    prefetched_ = false;
  } else {
    const int result = NextEntry();
    if (result == ARCHIVE_EOF) {
      ended_ = true;
      return KESTRO_ERAR_END_ARCHIVE;
    }
    if (result < ARCHIVE_WARN) {
      ended_ = true;
      return KESTRO_ERAR_BAD_DATA;
    }
  }
  ++headersRead_;
  current_ = true;
  FillHeader(header);
  return KESTRO_ERAR_SUCCESS;
}

void ArchiveSession::FillHeader(KESTROHeaderData& header) const {
  std::memset(&header, 0, sizeof(header));
  CopyName(header.ArcName, path_);
  CopyName(header.FileName, EntryNameAnsi(entry_));
  if (CurrentIsEncrypted()) header.Flags |= KESTRO_RHDF_ENCRYPTED;
  const bool directory = IsDirectory(entry_);
  if (directory) header.Flags |= KESTRO_RHDF_DIRECTORY;
  if (archive_entry_size_is_set(entry_) != 0) {
    header.UnpSize = static_cast<std::uint32_t>(static_cast<std::uint64_t>(archive_entry_size(entry_)) & 0xFFFFFFFFu);
  }
  if (archive_entry_mtime_is_set(entry_) != 0) header.FileTime = DosDateTime(archive_entry_mtime(entry_));
  header.UnpVer = archive_format(reader_) == ARCHIVE_FORMAT_RAR_V5 ? 50u : 29u;
#ifdef _WIN32
  header.FileAttr = directory ? 0x10u : 0x20u;  // FILE_ATTRIBUTE_DIRECTORY / _ARCHIVE
  if ((archive_entry_mode(entry_) & 0222) == 0) header.FileAttr |= 0x01u;  // read-only
#else
  header.FileAttr = static_cast<std::uint32_t>(archive_entry_mode(entry_));
#endif
}

bool ArchiveSession::CurrentIsEncrypted() const {
  if (IsEncrypted(entry_)) return true;
  // Compared as 64-bit counts first: on x86 a vector index is 32 bits wide.
  if (headersRead_ == 0 || headersRead_ > rar5Entries_.size()) return false;
  const auto index = static_cast<std::size_t>(headersRead_ - 1);
  if (!rar5Entries_[index].encrypted) return false;
  // Trust the walk only while it agrees with libarchive on which entry this is.
  const char* name = archive_entry_pathname_utf8(entry_);
  return name != nullptr && rar5Entries_[index].name == name;
}

int ArchiveSession::DataFailed() {
  broken_ = true;
  return KESTRO_ERAR_BAD_DATA;
}

int ArchiveSession::ProcessFile(int operation, const char* destPath, const char* destName) {
  if (!current_ || entry_ == nullptr) return KESTRO_ERAR_UNKNOWN;
  current_ = false;
  if (operation == KESTRO_RAR_SKIP) return KESTRO_ERAR_SUCCESS;  // the next header read skips the data
  if (operation != KESTRO_RAR_TEST && operation != KESTRO_RAR_EXTRACT) return KESTRO_ERAR_UNKNOWN;
  // libarchive cannot decrypt RAR members: reading one fails with a misleading
  // message (RAR 4) or yields the encrypted bytes (RAR 5). Report it as needing
  // a password instead.
  if (CurrentIsEncrypted()) return hasPassword_ ? KESTRO_ERAR_BAD_PASSWORD : KESTRO_ERAR_MISSING_PASSWORD;
  if (operation == KESTRO_RAR_TEST) return IsDirectory(entry_) ? KESTRO_ERAR_SUCCESS : Test();

  std::string target = destName != nullptr ? destName : "";
  if (target.empty()) {
    const std::string name = EntryNameAnsi(entry_);
    if (!StaysBelow(name)) return KESTRO_ERAR_ECREATE;
    target = destPath != nullptr ? destPath : "";
    if (!target.empty() && target.back() != '/' && target.back() != '\\') target.push_back(NameSeparator());
    target += name;
  }
  return Extract(target);
}

int ArchiveSession::Test() {
  std::vector<char> buffer(kChunk);
  for (;;) {
    const la_ssize_t got = archive_read_data(reader_, buffer.data(), buffer.size());
    if (got == 0) return KESTRO_ERAR_SUCCESS;
    if (got < 0) return DataFailed();
  }
}

int ArchiveSession::Extract(const std::string& target) {
  const std::filesystem::path path = PathFromAnsi(target);
  std::error_code ec;
  if (IsDirectory(entry_)) {
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec) ? KESTRO_ERAR_SUCCESS : KESTRO_ERAR_ECREATE;
  }
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);

  // Links are never created: any non-folder member becomes a plain file holding
  // whatever data the archive has for it.
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return KESTRO_ERAR_ECREATE;
  std::vector<char> buffer(kChunk);
  int result = KESTRO_ERAR_SUCCESS;
  std::uint64_t written = 0;
  while (written < KESTRO_RAR_MAX_MEMBER_BYTES) {
    const std::size_t room = static_cast<std::size_t>(
        std::min<std::uint64_t>(buffer.size(), KESTRO_RAR_MAX_MEMBER_BYTES - written));
    const la_ssize_t got = archive_read_data(reader_, buffer.data(), room);
    if (got == 0) break;
    if (got < 0) {
      result = DataFailed();
      break;
    }
    written += static_cast<std::uint64_t>(got);
    out.write(buffer.data(), static_cast<std::streamsize>(got));
    if (!out) {
      result = KESTRO_ERAR_EWRITE;
      break;
    }
  }
  out.close();
  if (result == KESTRO_ERAR_SUCCESS && !out) result = KESTRO_ERAR_EWRITE;
  if (result != KESTRO_ERAR_SUCCESS) std::filesystem::remove(path, ec);  // no partial or damaged copy
  return result;
}

}  // namespace kestro::rarextract
