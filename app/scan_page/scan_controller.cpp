#include "app/scan_page/scan_controller.hpp"

#include <algorithm>
#include <mutex>

#include "app/scan_page/run_sinks.hpp"
#include "icon/cls_heuristic.hpp"
#include "platform/ansi_text.hpp"
#include "remedy/delete_routine.hpp"
#include "scan/archive_scanner.hpp"
#include "scan/pipeline_sink.hpp"
#include "scan/scan_log_lines.hpp"
#include "scan/scan_texts.hpp"

namespace kestro::app::scan_page {
namespace fs = std::filesystem;

namespace {

class RunServices final : public scan::ScanServices {
 public:
  explicit RunServices(const ScanEngine& engine) : engine_(engine), routine_(engine.remedy) {}
  void WriteScanHeader(const fs::path& target) override {
    if (engine_.log != nullptr) engine_.log->WriteScanHeader(platform::AnsiPathText(target));
  }
  void RepairRegistry() override { engine_.effects.RepairRegistry(); }
  void DeleteExtractFolder() override {
    if (!engine_.extractFolder.empty()) routine_.DeleteFolderTree(engine_.extractFolder);
  }
  void PlayFinishedSound() override { engine_.effects.PlayFinishedSound(); }
  void ShutDownComputer() override { engine_.effects.ShutDownComputer(); }

 private:
  const ScanEngine& engine_;
  remedy::DeleteRoutine routine_;
};

// The shutdown box can be ticked while the run goes on, so it is read when the
// run finishes. The run itself is built with shutdown off; when the box is
// ticked at the finish, the result marker is not written and the shutdown takes
// the place of the finish message.
class FinishMarkers final : public scan::ScanMarkers {
 public:
  explicit FinishMarkers(scan::ScanMarkers& inner) : inner_(inner) {}
  void SetMarker(std::string_view name, std::uint32_t value) override {
    if (shuttingDown && name == "VirusDetected") return;
    inner_.SetMarker(name, value);
  }
  void DeleteMarker(std::string_view name) override { inner_.DeleteMarker(name); }
  bool shuttingDown = false;

 private:
  scan::ScanMarkers& inner_;
};

}  // namespace

// The walk's message pump: answers Pause and Stop at every entry.
class ScanController::Gate final : public scan::MessagePump {
 public:
  Gate(ScanController& owner, scan::ScanState& state) : owner_(owner), state_(state) {}
  void PumpMessages() override { owner_.PumpGate(state_); }

 private:
  ScanController& owner_;
  scan::ScanState& state_;
};

// Everything the run shows goes to the board; the finish message goes to the
// window thread.
class ScanController::Observer final : public scan::ScanObserver {
 public:
  Observer(ScanController& owner, FinishMarkers& markers, scan::ScanState& state)
      : owner_(owner), board_(owner.board_), markers_(markers), state_(state) {}

  void StatusText(std::string_view text) override { board_.SetStatusText(text); }
  void StatusColour(std::uint32_t bgr) override { board_.SetStatusColour(bgr); }
  void ScanPathLabel(std::string_view text) override { board_.SetScanPath(text); }
  void ArchiveLabel(std::string_view text) override { board_.SetArchiveLabel(text); }
  void FilesScannedLabel(std::uint64_t count) override { board_.SetFilesScanned(count); }
  void Progress(int percent) override { board_.SetPercent(percent); }
  void TaskbarProgressStart() override { board_.SetTaskbar(true, 0); }
  void TaskbarProgress(int percent) override { board_.SetTaskbar(true, percent); }
  void TaskbarProgressClear() override { board_.SetTaskbar(false, 0); }
  void BufferingTimer(bool on) override { board_.SetBuffering(on); }
  void Counted(std::uint32_t files, std::uint32_t folders) override { board_.SetCounted(files, folders); }
  void RunControls(bool running) override {
    board_.SetRunControls(running);
    // The run's begin state clears the stop request; a Stop pressed before the
    // worker got there must still count.
    if (running) owner_.PumpGate(state_);
  }
  void ShowDetectionRowCount() override { board_.SetDetections(state_.DetectionCount); }
  void FitDetectionList(std::uint32_t) override { board_.RequestFitList(); }
  void Finishing(const scan::ScanState& state, std::string_view) override {
    board_.SetDetections(state.DetectionCount);
    markers_.shuttingDown = owner_.shutdownWhenDone_;
  }
  void ShowMessage(std::string_view text, scan::MessageIcon icon) override {
    if (markers_.shuttingDown) {
      owner_.engine_.effects.ShutDownComputer();
      return;
    }
    const std::string message(text);
    if (owner_.presenter_) owner_.ui_.Call([&] { owner_.presenter_(message, icon); });
  }

