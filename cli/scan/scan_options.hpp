#pragma once
// Command line of kestro-scan.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestro::cli {

inline constexpr int kExitClean = 0;
inline constexpr int kExitDetections = 1;
inline constexpr int kExitError = 2;
inline constexpr int kExitInterrupted = 130;

struct ScanOptions {
  std::vector<std::string> paths;
  std::optional<std::filesystem::path> dbFolder;
  std::optional<std::filesystem::path> logFile;
  bool clean = false;
  bool quarantine = false;
  std::optional<std::filesystem::path> quarantineFolder;
  bool archives = true;
  unsigned jobs = 1;
  bool json = false;
  std::vector<std::string> fileLists;     // --file-list: files of paths, "-" for standard input
  std::vector<std::string> excludes;      // --exclude: patterns of files passed over
  std::vector<std::string> excludeDirs;   // --exclude-dir: patterns of folders not entered
  bool oneFileSystem = false;             // --one-file-system
  bool quiet = false;                     // -q: detections only
  bool processes = false;  // check the executables of the running processes
};

struct ParseResult {
  ScanOptions options;
  bool showHelp = false;
  bool showVersion = false;
  std::string error;  // empty when the command line is good
};

ParseResult ParseScanOptions(const std::vector<std::string>& args);

std::string ScanHelpText();

}  // namespace kestro::cli
