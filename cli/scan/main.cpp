// kestro-scan: scans folders and files from a shell with the desktop program's
// candidate rules and checks.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
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
#include "cli/common/entry.hpp"
#include "cli/scan/console_output.hpp"
#include "cli/scan/process_mode.hpp"
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
    std::cerr << "kestro-scan: " << oneLine << "\n";
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

class NoSound final : public scan::DetectionSound {
 public:
  void PlayDetected() override {}
};

class LogLines final : public scan::DetectionLog {
 public:
  explicit LogLines(const log::ScanLog* log) : log_(log) {}
  void WriteLine(std::string_view line) override {
    if (log_ != nullptr) log_->WriteLine(line);
  }

 private:
  const log::ScanLog* log_;
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
  const auto hasDatabases = [](const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder / "DB_0x.avn", ec);
  };
  if (options.dbFolder) return *options.dbFolder;
  for (const fs::path& folder : DefaultDatabaseFolders(ExecutableFolder())) {
    if (hasDatabases(folder)) return folder;
  }
  return std::nullopt;
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
  if (sigdb::DatabaseAgeRule(values, sigdb::LocalToday())) {
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
  NoSound sound;
  LogLines logLines(logPtr);
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
  std::unique_ptr<scan::ArchiveLibrary> library = scan::BindArchiveLibrary(ExecutableFolder());
  if (options.archives && !library->IsAvailable()) {
    std::cerr << "kestro-scan: warning: " << PathText(scan::ArchiveLibraryFileName())
              << " not found beside the program: archives are skipped\n";
  }
  ConsoleProgress progress(std::cerr, StderrIsTerminal(), detections);
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

  const auto started = std::chrono::steady_clock::now();
  // The log lists the running processes before its scanning section.
  if (options.processes) ScanRunningProcesses(fileContext, logPtr, std::cerr);
  if (scanLog) scanLog->StartScanSection();
  bool anyMissing = false;
  for (const std::string& arg : options.paths) {
    if (state.StopRequested) break;
    const fs::path target = PathFromArg(arg);
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
      scan::ScanRun run(state, progress, pump, markers, services, *sink, scan::ScanOptions{.Sound = false});
      state.ScanTarget = target;
      services.WriteScanHeader(target);
      run.Run();
      // The end state asks to stop further work; a new run clears it again.
      state.StopRequested = progress.aborted;
    } else if (fs::exists(target, ec)) {
      if (scan::HandOverCandidate(target, *sink, progress)) progress.CountSingleFile();
      sink->Drain();
    } else {
      std::cerr << "kestro-scan: " << arg << ": no such file or folder\n";
      anyMissing = true;
    }
  }
  sink->Drain();
  routine.DeleteFolderTree(extractFolder);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  progress.ClearLine();
  std::cerr << (progress.aborted ? "Scanning aborted !" : "Scanning completed !") << " "
            << SummaryLine(progress.filesScanned, progress.archiveMembers, detections.Count(), seconds) << "\n";
  gState = nullptr;
  if (progress.aborted) return kExitInterrupted;
  if (detections.Count() > 0) return kExitDetections;
  return anyMissing ? kExitError : kExitClean;
}

}  // namespace kestro::cli
