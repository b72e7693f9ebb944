// kestro-scan: scans folders and files from a shell with the desktop program's
// candidate rules and checks.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "icon/cls_heuristic.hpp"
#include "checks/extension_list.hpp"
#include "checks/shortcut_check.hpp"
#include "cli/common/database_folders.hpp"
#include "cli/common/entry.hpp"
#include "cli/common/named_file.hpp"
#include "cli/scan/console_output.hpp"
#include "cli/scan/process_mode.hpp"
#include "cli/scan/path_filter.hpp"
#include "cli/scan/scan_options.hpp"
#include "engine/identity.hpp"
#include "log/scan_log.hpp"
#include "platform/file_ops.hpp"
#include "platform/processes.hpp"
#include "platform/quarantine_location.hpp"
#include "remedy/delete_routine.hpp"
#include "remedy/quarantine_store.hpp"
#include "scan/archive_library.hpp"
#include "scan/archive_scanner.hpp"
#include "scan/scan_log_lines.hpp"
#include "scan/pipeline_sink.hpp"
#include "scan/scan_run.hpp"
#include "sigdb/database_loader.hpp"
#include "sigdb/database_values.hpp"

namespace kestro::cli {
namespace {
namespace fs = std::filesystem;

scan::ScanState* gState = nullptr;

extern "C" void OnInterrupt(int) {
  if (gState != nullptr) gState->StopRequested = true;
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

// Messages of the delete routine and the quarantine go to standard error; a
// question is answered "no" (nothing is overwritten without being asked).
class ConsoleMessages final : public platform::UserMessages {
 public:
  void ShowMessage(const std::string&, const std::string& text, platform::MessageIcon) override {
    std::string oneLine = text;
    for (auto& c : oneLine) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    std::cerr << "kestro-scan: " << DisplayText(oneLine) << "\n";
  }
  bool AskYesNo(const std::string& caption, const std::string& text, platform::MessageIcon icon) override {
    ShowMessage(caption, text, icon);
    return false;
  }
};

class LocalClock final : public scan::DetectionClock {
 public:
  std::string NowText() const override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
  }
};

// The long form of paths with short (8.3) components, as the platform gives it.
class PlatformLongPaths final : public scan::LongPathForm {
 public:
  fs::path LongForm(const fs::path& path) const override { return platform::LongPathForm(path); }
};

// What happens to a detected file: quarantined (its container written and
// verified before the file goes), deleted, or both in that order.
class DetectedFileAction final : public scan::DetectedFileDeleter {
 public:
  DetectedFileAction(remedy::QuarantineStore* store, remedy::DeleteRoutine* routine)
      : store_(store), routine_(routine) {}
  void Delete(const fs::path& path) override {
    std::lock_guard lock(mutex_);
    if (store_ != nullptr) {
      const auto result = store_->Quarantine(path);
      if (result.container.empty()) return;  // not quarantined: the file stays
    }
    if (routine_ != nullptr) {
      std::error_code ec;
      if (fs::exists(path, ec)) routine_->Delete(path);
    }
  }

 private:
  std::mutex mutex_;
  remedy::QuarantineStore* store_;
  remedy::DeleteRoutine* routine_;
};

class ConsoleScanServices final : public scan::ScanServices {
 public:
  ConsoleScanServices(const log::ScanLog* log, remedy::DeleteRoutine& routine, fs::path extractFolder)
      : log_(log), routine_(routine), extractFolder_(std::move(extractFolder)) {}
  void WriteScanHeader(const fs::path& target) override {
    if (log_ != nullptr) log_->WriteScanHeader(checks::PathUtf8(target));
  }
  void DeleteExtractFolder() override { routine_.DeleteFolderTree(extractFolder_); }

