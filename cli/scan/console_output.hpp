#pragma once
// What kestro-scan writes: detections on standard output (the log's column
// layout, or one JSON object per line), a live progress line on standard error
// when it is a terminal, and the closing summary.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

#include "scan/scan_one_file.hpp"
#include "scan/scan_run.hpp"

namespace kestro::cli {

// JSON string literal of a UTF-8 text (quotes included).
std::string JsonString(std::string_view text);

// One detection as a JSON object on one line.
std::string DetectionJson(const scan::DetectionRecord& record);

// Prints detections as they are committed, in order.
class ConsoleDetections final : public scan::DetectionList {
 public:
  ConsoleDetections(std::ostream& out, bool json) : out_(out), json_(json) {}
  void Append(scan::DetectionRecord record) override;
  std::uint32_t Count() const { return count_; }

 private:
  std::ostream& out_;
  bool json_;
  std::uint32_t count_ = 0;
};

// Follows the scan for the live progress line and the summary.
class ConsoleProgress final : public scan::ScanObserver {
 public:
  ConsoleProgress(std::ostream& err, bool live, const ConsoleDetections& detections);
  void Counted(std::uint32_t files, std::uint32_t folders) override;
  void ScanPathLabel(std::string_view text) override;
  void FilesScannedLabel(std::uint64_t count) override;
  void Finishing(const scan::ScanState& state, std::string_view message) override;
  void FolderNotListed(const std::filesystem::path& folder) override;

  // Totals over every run of this invocation.
  std::uint64_t filesScanned = 0;
  std::uint64_t archiveMembers = 0;
  std::uint64_t totalFiles = 0;
  bool aborted = false;

  void ClearLine();
  // A single file handed over outside a folder run.
  void CountSingleFile() { ++filesScanned; ++totalFiles; }

 private:
  void Draw(bool force);

  std::ostream& err_;
  bool live_;
  const ConsoleDetections& detections_;
  std::uint64_t runTotal_ = 0, runScanned_ = 0, runCounted_ = 0;
  std::string path_;
  std::chrono::steady_clock::time_point lastDraw_{};
  bool drawn_ = false;
};

// "<files> files scanned, <members> archive members scanned, <n> detections, <s> s"
std::string SummaryLine(std::uint64_t files, std::uint64_t members, std::uint32_t detections, double seconds);

}  // namespace kestro::cli
