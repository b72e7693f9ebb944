#pragma once
// The one small locked struct between a scan's worker and the scan page. The
// worker writes what a window would show (counters, labels, status, new
// detection rows) as it goes; the page takes a copy on its display timer, about
// 30 times a second, so the window thread never does work per scanned file.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "scan/scan_one_file.hpp"

namespace kestro::app::scan_page {

struct BoardView {
  std::uint64_t revision = 0;  // changes whenever anything below changes
  bool running = false;        // a run is active on the worker
  bool paused = false;
  bool buffering = false;      // the counting pass runs (the status shows its counts)
  bool runControlsDisabled = false;
  std::string statusText;
  std::optional<std::uint32_t> statusColour;  // BGR; unset until a run sets one
  std::string scanPath;
  std::string archiveLabel;
  std::uint32_t totalFiles = 0;
  std::uint32_t totalFolders = 0;
  std::uint64_t filesScanned = 0;  // files and archive members, as the label shows them
  std::uint32_t detections = 0;
  int percent = 0;
  bool taskbarActive = false;
  int taskbarPercent = 0;
  // Handed over once, then cleared:
  std::vector<scan::DetectionRecord> newRows;  // rows found since the last Take
  bool fitListRequested = false;               // the run ended with detections
};

class ScanBoard {
 public:
  // Worker side.
  void SetRunning(bool running);
  void SetPaused(bool paused);
  void SetBuffering(bool on);
  void SetRunControls(bool disabled);
  void SetStatusText(std::string_view text);
  void SetStatusColour(std::uint32_t bgr);
  void SetScanPath(std::string_view text);
  void SetArchiveLabel(std::string_view text);
  void SetCounted(std::uint32_t files, std::uint32_t folders);
  void SetFilesScanned(std::uint64_t count);
  void SetDetections(std::uint32_t count);
  void SetPercent(int percent);
  void SetTaskbar(bool active, int percent);
  void AddRow(scan::DetectionRecord record);
  void RequestFitList();
  // A new run: counters, labels and pending rows start again.
  void ResetForRun();

  // Window side: a copy of everything, and the one-shot parts handed over.
  BoardView Take();
  // A copy without handing anything over.
  BoardView Peek() const;

 private:
  template <typename F>
  void Change(F&& f) {
    std::lock_guard lock(mutex_);
    f(view_);
    ++view_.revision;
  }

  mutable std::mutex mutex_;
  BoardView view_;
};

}  // namespace kestro::app::scan_page
