#include "app/scan_page/scan_board.hpp"

namespace kestro::app::scan_page {

void ScanBoard::SetRunning(bool running) {
  Change([&](BoardView& v) { v.running = running; });
}
void ScanBoard::SetPaused(bool paused) {
  Change([&](BoardView& v) { v.paused = paused; });
}
void ScanBoard::SetBuffering(bool on) {
  Change([&](BoardView& v) { v.buffering = on; });
}
void ScanBoard::SetRunControls(bool disabled) {
  Change([&](BoardView& v) { v.runControlsDisabled = disabled; });
}
void ScanBoard::SetStatusText(std::string_view text) {
  std::lock_guard lock(mutex_);
  // The walk sets the same status for every file: only a real change counts.
  if (view_.statusText == text) return;
  view_.statusText.assign(text);
  ++view_.revision;
}
void ScanBoard::SetStatusColour(std::uint32_t bgr) {
  Change([&](BoardView& v) { v.statusColour = bgr; });
}
void ScanBoard::SetScanPath(std::string_view text) {
  Change([&](BoardView& v) { v.scanPath.assign(text); });
}
void ScanBoard::SetArchiveLabel(std::string_view text) {
  std::lock_guard lock(mutex_);
  if (view_.archiveLabel == text) return;
  view_.archiveLabel.assign(text);
  ++view_.revision;
}
void ScanBoard::SetCounted(std::uint32_t files, std::uint32_t folders) {
  Change([&](BoardView& v) {
    v.totalFiles = files;
    v.totalFolders = folders;
  });
}
void ScanBoard::SetFilesScanned(std::uint64_t count) {
  Change([&](BoardView& v) { v.filesScanned = count; });
}
void ScanBoard::SetDetections(std::uint32_t count) {
  Change([&](BoardView& v) { v.detections = count; });
}
void ScanBoard::SetPercent(int percent) {
  Change([&](BoardView& v) { v.percent = percent; });
}
void ScanBoard::SetTaskbar(bool active, int percent) {
  Change([&](BoardView& v) {
    v.taskbarActive = active;
    v.taskbarPercent = percent;
  });
}
void ScanBoard::AddRow(scan::DetectionRecord record) {
  Change([&](BoardView& v) { v.newRows.push_back(std::move(record)); });
}
void ScanBoard::RequestFitList() {
  Change([&](BoardView& v) { v.fitListRequested = true; });
}

void ScanBoard::ResetForRun() {
  Change([&](BoardView& v) {
    v.paused = false;
    v.buffering = false;
    v.scanPath.clear();
    v.totalFiles = 0;
    v.totalFolders = 0;
    v.filesScanned = 0;
    v.detections = 0;
    v.percent = 0;
    v.newRows.clear();
    v.fitListRequested = false;
  });
}

BoardView ScanBoard::Take() {
  std::lock_guard lock(mutex_);
  std::vector<scan::DetectionRecord> rows = std::move(view_.newRows);
  view_.newRows.clear();
  BoardView copy = view_;
  copy.newRows = std::move(rows);
  view_.fitListRequested = false;
  return copy;
}

BoardView ScanBoard::Peek() const {
  std::lock_guard lock(mutex_);
  return view_;
}

}  // namespace kestro::app::scan_page
