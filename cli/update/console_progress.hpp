#pragma once
// What kestro-update shows while the databases are fetched: a live line per
// download on a terminal, and one result line per database.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "update/database_update.hpp"

namespace kestro::cli {

class ConsoleDatabaseProgress final : public update::DatabaseUpdateObserver {
 public:
  // `live`: standard error is a terminal, so the progress line is redrawn in place.
  ConsoleDatabaseProgress(std::ostream& out, std::ostream& err, bool live)
      : out_(out), err_(err), live_(live) {}

  void DownloadStarting(sigdb::DatabaseKind kind) override;
  void DownloadProgress(sigdb::DatabaseKind kind, std::uint64_t received, std::uint64_t total) override;
  void DownloadChecked(sigdb::DatabaseKind kind, const update::DatabaseCheck& check,
                       const update::FileDigest& digest) override;

 private:
  void ClearLine();

  std::ostream& out_;
  std::ostream& err_;
  bool live_;
  bool lineShown_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
};

// "12.3 KB", "4.0 MB", "512 bytes".
std::string SizeText(std::uint64_t bytes);

}  // namespace kestro::cli
