#pragma once
// Runs the engine's scan run on a worker thread for the scan page. The walk runs
// on the worker and hands files to the engine's parallel sink (one checking
// thread per core); everything the run would show goes into the ScanBoard, which
// the page reads on its display timer. The finish message, and any message of
// the delete routine, is shown by the window thread through the UiCallQueue
// while the worker waits for it.
//
// Pause holds the walk at its next entry (and the archive scanner at its next
// member); the checks already handed to the sink finish and nothing new starts
// until Pause is released. Stop works at any time, also while paused.

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "app/scan_page/scan_board.hpp"
#include "app/scan_page/ui_call_queue.hpp"
#include "checks/shortcut_check.hpp"
#include "log/scan_log.hpp"
#include "remedy/remedy_context.hpp"
#include "scan/archive_library.hpp"
#include "scan/scan_one_file.hpp"
#include "scan/scan_run.hpp"
#include "scan/scan_state.hpp"
#include "sigdb/signature_list.hpp"

namespace kestro::app::scan_page {

// Side effects of a run that the window side supplies.
class RunEffects {
 public:
  virtual ~RunEffects() = default;
  virtual void PlayFinishedSound() {}
  // Enables the shutdown privilege and shuts the computer down, forcing
  // applications to close.
  virtual void ShutDownComputer() {}
  virtual void RepairRegistry() {}
};

// What a run works with; every reference outlives the controller.
struct ScanEngine {
  const sigdb::SignatureLists& lists;
  const log::ScanLog* log;                // null: no log lines
  remedy::RemedyContext& remedy;          // its messages must be safe to show from a worker
  scan::ArchiveLibrary& archives;
  std::filesystem::path extractFolder;
  scan::ScanMarkers& markers;             // "MulaiScan", "VirusDetected"
  scan::DetectionSound& detectedSound;
  RunEffects& effects;
  const scan::DetectionClock& clock;
  const scan::LongPathForm& longPaths;
  const checks::TargetExistence& targets;
};

// Settings read when a run starts.
struct RunSettings {
  bool sound = false;     // detected and finished sounds
  bool cleanAll = false;  // delete detected files at once
  bool archive = true;    // scan RAR archives
  bool fixReg = false;    // registry repair before the walk
  bool isWindowsXP = false;
  unsigned threads = 0;   // checking threads; 0: one per core
};

// Shows the finish message on the window thread and returns when it is closed.
using FinishPresenter = std::function<void(const std::string& text, scan::MessageIcon icon)>;

class ScanController {
 public:
  ScanController(ScanEngine engine, ScanBoard& board, UiCallQueue& ui, FinishPresenter presenter);
  // Stops a run and joins its worker. A worker may be waiting for a window call:
  // the owner cancels the UiCallQueue first when it destroys a busy controller.
  ~ScanController();
  ScanController(const ScanController&) = delete;
  ScanController& operator=(const ScanController&) = delete;

  // True from Start until the worker has finished the run (finish message
  // closed, end state applied).
  bool Busy() const { return busy_; }

  // Scans the folder `target` (the caller has applied the Scan command's rules to
  // it: a drive folder, with its trailing separator when handed over): writes the
  // log's scan header and runs. False (nothing started) while a run is busy.
  bool Start(const std::filesystem::path& target, const RunSettings& settings);

  void SetPaused(bool paused);
  bool Paused() const;
  void Stop();
  // The "Shutdown PC when scanning is complete" box; read when the run finishes.
  void SetShutdownWhenDone(bool on) { shutdownWhenDone_ = on; }

  // Waits until the worker of the last run has ended.
  void Wait();

  // The number of checking threads a run uses with these settings.
  static unsigned CheckingThreads(const RunSettings& settings);

 private:
  class Gate;
  class Observer;

  void Work(const std::filesystem::path& target, RunSettings settings);
  void PumpGate(scan::ScanState& state);

  ScanEngine engine_;
  ScanBoard& board_;
  UiCallQueue& ui_;
  FinishPresenter presenter_;
  std::thread worker_;
  std::atomic<bool> busy_{false};
  std::atomic<bool> shutdownWhenDone_{false};

  // The pause and stop requests the walk answers at each entry.
  mutable std::mutex gateMutex_;
  std::condition_variable gateChanged_;
  bool paused_ = false;
  bool stopRequested_ = false;
  scan::ScanState* runningState_ = nullptr;  // the state of the active run, under gateMutex_
};

}  // namespace kestro::app::scan_page
