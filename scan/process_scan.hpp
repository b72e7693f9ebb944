#pragma once
// The running-process scan: the walk over the running processes (each path
// normalised, shown and logged), and the checks that can run on each of them:
//
//  - ProcessCheck, the desktop program's: a detected executable (its name must
//    end in EXE) is frozen when the process guard is on and the user decides
//    with "Allow" or "Block"; a blocked one becomes a detection record and
//    every process of that file name is ended.
//  - ProcessReport, the console's: every detected executable becomes a
//    detection record, once however many processes run it; nothing is frozen,
//    asked or ended.
//
// Records, counts, deletion and log lines go through the same interfaces as a
// scanned file's (ScanOneFileContext); the operating system is reached through
// platform/processes.hpp and platform/messages.hpp.
//
// A desktop caller during the splash wires it like this:
//
//   scan::ProcessScanObserver& observer = ...;      // CurrentProcess -> the step-2 mark
//   scan::RegistryProcessGuard guard(platform::NativeRegistry());
//   scan::ScanLogProcessLines processLines(&log);    // "-> path" lines of the scan log
//   platform::NativeTwoButtonQuestion question(splashWindow);
//   scan::ProcessCheckContext check{fileContext, guard, platform::NativeProcessFreezer(), question,
//                                   platform::NativeProcessTerminator(), observer, programTitle};
//   scan::ProcessCheck processCheck(check);
//   scan::ProcessWalkContext walk{platform::NativeProcessList(), platform::WindowsFolder(), observer,
//                                 processLines};
//   scan::WalkProcesses(walk, &processCheck);

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "log/scan_log.hpp"
#include "platform/messages.hpp"
#include "platform/processes.hpp"
#include "platform/registry.hpp"
#include "scan/scan_one_file.hpp"

namespace kestro::scan {

// Turns a path as the system reports a process's executable into a usable
// Win32 path. In this order, each a case-sensitive replacement of every
// occurrence: remove "\??\"; remove "\\?\"; "\SystemRoot\" becomes the Windows
// folder with a trailing backslash; so does "%systemroot%"; every pair of
// backslashes becomes one. A network path keeps its leading "\\", and the
// network forms "\??\UNC\" and "\\?\UNC\" become that "\\". With no Windows
// folder known, "\SystemRoot\" and "%systemroot%" stay as they are.
std::string NormaliseProcessPath(std::string_view reported, std::string_view windowsFolder);

// The file name part of a path text: what follows its last "\" or "/".
std::string_view PathFileName(std::string_view pathText);

// The text of the Allow/Block question for a process.
std::string ProcessQuestionText(std::string_view fileName, std::uint32_t processId);

inline constexpr std::string_view kAllowCaption = "Allow";
inline constexpr std::string_view kBlockCaption = "Block";

// The process guard setting ("Process"): on when its value is not 0. A value
// that cannot be read counts as off.
class ProcessGuardSetting {
 public:
  virtual ~ProcessGuardSetting() = default;
  virtual bool IsOn() const = 0;
};

// The guard as the registry holds it: the REG_DWORD "Process" under
// HKEY_CURRENT_USER "Software\KESTRO", read each time it is asked, so that
// switching it off is seen by the next check. A missing value or key, or a
// value of another type, counts as off.
class RegistryProcessGuard final : public ProcessGuardSetting {
 public:
  explicit RegistryProcessGuard(platform::RegistryAccess& registry) : registry_(registry) {}
  bool IsOn() const override;

