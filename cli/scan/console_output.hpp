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

// JSON string literal (quotes included) of a text, always valid UTF-8: bytes
// that are not UTF-8 become U+FFFD, control characters are escaped.
std::string JsonString(std::string_view text);

// Standard base64 with padding.
std::string Base64(std::string_view bytes);

// A path as the bytes its name is made of: the name itself on POSIX systems,
// UTF-8 on Windows (an unpaired surrogate becomes U+FFFD).
std::string PathBytes(const std::filesystem::path& path);

// One detection as a JSON object on one line: "name", "location", "path",
// "path_bytes" (base64 of the exact name, only when it is not UTF-8), "packer",
// "time".
std::string DetectionJson(const scan::DetectionRecord& record);

// Prints detections as they are committed, in order (control characters of a
// name shown as "?" in the column layout; the JSON keeps them exactly).
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
  // `live`: draw the progress line; `quiet`: neither the line nor warnings.
  ConsoleProgress(std::ostream& err, bool live, bool quiet, const ConsoleDetections& detections);
  void Counted(std::uint32_t files, std::uint32_t folders) override;
  void ScanPathLabel(std::string_view text) override;
  void FilesScannedLabel(std::uint64_t count) override;
  void Finishing(const scan::ScanState& state, std::string_view message) override;
  void FolderNotListed(const std::filesystem::path& folder) override;

  // Totals over every run of this invocation.
  std::uint64_t filesScanned = 0;
  std::uint64_t archiveMembers = 0;
  bool aborted = false;

  void ClearLine();
  // A single file handed over outside a folder run.
  void CountSingleFile() { ++filesScanned; }
  // True when the progress line is drawn (the only use of the counting pass).
  bool Live() const { return live_; }

 private:
  void Draw(bool force);

  static constexpr std::size_t kLineWidth = 79;
  std::ostream& err_;
  bool live_;
  bool quiet_;
  const ConsoleDetections& detections_;
  std::uint64_t runScanned_ = 0, runCounted_ = 0;
  std::string path_;
  std::chrono::steady_clock::time_point lastDraw_{};
  bool drawn_ = false;
};

// "<files> files scanned, <members> archive members scanned, <n> detections, <s> s"
std::string SummaryLine(std::uint64_t files, std::uint64_t members, std::uint32_t detections, double seconds);

}  // namespace kestro::cli
