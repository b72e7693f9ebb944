#pragma once
// The database half of an update, shared by the desktop program's update page
// and kestro-update: each database is downloaded to a temporary file beside the
// one in use and verified; only when all three verify are they put in place,
// each by a rename, and a failure half-way puts the old files back. The files
// in use are never written to directly.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "sigdb/database_format.hpp"
#include "update/database_verify.hpp"
#include "update/download.hpp"
#include "update/update_files.hpp"
#include "update/update_index.hpp"

namespace kestro::update {

inline constexpr int kDatabaseCount = 3;

// Where one database comes from: its address as the index gives it (relative
// addresses resolved against `indexUrl`) and its digest.
struct DatabaseSource {
  std::string url;
  FileDigest digest;
};

// The three sources of an index read from `indexUrl`.
std::array<DatabaseSource, kDatabaseCount> DatabaseSources(const UpdateIndex& index,
                                                           const std::string& indexUrl);

// The temporary names beside a database: the download, and the copy of the
// file in use kept while the three are replaced.
std::filesystem::path StagedDatabasePath(const std::filesystem::path& folder, sigdb::DatabaseKind kind);
std::filesystem::path KeptDatabasePath(const std::filesystem::path& folder, sigdb::DatabaseKind kind);

// What the caller shows while the databases are fetched.
class DatabaseUpdateObserver {
 public:
  virtual ~DatabaseUpdateObserver() = default;
  virtual void DownloadStarting(sigdb::DatabaseKind kind) = 0;
  virtual void DownloadProgress(sigdb::DatabaseKind, std::uint64_t /*received*/, std::uint64_t /*total*/) {}
  // The download was fetched and checked: `check.ok`, or the reason it is refused.
  virtual void DownloadChecked(sigdb::DatabaseKind kind, const DatabaseCheck& check,
                               const FileDigest& digest) = 0;
};

struct DatabaseUpdateOutcome {
  enum class Result {
    Replaced,        // the three new files are in place
    Unchanged,       // the downloads equal the files in use (only with keepWhenIdentical)
    DownloadFailed,  // a database did not download or verify: nothing replaced
    ReplaceFailed,   // all verified, but they could not be put in place: the old files stay
  };
  Result result = Result::DownloadFailed;
  sigdb::DatabaseKind failedKind = sigdb::DatabaseKind::FileChecksum;
  std::string reason;  // for the two failures
};

struct DatabaseUpdateRequest {
  std::filesystem::path folder;  // where DB_0x.avn, DB_1x.avn, DB_2x.avn live
  std::array<DatabaseSource, kDatabaseCount> sources;
  bool keepWhenIdentical = false;  // answer Unchanged instead of replacing equal files
  // The reason given for a database without an address.
  std::string noAddressReason = "the update index gives no address for it";
};

// Fetches and verifies the three databases in order, stopping at the first that
// fails, then replaces the three. Temporary files never outlive the call.
DatabaseUpdateOutcome UpdateDatabases(const DatabaseUpdateRequest& request, UrlDownloader& downloader,
                                      UpdateFiles& files, DatabaseUpdateObserver& observer);

struct ReplaceOutcome {
  bool ok = false;
  std::string reason;
};

// Puts the staged files (StagedDatabasePath) in place of the three databases:
// all three or none. Each file in use is first copied aside; when a rename
// fails, the files already renamed are put back from those copies.
ReplaceOutcome ReplaceDatabases(const std::filesystem::path& folder, UpdateFiles& files);

}  // namespace kestro::update
