#pragma once
// Scanning one file for the folder scan: the file check, and on a hit the sound,
// the detection record, the count, the optional deletion and the log line. Every
// effect goes through an interface the caller supplies.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "scan/file_check.hpp"

namespace kestro::scan {

// One row of the detection list.
struct DetectionRecord {
  std::string infection;      // the detection name
  std::string location;       // the display path (long form of a path with "~")
  std::string detectionTime;  // the platform's default date and time text
  std::string packer;         // packer identification, or "Unknown"
  std::filesystem::path tag;  // the scanned path
};

class DetectionList {
 public:
  virtual ~DetectionList() = default;
  virtual void Append(DetectionRecord record) = 0;
  // The detection count changed (the detections label shows it).
  virtual void ShowCount(std::uint32_t /*count*/) {}
};

// Plays "Sound\detected.wav" asynchronously when it exists.
class DetectionSound {
 public:
  virtual ~DetectionSound() = default;
  virtual void PlayDetected() = 0;
};

// For hits that make no sound (a console scan, a running program).
class NoDetectionSound final : public DetectionSound {
 public:
  void PlayDetected() override {}
};

// The delete action for a detected file.
class DetectedFileDeleter {
 public:
  virtual ~DetectedFileDeleter() = default;
  virtual void Delete(const std::filesystem::path& path) = 0;
};

// Writes one line to the scan log.
class DetectionLog {
 public:
  virtual ~DetectionLog() = default;
  virtual void WriteLine(std::string_view line) = 0;
};

// The long form of a path that contains "~" (each component's long name).
class LongPathForm {
 public:
  virtual ~LongPathForm() = default;
  virtual std::filesystem::path LongForm(const std::filesystem::path& path) const = 0;
};

class SamePathForm final : public LongPathForm {
 public:
  std::filesystem::path LongForm(const std::filesystem::path& path) const override { return path; }
};

// Now as the platform's default date and time text.
class DetectionClock {
 public:
  virtual ~DetectionClock() = default;
  virtual std::string NowText() const = 0;
};

struct ScanOneFileContext {
  FileCheckContext check;
  DetectionList& detections;
  DetectionSound& sound;
  DetectedFileDeleter& deleter;
  DetectionLog& log;
  const LongPathForm& longPaths;
  const DetectionClock& clock;
  std::uint32_t& detectionCount;  // `DetectionCount` of the scan state
  bool soundOn = false;           // the Sound setting
  bool cleanAll = false;          // the CleanAll setting
};

// Number of blanks that align the log columns: 20 minus the name's length
// (in characters), never below 0. The line puts 5 more blanks after them.
std::size_t LogAlignment(std::string_view detectionName);

// The detection line: name, (alignment + 5) blanks, path.
std::string DetectionLogLine(std::string_view detectionName, std::string_view pathText);

// What a hit does, in order: the detected sound (when on), the record appended,
// the count raised and shown, the deletion of `fileToDelete` (with CleanAll), and
// the log line of the detection name and `logText`.
void CommitHit(DetectionRecord record, std::string_view logText, const std::filesystem::path& fileToDelete,
               ScanOneFileContext& context);

// True when the file was detected. The path is kept by the file's view (moved
// in where the caller has no further use for it).
bool ScanOneFile(std::filesystem::path path, ScanOneFileContext& context);

}  // namespace kestro::scan
