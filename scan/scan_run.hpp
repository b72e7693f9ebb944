#pragma once
// The scan run over one folder tree, as a state machine that knows nothing of
// windows: begin state, the counting pass, the optional registry repair, the
// scanning walk, the finish and the end state. What a window would show goes to
// a ScanObserver; the registry markers, sounds, shutdown and the other side
// effects go through ScanServices; every candidate file goes to a CandidateSink
// (the file pipeline and the archive scanner).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "scan/scan_state.hpp"

namespace kestro::platform {
class FolderListing;
}

namespace kestro::scan {

enum class MessageIcon { Information, Exclamation, Error };

// What the scan shows. Every method has an empty default so that a console or a
// test implements only what it uses.
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  virtual void StatusText(std::string_view /*text*/) {}
  virtual void StatusColour(std::uint32_t /*bgr*/) {}
  virtual void ScanPathLabel(std::string_view /*text*/) {}
  virtual void ArchiveLabel(std::string_view /*text*/) {}
  virtual void FilesScannedLabel(std::uint64_t /*count*/) {}
  virtual void Progress(int /*percent*/) {}
  virtual void TaskbarProgressStart() {}
  virtual void TaskbarProgress(int /*percent*/) {}
  virtual void TaskbarProgressClear() {}
  // While on, the window's information timer shows BufferingStatus(TotalFiles, TotalFolders).
  virtual void BufferingTimer(bool /*on*/) {}
  // Called as the counting pass finds entries (a console shows it live).
  virtual void Counted(std::uint32_t /*files*/, std::uint32_t /*folders*/) {}
  // A folder of the scanning walk could not be listed (missing, no access); the
  // walk skips it and goes on.
  virtual void FolderNotListed(const std::filesystem::path& /*folder*/) {}
  // Options frame, Scan command and target box: disabled while a run is active.
  virtual void RunControls(bool /*running*/) {}
  // A scan was asked for while one runs: select the scan page, enable Pause,
  // disable Scan and the target box.
  virtual void BringScanPageForward() {}
  // The detections label takes the number of rows of the detection list.
  virtual void ShowDetectionRowCount() {}
  // After a run with detections: fit the list's columns, select and show its last row.
  virtual void FitDetectionList(std::uint32_t /*detections*/) {}
  // The run is finishing: the counts are still those of the run (the end state
  // resets them afterwards).
  virtual void Finishing(const ScanState& /*state*/, std::string_view /*message*/) {}
  // A modal message; returns when it is closed.
  virtual void ShowMessage(std::string_view /*text*/, MessageIcon /*icon*/) {}
  // After the finish message: shutdown box and Stop disabled, Log enabled,
  // progress 0, Pause disabled.
  virtual void AfterFinishMessage() {}
};

// Processes pending window messages; called once per entry of the walks so that
// Stop stays usable during a long scan.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void PumpMessages() = 0;
};

class NoMessagePump final : public MessagePump {
 public:
  void PumpMessages() override {}
};

// The scan markers ("MulaiScan", "VirusDetected") kept in the settings store.
class ScanMarkers {
 public:
  virtual ~ScanMarkers() = default;
  virtual void SetMarker(std::string_view name, std::uint32_t value) = 0;
  virtual void DeleteMarker(std::string_view name) = 0;
};

class NoScanMarkers final : public ScanMarkers {
 public:
  void SetMarker(std::string_view, std::uint32_t) override {}
  void DeleteMarker(std::string_view) override {}
};

// Side effects of a run other than showing things.
class ScanServices {
 public:
  virtual ~ScanServices() = default;
  virtual void WriteScanHeader(const std::filesystem::path& /*target*/) {}
  virtual void RepairRegistry() {}
  virtual void DeleteExtractFolder() {}
  virtual void PlayFinishedSound() {}
  virtual void ShutDownComputer() {}
};

