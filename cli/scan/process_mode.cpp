#include "cli/scan/process_mode.hpp"

#include "platform/processes.hpp"
#include "platform/system_folders.hpp"
#include "scan/process_scan.hpp"

namespace kestro::cli {

void ScanRunningProcesses(scan::ScanOneFileContext& file, const log::ScanLog* log, std::ostream* err) {
  scan::ProcessScanObserver observer;
  scan::ScanLogProcessLines processLines(log);
  scan::ProcessWalkContext walk{platform::NativeProcessList(), platform::WindowsFolder(), observer, processLines};
  scan::ProcessReport report(file);
  const scan::ProcessWalkCounts counts = scan::WalkProcesses(walk, &report);
  if (err == nullptr) return;
  *err << "Running processes: " << counts.processes << " processes, " << report.ExecutablesChecked()
       << " executables checked";
  if (counts.notReadable > 0) {
    *err << ", " << counts.notReadable << " processes not readable without more rights";
  }
  *err << "\n";
}

}  // namespace kestro::cli