 private:
  const log::ScanLog* log_;
  remedy::DeleteRoutine& routine_;
  fs::path extractFolder_;
};

std::optional<fs::path> FindDatabaseFolder(const ScanOptions& options) {
  if (options.dbFolder) return *options.dbFolder;
  return FindDefaultDatabaseFolder(ExecutableFolder());
}

// Hands each line of a path list to `take` (which answers false to stop): the
// list is a file (a named pipe too, as a shell's process substitution gives)
// or "-" for standard input; blank lines are skipped and a CR before the line
// end is dropped. False, with a message, when the list cannot be read.
bool ReadPathList(const std::string& list, const std::function<bool(const std::string&)>& take) {
  constexpr std::size_t kLongestLine = 65536;
  std::ifstream file;
  std::istream* in = &std::cin;
  if (list != "-") {
    const fs::path path = PathFromArg(list);
    std::error_code ec;
    const fs::file_type type = fs::status(path, ec).type();
    if (type != fs::file_type::regular && type != fs::file_type::fifo) {
      std::cerr << "kestro-scan: --file-list " << DisplayText(list) << ": " << NotARegularFile(path) << "\n";
      return false;
    }
    file.open(path, std::ios::binary);
    if (!file) {
      std::cerr << "kestro-scan: --file-list " << DisplayText(list) << ": cannot be read\n";
      return false;
    }
    in = &file;
  }
  bool good = true;
  std::string line;
  while (std::getline(*in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.size() > kLongestLine) {
      std::cerr << "kestro-scan: --file-list " << DisplayText(list) << ": a line longer than " << kLongestLine
                << " bytes is not a path, skipped\n";
      good = false;
      continue;
    }
    if (!take(line)) break;
  }
  return good && !in->bad();
}

// A private extraction folder per run, so two scans never share extracted files.
fs::path MakeExtractFolder() {
  const auto base = fs::temp_directory_path() / "KESTRO";
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return base / ("extract-" + std::to_string(stamp));
}

}  // namespace

int ToolMain(const std::vector<std::string>& args) {
  const ParseResult parsed = ParseScanOptions(args);
  if (parsed.showHelp) {
    std::cout << ScanHelpText();
    return kExitClean;
  }
  if (parsed.showVersion) {
    std::cout << "kestro-scan (" << engine::kProgram << ") " << engine::kVersion << ", engine build "
              << engine::kBuild << "\n";
    return kExitClean;
  }
  if (!parsed.error.empty()) {
    std::cerr << "kestro-scan: " << parsed.error << "\n(see kestro-scan --help)\n";
    return kExitError;
  }
  const ScanOptions& options = parsed.options;

  const std::optional<fs::path> dbFolder = FindDatabaseFolder(options);
  if (!dbFolder) {
    std::cerr << "kestro-scan: signature databases (DB_0x.avn, DB_1x.avn, DB_2x.avn) not found beside the "
                 "program or in the installed data folder; give their folder with --db DIR\n";
    return kExitError;
  }
  sigdb::SignatureLists lists;
  sigdb::DatabaseValues values;
  const auto loaded = sigdb::LoadDatabases(*dbFolder, lists, values);
  if (loaded.status == sigdb::LoadStatus::Missing) {
    std::cerr << "kestro-scan: signature database " << sigdb::DatabaseFileName(loaded.missingKind)
              << " not found in " << PathText(*dbFolder) << "\n";
    return kExitError;
  }
  if (!options.quiet && sigdb::DatabaseAgeRule(values, sigdb::LocalToday())) {
    std::cerr << "kestro-scan: warning: the signature databases are out of date\n";
  }

  ConsoleMessages messages;
  remedy::RemedyContext remedyContext{platform::NativeFileOps(), platform::NativeProcessTerminator(), messages,
                                      std::string(engine::kProgram)};
  std::optional<log::ScanLog> scanLog;
  if (options.logFile) {
    scanLog.emplace(log::ScanLog::AtFile(*options.logFile, {std::string(engine::kProgram), std::string(engine::kVersion)}));
    scanLog->StartLog();
  }
  const log::ScanLog* logPtr = scanLog ? &*scanLog : nullptr;

  remedy::DeleteRoutine routine(remedyContext);
  std::optional<remedy::QuarantineStore> store;
  if (options.quarantine) {
    store.emplace(options.quarantineFolder ? *options.quarantineFolder : platform::DefaultQuarantineFolder(),
                  remedyContext, logPtr);
    if (!store->PrepareFolder()) {
      std::cerr << "kestro-scan: cannot prepare the quarantine folder " << PathText(store->folder()) << "\n";
      return kExitError;
    }
  }
  DetectedFileAction action(store ? &*store : nullptr, options.clean ? &routine : nullptr);

  checks::IconHeuristicCheck icon(lists.icons);
  checks::PlatformTargetExistence targets;
  ConsoleDetections detections(std::cout, options.json);
  scan::NoDetectionSound sound;
  scan::ScanLogLines logLines(logPtr);
  PlatformLongPaths longPaths;
  LocalClock clock;
  scan::ScanState state;
  gState = &state;
  std::signal(SIGINT, OnInterrupt);

  scan::ScanOneFileContext fileContext{
      scan::FileCheckContext{lists, icon, targets},
      detections, sound, action, logLines, longPaths, clock, state.DetectionCount,
      /*soundOn=*/false, /*cleanAll=*/options.clean || options.quarantine};

  const fs::path extractFolder = MakeExtractFolder();
  ConsoleProgress progress(std::cerr, StderrIsTerminal(), options.quiet, detections);
  // The archive library is loaded at the first archive met; a missing one is
  // reported then, once.
  std::unique_ptr<scan::ArchiveLibrary> library = scan::BindArchiveLibraryOnFirstUse(
      ArchiveLibraryFolder(ExecutableFolder()) / scan::ArchiveLibraryFileName(), [&] {
        if (options.quiet) return;
        progress.ClearLine();
        std::cerr << "kestro-scan: warning: " << PathText(scan::ArchiveLibraryFileName())
                  << " not found beside the program: archives are skipped\n";
      });
  scan::NoMessagePump pump;
  scan::ArchiveScanContext archiveContext{*library, state, progress, pump, fileContext, extractFolder,
                                          options.archives};

  std::unique_ptr<scan::CandidateSink> sink;
  if (options.jobs > 1) {
    sink = std::make_unique<scan::ParallelSink>(fileContext, archiveContext, options.jobs);
  } else {
    sink = std::make_unique<scan::SequentialSink>(fileContext, archiveContext);
  }
  scan::NoScanMarkers markers;
  ConsoleScanServices services(logPtr, routine, extractFolder);

  PathFilter filter(options.excludes, options.excludeDirs, options.oneFileSystem);
  const auto started = std::chrono::steady_clock::now();
  // The log lists the running processes before its scanning section.
  if (options.processes) ScanRunningProcesses(fileContext, logPtr, options.quiet ? nullptr : &std::cerr);
  if (scanLog) scanLog->StartScanSection();
  bool anyMissing = false;
  // One target named on the command line or in a file list: a folder is a scan
  // run of its own, a regular file is handed over alone, anything else refused.
  const auto scanTarget = [&](const std::string& arg) {
    const fs::path target = PathFromArg(arg);
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status)) {
      if (filter.ExcludesFolder(target)) return;
      filter.StartAt(target);
      scan::ScanRun run(state, progress, pump, markers, services, *sink,
                        scan::ScanOptions{.Sound = false, .Filter = &filter, .CountFirst = progress.Live()});
      state.ScanTarget = target;
      services.WriteScanHeader(target);
      run.Run();
      // The end state asks to stop further work; a new run clears it again.
      state.StopRequested = progress.aborted;
    } else if (fs::is_regular_file(status)) {
      if (filter.ExcludesFile(target)) return;
      // A file is a scan target of its own: it gets its header as a folder does.
      services.WriteScanHeader(target);
      if (scan::HandOverCandidate(target, *sink, progress)) progress.CountSingleFile();
      sink->Drain();
    } else {
      const std::string problem =
          status.type() == fs::file_type::not_found ? "no such file or folder" : NotARegularFile(target);
      std::cerr << "kestro-scan: " << DisplayText(arg) << ": " << problem << "\n";
      anyMissing = true;
    }
  };
  for (const std::string& arg : options.paths) {
    if (state.StopRequested) break;
    scanTarget(arg);
  }
  for (const std::string& list : options.fileLists) {
    if (state.StopRequested) break;
    if (!ReadPathList(list, [&](const std::string& path) {
          if (!state.StopRequested) scanTarget(path);
          return !state.StopRequested;
        })) {
      anyMissing = true;
    }
  }
  sink->Drain();
  routine.DeleteFolderTree(extractFolder);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  progress.ClearLine();
  if (!options.quiet) {
    std::cerr << (progress.aborted ? "Scanning aborted !" : "Scanning completed !") << " "
              << SummaryLine(progress.filesScanned, progress.archiveMembers, detections.Count(), seconds) << "\n";
  }
  gState = nullptr;
  if (progress.aborted) return kExitInterrupted;
  if (detections.Count() > 0) return kExitDetections;
  return anyMissing ? kExitError : kExitClean;
}

}  // namespace kestro::cli
