#pragma once
// Where a run's hits go on the scan page: rows and the count to the board,
// CleanAll deletions through the delete routine one at a time (the log lines go
// through scan::ScanLogLines). Shared by the folder scan and the running-process scan of the splash.

#include <filesystem>
#include <mutex>
#include <string_view>

#include "app/scan_page/scan_board.hpp"
#include "log/scan_log.hpp"
#include "remedy/delete_routine.hpp"
#include "scan/scan_one_file.hpp"

namespace kestro::app::scan_page {

class BoardDetections final : public scan::DetectionList {
 public:
  explicit BoardDetections(ScanBoard& board) : board_(board) {}
  void Append(scan::DetectionRecord record) override { board_.AddRow(std::move(record)); }
  void ShowCount(std::uint32_t count) override { board_.SetDetections(count); }

 private:
  ScanBoard& board_;
};

// CleanAll: the delete routine, one file at a time (the sink's checking threads
// may find several files at once).
class SerialDeleter final : public scan::DetectedFileDeleter {
 public:
  explicit SerialDeleter(remedy::RemedyContext& context) : routine_(context), files_(context.files) {}
  void Delete(const std::filesystem::path& path) override {
    std::lock_guard lock(mutex_);
    if (files_.IsFile(path)) routine_.Delete(path);
  }

 private:
  std::mutex mutex_;
  remedy::DeleteRoutine routine_;
  platform::FileOps& files_;
};

}  // namespace kestro::app::scan_page
