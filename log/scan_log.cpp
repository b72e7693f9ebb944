#include "log/scan_log.hpp"

#include <fstream>

#include "io/utf8_text.hpp"
#include "platform/ansi_text.hpp"
#include "platform/file_ops.hpp"

namespace kestro::log {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string Spaces(std::size_t count) { return std::string(count, ' '); }

std::string Line(std::string_view text) {
  std::string line(text);
  line += kLineEnd;
  return line;
}

// Lengths are characters: each takes one column of the ANSI file.
std::size_t PadAfter(std::string_view text, std::size_t extra) {
  const std::size_t length = io::Utf8Length(text);
  return (length > 20 ? 0 : 20 - length) + extra;
}

const std::string kDashRule(100, '-');

}  // namespace

ScanLog::ScanLog(std::filesystem::path programFolder, LogIdentity identity)
    : programFolder_(std::move(programFolder)), identity_(std::move(identity)) {}

ScanLog ScanLog::AtFile(std::filesystem::path logFile, LogIdentity identity) {
  ScanLog log(logFile.parent_path(), std::move(identity));
  log.logFile_ = std::move(logFile);
  return log;
}

std::filesystem::path ScanLog::LogFile() const {
  return logFile_.empty() ? programFolder_ / "Log" / "kestro.log" : logFile_;
}

void ScanLog::Append(std::string_view lines, bool createFolder) const {
  if (createFolder) {
    std::error_code ec;
    std::filesystem::create_directory(LogFile().parent_path(), ec);
  }
  std::ofstream out(LogFile(), std::ios::binary | std::ios::app);
  if (!out) return;
  // The one place where the log's text leaves the engine: UTF-8 becomes ANSI.
  const std::string ansi = platform::AnsiFromUtf8(lines);
  out.write(ansi.data(), static_cast<std::streamsize>(ansi.size()));
}

void ScanLog::StartLog() const {
  std::error_code ec;
  std::filesystem::create_directory(LogFile().parent_path(), ec);
  std::filesystem::remove(LogFile(), ec);
  const std::string title = "# " + identity_.programTitle + " - Ver. " + identity_.engineVersion + " Log file #";
  const std::string box = Spaces(30) + std::string(title.size(), '#');
  std::string text = Line(box) + Line(Spaces(30) + title) + Line(box) + Line("");
  text += Line(Spaces(42) + "[ PROCESS LIST ]") + Line("");
  Append(text, true);
}

void ScanLog::StartScanSection() const { Append(Line("") + Line(Spaces(44) + "[ SCANNING ]"), false); }

void ScanLog::WriteScanHeader(std::string_view target) const {
  std::string text = Line("");
  text += Line("Scanning in    :  " + std::string(target));
  text += Line(kDashRule);
  text += Line("Virus Name" + Spaces(15) + "Path / Location");
  text += Line(kDashRule);
  text += Line("");
  Append(text, true);
}

void ScanLog::WriteProcessLine(const std::filesystem::path& processPath) const {
  const std::u8string path = platform::LongPathForm(processPath).u8string();
  Append(Line("-> " + std::string(path.begin(), path.end())), true);
}

void ScanLog::WriteLine(std::string_view text) const { Append(Line(text), true); }

std::size_t LabelPadding(std::string_view label) { return PadAfter(label, 0); }

std::string ColumnLine(std::string_view label, std::string_view text) {
  return std::string(label) + Spaces(PadAfter(label, 5)) + std::string(text);
}

std::string RestoreLine(std::string_view name, std::string_view folderWithSeparator) {
  return "* Restore" + Spaces(16) + std::string(name) + Spaces(PadAfter(name, 3)) + "-->" + Spaces(10) +
         std::string(folderWithSeparator) + std::string(name);
}

}  // namespace kestro::log
