#include "cli/scan/console_output.hpp"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "cli/common/named_file.hpp"
#include "io/utf8_text.hpp"
#include "scan/scan_texts.hpp"

namespace kestro::cli {

std::string JsonString(std::string_view text) {
  const std::string valid = io::Utf8Repaired(text);
  std::string out = "\"";
  for (const char ch : valid) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
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

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out.push_back(k <= n ? kDigits[(group >> (18 - 6 * k)) & 0x3Fu] : '=');
    }
  }
  return out;
}

std::string PathBytes(const std::filesystem::path& path) {
#ifdef _WIN32
  // UTF-16 names: an unpaired surrogate becomes U+FFFD.
  std::string out;
  const std::wstring& wide = path.native();
  for (std::size_t i = 0; i < wide.size(); ++i) {
    std::uint32_t c = static_cast<std::uint16_t>(wide[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint16_t>(wide[++i]) - 0xDC00u);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
#else
  return path.native();
#endif
}

std::string DetectionJson(const scan::DetectionRecord& record) {
  const std::string path = PathBytes(record.tag);
  std::string json = "{\"name\":" + JsonString(record.infection) + ",\"location\":" + JsonString(record.location) +
                     ",\"path\":" + JsonString(path);
  // A name that is not UTF-8 (Linux names are bytes) keeps its exact bytes.
  if (!io::IsValidUtf8(path)) json += ",\"path_bytes\":\"" + Base64(path) + "\"";
  return json + ",\"packer\":" + JsonString(record.packer) + ",\"time\":" + JsonString(record.detectionTime) + "}";
}

void ConsoleDetections::Append(scan::DetectionRecord record) {
  ++count_;
  if (json_) {
    out_ << DetectionJson(record) << '\n';
  } else {
    out_ << DisplayText(scan::DetectionLogLine(record.infection, record.location)) << '\n';
  }
  out_.flush();
}

ConsoleProgress::ConsoleProgress(std::ostream& err, bool live, bool quiet, const ConsoleDetections& detections)
    : err_(err), live_(live && !quiet), quiet_(quiet), detections_(detections) {}

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
  if (message == scan::kScanAborted) aborted = true;
  runScanned_ = 0;
  runCounted_ = 0;
  ClearLine();
}

void ConsoleProgress::FolderNotListed(const std::filesystem::path& folder) {
  ClearLine();
  if (quiet_) return;
  err_ << "kestro-scan: warning: cannot list " << DisplayText(PathBytes(folder)) << ", skipped\n";
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
  // One line of a terminal 80 columns wide, drawn over with blanks rather than
  // an escape sequence, which older Windows consoles print as text.
  std::string text(io::Utf8Head(DisplayText(line.str()), kLineWidth));
  const std::size_t shown = io::Utf8Length(text);
  err_ << '\r' << text << std::string(kLineWidth - shown, ' ') << std::flush;
}

void ConsoleProgress::ClearLine() {
  if (live_ && drawn_) err_ << '\r' << std::string(kLineWidth, ' ') << '\r' << std::flush;
  drawn_ = false;
}

std::string SummaryLine(std::uint64_t files, std::uint64_t members, std::uint32_t detections, double seconds) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2f", seconds);
  return std::to_string(files) + " files scanned, " + std::to_string(members) + " archive members scanned, " +
         std::to_string(detections) + " detections, " + buffer + " s";
}

}  // namespace kestro::cli
