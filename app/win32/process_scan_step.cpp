#include "app/win32/process_scan_step.hpp"

namespace kestro::app {

// HOOK: the running-process scan (scan/process_scan: the walk over the running
// processes, each path shown in the splash's step-2 mark and logged, detected
// executables frozen and put to the user) is wired in here once it has landed.
// Until then the step shows nothing and checks no process.
void RunStartupProcessScan(AppContext&, HWND, const std::function<void(const std::wstring&)>&) {}

}  // namespace kestro::app
