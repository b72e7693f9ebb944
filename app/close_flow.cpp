#include "app/close_flow.hpp"

namespace kestro::app {

CloseOutcome RunCloseFlow(CloseFlowHost& host) {
  host.SaveSettings();
  const bool scanning = host.ScanRunning();
  if (!host.Ask(scanning ? kAskAbortScan : kAskExit)) return CloseOutcome::Stayed;
  if (scanning) host.StopScan();
  host.DeleteMarker("VirusDetected");
  host.DeleteMarker("MulaiScan");
  host.EndProgram();
  return CloseOutcome::Ended;
}

}  // namespace kestro::app