// Where the walk hands candidate files.
class CandidateSink {
 public:
  virtual ~CandidateSink() = default;
  // A listed file of at most the walk's size limit (the path is handed over, not copied).
  virtual void ScanFile(std::filesystem::path path) = 0;
  // True when an archive name may be scanned (not a numbered volume).
  virtual bool AcceptsArchive(const std::filesystem::path& path) = 0;
  virtual void ScanArchive(const std::filesystem::path& path) = 0;
  // Waits until every file handed over has been checked and its results committed
  // (a sink that works in parallel); the walk calls it before counting results.
  virtual void Drain() {}
};

// Hands one file to the sink by the walk's candidate rules: an archive name goes
// to the archive scanner when the sink accepts it; any other file of at most the
// size limit whose name passes the extension list goes to the file pipeline.
// False when the file was not handed over.
bool HandOverCandidate(const std::filesystem::path& path, CandidateSink& sink, ScanObserver& observer);

// Which entries the walks visit (the console's exclusions and its one file
// system rule); without one, every entry is visited.
class WalkFilter {
 public:
  virtual ~WalkFilter() = default;
  // A folder below the target: false prunes it, unlisted and uncounted.
  virtual bool EntersFolder(const std::filesystem::path& folder) const = 0;
  // A file: false passes over it, uncounted and unscanned.
  virtual bool TakesFile(const std::filesystem::path& file) const = 0;
  // False when TakesFile takes every file: the walks then build no path to ask.
  virtual bool FiltersFiles() const { return true; }
};

struct ScanOptions {
  bool FixReg = false;            // repair the registry before the walk
  bool Sound = true;              // play the finished sound
  bool ShutdownWhenDone = false;  // the "Shutdown PC when scanning is complete" box
  bool IsWindowsXP = false;       // no taskbar-button progress on XP
  const WalkFilter* Filter = nullptr;  // every entry when null
  // The counting pass before the walk, which only scales the progress bar. A
  // caller that shows no progress turns it off and saves a walk of the tree.
  bool CountFirst = true;
};

class ScanRun {
 public:
  ScanRun(ScanState& state, ScanObserver& observer, MessagePump& pump, ScanMarkers& markers,
          ScanServices& services, CandidateSink& sink, ScanOptions options);

  // True when characters 2 and 3 of a target text are ":\" (a drive folder).
  static bool IsDriveFolderText(std::string_view target);

  // The Scan command: refuses a target that is not a drive folder with "Path not
  // found !"; while a run is active it only brings the scan page forward (the
  // running scan keeps its target). True when a run was made.
  bool StartFromCommand(const std::string& targetText);

  // A folder handed over from the shell (the program's command line): the same
  // rules as the Scan command, and the target gets a trailing separator.
  bool ScanContextMenu(const std::string& targetText);
  bool ScanContextMenu(const char* targetText) { return ScanContextMenu(std::string(targetText)); }
  // A folder whose hand-over text the caller has already accepted (a window
  // that checks the text itself): only the busy rule applies, and the target
  // gets a trailing separator of the platform.
  bool ScanContextMenu(const std::filesystem::path& folder);

  // Runs the whole scan of state.ScanTarget.
  void Run();

  // The Stop command: requests the stop and applies the end state.
  void Stop();

  // The finish message of the last run ("Scanning completed !" / "Scanning aborted !").
  const std::string& FinishMessage() const { return finishMessage_; }

 private:
  struct WalkFolder;

  void BeginState();
  bool Enters(const std::filesystem::path& folder) const;
  bool Takes(const WalkFolder& folder, platform::FolderListing& listing) const;
  void CountingWalk(const std::filesystem::path& folder);
  void ScanningWalk(const std::filesystem::path& folder, std::uint32_t& counter);
  void VisitFile(const WalkFolder& folder, platform::FolderListing& listing, std::uint32_t& counter);
  void Finish(std::uint32_t detections);
  void EndState();

  ScanState& state_;
  ScanObserver& observer_;
  MessagePump& pump_;
  ScanMarkers& markers_;
  ScanServices& services_;
  CandidateSink& sink_;
  ScanOptions options_;
  std::string finishMessage_;
  std::string pathText_;  // the visited file's path as UTF-8, reused from file to file
};

}  // namespace kestro::scan