 private:
  ScanController& owner_;
  ScanBoard& board_;
  FinishMarkers& markers_;
  scan::ScanState& state_;
};

ScanController::ScanController(ScanEngine engine, ScanBoard& board, UiCallQueue& ui, FinishPresenter presenter)
    : engine_(std::move(engine)), board_(board), ui_(ui), presenter_(std::move(presenter)) {}

ScanController::~ScanController() {
  Stop();
  Wait();
}

unsigned ScanController::CheckingThreads(const RunSettings& settings) {
  if (settings.threads > 0) return settings.threads;
  return std::max(1u, std::thread::hardware_concurrency());
}

bool ScanController::Start(const fs::path& target, const RunSettings& settings) {
  if (busy_.exchange(true)) return false;
  if (worker_.joinable()) worker_.join();  // the last run has ended (busy was false)
  {
    std::lock_guard lock(gateMutex_);
    paused_ = false;
    stopRequested_ = false;
  }
  board_.ResetForRun();
  board_.SetRunning(true);
  worker_ = std::thread([this, target, settings] { Work(target, settings); });
  return true;
}

void ScanController::Work(const fs::path& target, RunSettings settings) {
  {
    scan::ScanState state;
    {
      std::lock_guard lock(gateMutex_);
      runningState_ = &state;
      if (stopRequested_) state.StopRequested = true;
    }
    checks::IconHeuristicCheck icon(engine_.lists.icons);
    BoardDetections detections(board_);
    scan::ScanLogLines logLines(engine_.log);
    SerialDeleter deleter(engine_.remedy);
    FinishMarkers markers(engine_.markers);
    Observer observer(*this, markers, state);
    Gate gate(*this, state);
    RunServices services(engine_);

    scan::ScanOneFileContext fileContext{scan::FileCheckContext{engine_.lists, icon, engine_.targets},
                                         detections,
                                         engine_.detectedSound,
                                         deleter,
                                         logLines,
                                         engine_.longPaths,
                                         engine_.clock,
                                         state.DetectionCount,
                                         settings.sound,
                                         settings.cleanAll};
    scan::ArchiveScanContext archiveContext{engine_.archives, state,   observer, gate, fileContext,
                                            engine_.extractFolder, settings.archive};
    try {
      scan::ParallelSink sink(fileContext, archiveContext, CheckingThreads(settings));
      scan::ScanRun run(state, observer, gate, markers, services, sink,
                        scan::ScanOptions{.FixReg = settings.fixReg,
                                          .Sound = settings.sound,
                                          .ShutdownWhenDone = false,
                                          .IsWindowsXP = settings.isWindowsXP});
      state.ScanTarget = target;
      services.WriteScanHeader(target);
      run.Run();
    } catch (const std::exception&) {
      // A failure outside the per-file work (no thread, no memory) ends the run;
      // the page returns to idle below.
      board_.SetRunControls(false);
      board_.SetStatusText(scan::kStatusWaiting);
    }
    std::lock_guard lock(gateMutex_);
    runningState_ = nullptr;
  }
  board_.SetRunning(false);
  busy_ = false;
}

void ScanController::PumpGate(scan::ScanState& state) {
  std::unique_lock lock(gateMutex_);
  if (paused_ && !stopRequested_) {
    board_.SetPaused(true);
    gateChanged_.wait(lock, [&] { return !paused_ || stopRequested_; });
    board_.SetPaused(false);
  }
  if (stopRequested_) state.StopRequested = true;
}

void ScanController::SetPaused(bool paused) {
  {
    std::lock_guard lock(gateMutex_);
    paused_ = paused;
  }
  gateChanged_.notify_all();
}

bool ScanController::Paused() const {
  std::lock_guard lock(gateMutex_);
  return paused_;
}

void ScanController::Stop() {
  {
    std::lock_guard lock(gateMutex_);
    stopRequested_ = true;
    paused_ = false;
    if (runningState_ != nullptr) runningState_->StopRequested = true;
  }
  gateChanged_.notify_all();
}

void ScanController::Wait() {
  if (worker_.joinable()) worker_.join();
}

}  // namespace kestro::app::scan_page