 private:
  platform::RegistryAccess& registry_;
};

// What the process scan shows. Every method has an empty default.
class ProcessScanObserver {
 public:
  virtual ~ProcessScanObserver() = default;
  // The file name of the process being looked at (the splash's step-2 mark).
  virtual void CurrentProcess(std::string_view /*fileName*/) {}
  // A process whose executable could not be read for lack of rights.
  virtual void ProcessNotReadable(std::uint32_t /*processId*/) {}
  // After a "Block": bring the scan page with the detection list forward.
  virtual void ShowDetectionList() {}
  // After a "Block": the quarantine list may have changed.
  virtual void RefreshQuarantineList() {}
};

// Writes the process line of the scan log ("-> " and the path, its long form
// when it holds "~").
class ProcessLog {
 public:
  virtual ~ProcessLog() = default;
  virtual void WriteProcessLine(const std::filesystem::path& path) = 0;
};

// The scan log's own process lines; nothing is written without a log.
class ScanLogProcessLines final : public ProcessLog {
 public:
  explicit ScanLogProcessLines(const log::ScanLog* log) : log_(log) {}
  void WriteProcessLine(const std::filesystem::path& path) override {
    if (log_ != nullptr) log_->WriteProcessLine(path);
  }

 private:
  const log::ScanLog* log_;
};

// What the walk does with each process that has an executable path.
class RunningProcessCheck {
 public:
  virtual ~RunningProcessCheck() = default;
  // `pathText` is the normalised path (UTF-8), `path` the same as a path.
  virtual void Check(const std::filesystem::path& path, const std::string& pathText, std::uint32_t processId) = 0;
};

struct ProcessCheckContext {
  // The file check, the detection list, the count, the deletion with CleanAll,
  // the log line and the clock; its sound is not played for a process.
  ScanOneFileContext& file;
  const ProcessGuardSetting& guard;
  platform::ProcessFreezer& freezer;
  platform::TwoButtonQuestion& question;
  platform::ProcessTerminator& terminator;
  ProcessScanObserver& observer;
  std::string programTitle;  // the question's title (`ProgramTitle`)
};

// The desktop program's process check.
class ProcessCheck final : public RunningProcessCheck {
 public:
  explicit ProcessCheck(ProcessCheckContext& context) : context_(context) {}

  // Only a path whose name ends in EXE and that the file check detects goes on;
  // with the guard off nothing more happens. Otherwise the process is frozen and
  // the question asked: "Allow" thaws it; "Block" (any other answer) appends the
  // record (packer identified), counts it, deletes the file with CleanAll,
  // writes the log line, shows the detection list, ends every process of that
  // file name and refreshes the quarantine list. A process whose file name was
  // blocked earlier in this check's life has been ended with the others and is
  // not asked about again. Errors end the check of this process only.
  void Check(const std::filesystem::path& path, const std::string& pathText, std::uint32_t processId) override;

 private:
  ProcessCheckContext& context_;
  std::set<std::string> blockedNames_;  // upper-case file names
};

// The console's process check: every executable that the file check detects,
// whatever its name, becomes a detection record (location = the path) with its
// log line; an executable the file check does not look up by checksum (not a
// 32-bit Windows image: a 64-bit or a Linux program) is looked up in the
// file-checksum list too. An executable run by several
// processes is checked once. Nothing is frozen, asked or ended, and CleanAll is
// not applied.
class ProcessReport final : public RunningProcessCheck {
 public:
  explicit ProcessReport(ScanOneFileContext& file) : file_(file) {}
  void Check(const std::filesystem::path& path, const std::string& pathText, std::uint32_t processId) override;

  // Distinct executables checked so far.
  std::size_t ExecutablesChecked() const { return checked_.size(); }

 private:
  ScanOneFileContext& file_;
  std::set<std::string> checked_;
};

struct ProcessWalkContext {
  platform::ProcessList& processes;
  std::filesystem::path windowsFolder;  // for "\SystemRoot\" paths; empty off Windows
  ProcessScanObserver& observer;
  ProcessLog& log;
};

struct ProcessWalkCounts {
  std::uint32_t processes = 0;    // processes in the snapshot
  std::uint32_t withPath = 0;     // of them, with an executable path
  std::uint32_t notReadable = 0;  // refused for lack of rights
};

// The process walk: one snapshot, each process's executable path normalised
// (a POSIX path, starting with "/", is taken as it is);
// a process with a path has its file name shown, its process line logged and,
// when `check` is given, the check run. Processes without a path are skipped.
ProcessWalkCounts WalkProcesses(ProcessWalkContext& context, RunningProcessCheck* check);

}  // namespace kestro::scan
