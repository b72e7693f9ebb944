#pragma once
// The scan log "Log\kestro.log" in the program folder: one plain-text record of
// the current run (processes seen at start, scan headers, detections and the
// clean, quarantine, restore and delete actions).
//
// Texts given here are UTF-8; the file is written in the system's ANSI code page
// (UTF-8 on POSIX systems), converted as it is written. Every line ends with CR LF. Each operation opens the
// file for appending, writes its lines and closes it again, so no handle stays
// open between calls. Failures (no folder, no access, disk full) are silent:
// the log never interrupts a scan.

#include <filesystem>
#include <string>
#include <string_view>

namespace kestro::log {

// The identity texts the title box shows (`ProgramTitle`, `EngineVersion`).
struct LogIdentity {
  std::string programTitle;
  std::string engineVersion;
};

class ScanLog {
 public:
  ScanLog(std::filesystem::path programFolder, LogIdentity identity);

  // A log kept in a file of the caller's choosing (the console scanner's --log);
  // the file's folder is created like the program's "Log" folder.
  static ScanLog AtFile(std::filesystem::path logFile, LogIdentity identity);

  // The log file: program folder, "Log", "kestro.log".
  std::filesystem::path LogFile() const;

  // Creates the "Log" folder when missing, deletes an old log, writes the title
  // box and the process-list heading.
  void StartLog() const;
  // An empty line and the scanning heading. Does not create the folder.
  void StartScanSection() const;
  // The scan header block for the scan target text.
  void WriteScanHeader(std::string_view target) const;
  // "-> " and the process's executable path (short 8.3 forms made long).
  void WriteProcessLine(const std::filesystem::path& processPath) const;
  // One line as given.
  void WriteLine(std::string_view text) const;

 private:
  void Append(std::string_view lines, bool createFolder) const;

  std::filesystem::path programFolder_;
  LogIdentity identity_;
  std::filesystem::path logFile_;  // empty: programFolder_/Log/kestro.log
};

// Blanks that align the log columns after a label: 20 minus its length, never
// below 0 (callers add the fixed 5 of the column layout).
std::size_t LabelPadding(std::string_view label);

// Detection and action lines: the label, (20 - length) + 5 spaces (5 for labels
// above 20 characters), then the text.
std::string ColumnLine(std::string_view label, std::string_view text);

// The restore line: "* Restore", 16 spaces, the name, (20 - length) + 3 spaces
// (3 for names above 20 characters), "-->", 10 spaces, the folder (with its
// trailing separator) and the name again.
std::string RestoreLine(std::string_view name, std::string_view folderWithSeparator);

}  // namespace kestro::log
