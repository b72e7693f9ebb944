#include "update/database_update.hpp"

#include "sigdb/database_loader.hpp"

namespace kestro::update {
namespace {

namespace fs = std::filesystem;
using sigdb::DatabaseKind;

DatabaseKind KindAt(int k) {
  return static_cast<DatabaseKind>(k);
}

std::string FileName(DatabaseKind kind) {
  return std::string(sigdb::DatabaseFileName(kind));
}

fs::path TargetPath(const fs::path& folder, DatabaseKind kind) {
  return folder / FileName(kind);
}

void RemoveStaged(const fs::path& folder, UpdateFiles& files) {
  for (int k = 0; k < kDatabaseCount; ++k) files.Remove(StagedDatabasePath(folder, KindAt(k)));
}

// Downloads and checks one database into its staged path.
DatabaseCheck FetchOne(const DatabaseUpdateRequest& request, DatabaseKind kind, UrlDownloader& downloader,
                       UpdateFiles& files, DatabaseUpdateObserver& observer) {
  DatabaseCheck refused;
  const DatabaseSource& source = request.sources[static_cast<std::size_t>(kind)];
  if (source.url.empty()) {
    refused.reason = request.noAddressReason;
    return refused;
  }
  const fs::path staged = StagedDatabasePath(request.folder, kind);
  if (!files.Remove(staged)) {
    refused.reason = "the old temporary file " + staged.filename().string() + " cannot be removed";
    return refused;
  }
  const DownloadResult download = downloader.Fetch(
      source.url, staged,
      [&](std::uint64_t received, std::uint64_t total) { observer.DownloadProgress(kind, received, total); });
  if (!download.ok) {
    refused.reason = download.error.empty() ? "the download failed" : download.error;
    return refused;
  }
  const auto size = files.FileSize(staged);
  if (size && *size > static_cast<std::uint64_t>(sigdb::kMaxDatabaseBytes)) {
    refused.reason = "the file is too large for a database";
    return refused;
  }
  const auto bytes = files.ReadAll(staged, static_cast<std::size_t>(sigdb::kMaxDatabaseBytes));
  if (!bytes) {
    refused.reason = "the downloaded file cannot be read";
    return refused;
  }
  return VerifyDatabase(*bytes, kind, source.digest);
}

bool StagedEqualCurrent(const fs::path& folder, UpdateFiles& files) {
  const auto limit = static_cast<std::size_t>(sigdb::kMaxDatabaseBytes);
  for (int k = 0; k < kDatabaseCount; ++k) {
    const auto current = files.ReadAll(TargetPath(folder, KindAt(k)), limit);
    const auto staged = files.ReadAll(StagedDatabasePath(folder, KindAt(k)), limit);
    if (!current || !staged || *current != *staged) return false;
  }
  return true;
}

}  // namespace

std::array<DatabaseSource, kDatabaseCount> DatabaseSources(const UpdateIndex& index,
                                                           const std::string& indexUrl) {
  std::array<DatabaseSource, kDatabaseCount> sources;
  for (std::size_t k = 0; k < sources.size(); ++k) {
    sources[k].url =
        index.databaseUrls[k].empty() ? std::string() : ResolveUrl(indexUrl, index.databaseUrls[k]);
    sources[k].digest = index.digests[k];
  }
  return sources;
}

fs::path StagedDatabasePath(const fs::path& folder, DatabaseKind kind) {
  return folder / (FileName(kind) + ".new");
}

fs::path KeptDatabasePath(const fs::path& folder, DatabaseKind kind) {
  return folder / (FileName(kind) + ".old");
}

DatabaseUpdateOutcome UpdateDatabases(const DatabaseUpdateRequest& request, UrlDownloader& downloader,
                                      UpdateFiles& files, DatabaseUpdateObserver& observer) {
  DatabaseUpdateOutcome outcome;
  for (int k = 0; k < kDatabaseCount; ++k) {
    const DatabaseKind kind = KindAt(k);
    observer.DownloadStarting(kind);
    const DatabaseCheck check = FetchOne(request, kind, downloader, files, observer);
    observer.DownloadChecked(kind, check, request.sources[static_cast<std::size_t>(k)].digest);
    if (!check.ok) {
      RemoveStaged(request.folder, files);
      outcome.result = DatabaseUpdateOutcome::Result::DownloadFailed;
      outcome.failedKind = kind;
      outcome.reason = check.reason;
      return outcome;
    }
  }
  if (request.keepWhenIdentical && StagedEqualCurrent(request.folder, files)) {
    RemoveStaged(request.folder, files);
    outcome.result = DatabaseUpdateOutcome::Result::Unchanged;
    return outcome;
  }
  const ReplaceOutcome replaced = ReplaceDatabases(request.folder, files);
  if (!replaced.ok) {
    outcome.result = DatabaseUpdateOutcome::Result::ReplaceFailed;
    outcome.reason = replaced.reason;
    return outcome;
  }
  outcome.result = DatabaseUpdateOutcome::Result::Replaced;
  return outcome;
}

ReplaceOutcome ReplaceDatabases(const fs::path& folder, UpdateFiles& files) {
  ReplaceOutcome outcome;
  std::array<bool, kDatabaseCount> hadFile{};
  const auto removeKept = [&] {
    for (int k = 0; k < kDatabaseCount; ++k) files.Remove(KeptDatabasePath(folder, KindAt(k)));
  };

  // A copy of each file in use, so a failure half-way can put it back. The files
  // in use stay where they are meanwhile.
  for (int k = 0; k < kDatabaseCount; ++k) {
    const DatabaseKind kind = KindAt(k);
    hadFile[static_cast<std::size_t>(k)] = files.FileSize(TargetPath(folder, kind)).has_value();
    if (hadFile[static_cast<std::size_t>(k)] &&
        !files.Copy(TargetPath(folder, kind), KeptDatabasePath(folder, kind))) {
      removeKept();
      RemoveStaged(folder, files);
      outcome.reason = "a copy of " + FileName(kind) + " could not be kept aside";
      return outcome;
    }
  }

  for (int k = 0; k < kDatabaseCount; ++k) {
    const DatabaseKind kind = KindAt(k);
    if (files.Replace(StagedDatabasePath(folder, kind), TargetPath(folder, kind))) continue;
    outcome.reason = FileName(kind) + " could not be replaced";
    // Put back the ones already replaced. A copy that could not be put back
    // stays beside the database, the one place the old file still exists.
    std::array<bool, kDatabaseCount> keepCopy{};
    for (int j = 0; j < k; ++j) {
      const DatabaseKind back = KindAt(j);
      const bool restored = hadFile[static_cast<std::size_t>(j)]
                                ? files.Replace(KeptDatabasePath(folder, back), TargetPath(folder, back))
                                : files.Remove(TargetPath(folder, back));
      if (!restored) {
        keepCopy[static_cast<std::size_t>(j)] = true;
        outcome.reason += "; the old " + FileName(back) + " could not be put back (it is kept as " +
                          KeptDatabasePath(folder, back).filename().string() + ")";
      }
    }
    for (int j = 0; j < kDatabaseCount; ++j) {
      if (!keepCopy[static_cast<std::size_t>(j)]) files.Remove(KeptDatabasePath(folder, KindAt(j)));
    }
    RemoveStaged(folder, files);
    return outcome;
  }
  removeKept();
  outcome.ok = true;
  return outcome;
}

}  // namespace kestro::update
