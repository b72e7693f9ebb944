#include "cli/scan/console_output.hpp"

#include <cstdio>
#include <sstream>

#include "scan/scan_texts.hpp"

namespace kestro::cli {

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out.push_back(ch);
        }
    }
  }
  out += '"';
  return out;
}

std::string DetectionJson(const scan::DetectionRecord& record) {
  const std::u8string tag = record.tag.u8string();
  return "{\"name\":" + JsonString(record.infection) + ",\"location\":" + JsonString(record.location) +
         ",\"path\":" + JsonString(std::string(tag.begin(), tag.end())) + ",\"packer\":" +
         JsonString(record.packer) + ",\"time\":" + JsonString(record.detectionTime) + "}";
}

void ConsoleDetections::Append(scan::DetectionRecord record) {
  ++count_;
  if (json_) {
    out_ << DetectionJson(record) << '\n';
  } else {
    out_ << scan::DetectionLogLine(record.infection, record.location) << '\n';
  }
  out_.flush();
}

ConsoleProgress::ConsoleProgress(std::ostream& err, bool live, const ConsoleDetections& detections)
    : err_(err), live_(live), detections_(detections) {}

void ConsoleProgress::Counted(std::uint32_t files, std::uint32_t) {
  runCounted_ = files;
  Draw(false);
}

void ConsoleProgress::ScanPathLabel(std::string_view text) { path_ = std::string(text); }

void ConsoleProgress::FilesScannedLabel(std::uint64_t count) {
  runScanned_ = count;
  Draw(false);
}

void ConsoleProgress::Finishing(const scan::ScanState& state, std::string_view message) {
  filesScanned += state.FilesScanned;
  archiveMembers += static_cast<std::uint64_t>(state.ArchiveMembersScanned);
  totalFiles += state.TotalFiles;
  if (message == scan::kScanAborted) aborted = true;
  runScanned_ = 0;
  runCounted_ = 0;
  ClearLine();
}

void ConsoleProgress::FolderNotListed(const std::filesystem::path& folder) {
  ClearLine();
  const std::u8string text = folder.u8string();
  err_ << "kestro-scan: warning: cannot list " << std::string(text.begin(), text.end()) << ", skipped\n";
}

void ConsoleProgress::Draw(bool force) {
  if (!live_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && drawn_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  drawn_ = true;
  std::ostringstream line;
  if (runScanned_ == 0) {
    line << "counting: " << runCounted_ << " files";
  } else {
    line << "scanned " << runScanned_ << " of " << runCounted_ << ", detections " << detections_.Count()
         << "  " << path_;
  }
  std::string text = line.str();
  if (text.size() > 100) text.resize(100);
  err_ << '\r' << text << "\x1b[K" << std::flush;
}

void ConsoleProgress::ClearLine() {
  if (live_ && drawn_) err_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
}

std::string SummaryLine(std::uint64_t files, std::uint64_t members, std::uint32_t detections, double seconds) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2f", seconds);
  return std::to_string(files) + " files scanned, " + std::to_string(members) + " archive members scanned, " +
         std::to_string(detections) + " detections, " + buffer + " s";
}

}  // namespace kestro::cli
