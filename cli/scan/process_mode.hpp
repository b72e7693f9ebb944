#pragma once
// kestro-scan --processes: the executables of the running processes, checked
// and reported like files.

#include <ostream>

#include "log/scan_log.hpp"
#include "scan/scan_one_file.hpp"

namespace kestro::cli {

// Walks the running processes: each process line goes to the log (when there
// is one), each distinct executable through the file check, each detection to
// `file`'s detection list and log. Nothing is suspended, asked or ended. A line
// on `err` (none when it is null) tells how many processes were looked at and
// how many refused it.
void ScanRunningProcesses(scan::ScanOneFileContext& file, const log::ScanLog* log, std::ostream* err);

}  // namespace kestro::cli
