#pragma once
// The state of a scan run, shared by the walk, the file pipeline and the archive
// scanner, and read by whatever shows the scan (the main window, the console).

#include <atomic>
#include <cstdint>
#include <filesystem>

namespace kestro::scan {

struct ScanState {
  std::filesystem::path ScanTarget;  // the folder being scanned
  // Set by Stop (possibly from another thread in the console tool) and at the end
  // of every run; cleared when a run starts.
  std::atomic<bool> StopRequested{false};
  bool ScanRunning = false;
  bool Buffering = false;  // the counting pass is running
  std::uint32_t TotalFiles = 0;
  std::uint32_t TotalFolders = 0;
  std::uint32_t FilesScanned = 0;
  std::int16_t ArchiveMembersScanned = 0;  // saturates at 32,767
  std::uint32_t DetectionCount = 0;

  void CountArchiveMember() {
    if (ArchiveMembersScanned < INT16_MAX) ++ArchiveMembersScanned;
  }

  void ResetCounts() {
    TotalFiles = 0;
    TotalFolders = 0;
    FilesScanned = 0;
    ArchiveMembersScanned = 0;
    DetectionCount = 0;
  }
};

}  // namespace kestro::scan
