#include "cli/update/console_progress.hpp"

#include <cstdio>

namespace kestro::cli {
namespace {

std::string Name(sigdb::DatabaseKind kind) {
  return std::string(sigdb::DatabaseFileName(kind));
}

}  // namespace

std::string SizeText(std::uint64_t bytes) {
  char text[32];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
  } else if (bytes < 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024.0);
  } else {
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  }
  return text;
}

void ConsoleDatabaseProgress::ClearLine() {
  if (!lineShown_) return;
  err_ << "\r\033[K" << std::flush;
  lineShown_ = false;
}

void ConsoleDatabaseProgress::DownloadStarting(sigdb::DatabaseKind kind) {
  if (!live_) return;
  err_ << "Downloading " << Name(kind) << " ..." << std::flush;
  lineShown_ = true;
}

void ConsoleDatabaseProgress::DownloadProgress(sigdb::DatabaseKind kind, std::uint64_t received,
                                               std::uint64_t total) {
  if (!live_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastDraw_ < std::chrono::milliseconds(100) && received != total) return;
  lastDraw_ = now;
  err_ << "\r\033[KDownloading " << Name(kind) << " ... " << SizeText(received);
  if (total != 0) err_ << " of " << SizeText(total) << " (" << (received * 100 / total) << " %)";
  err_ << std::flush;
  lineShown_ = true;
}

void ConsoleDatabaseProgress::DownloadChecked(sigdb::DatabaseKind kind, const update::DatabaseCheck& check,
                                              const update::FileDigest& digest) {
  ClearLine();
  if (!check.ok) return;  // the caller reports the failure
  out_ << Name(kind) << ": downloaded and verified, " << check.records
       << (check.records == 1 ? " record" : " records");
  out_ << (digest.state == update::FileDigest::State::Given
               ? ", SHA-256 matches"
               : " (the index gives no SHA-256 digest: checked by loading only)");
  out_ << "\n";
}

}  // namespace kestro::cli
