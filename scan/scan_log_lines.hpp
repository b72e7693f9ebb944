#pragma once
// The detection lines of the scan log, for a scan that may run without a log.

#include <string_view>

#include "log/scan_log.hpp"
#include "scan/scan_one_file.hpp"

namespace kestro::scan {

// Writes each line to the scan log; nothing is written without a log.
class ScanLogLines final : public DetectionLog {
 public:
  explicit ScanLogLines(const log::ScanLog* log) : log_(log) {}
  void WriteLine(std::string_view line) override {
    if (log_ != nullptr) log_->WriteLine(line);
  }

 private:
  const log::ScanLog* log_;
};

}  // namespace kestro::scan
