// Placeholder panels: empty child windows, so the main window links and lays
// out its tools page while the real panels are being written.
#include "systools/win32/tools_panels.hpp"

namespace kestro::systools {
namespace {

HWND CreateEmptyChild(HWND parent) {
  return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

HWND CreateProcessManagerPanel(HWND parent, const ToolsPanelHost&) { return CreateEmptyChild(parent); }
HWND CreateServicesPanel(HWND parent, const ToolsPanelHost&) { return CreateEmptyChild(parent); }
HWND CreatePerformancePanel(HWND parent, const ToolsPanelHost&) { return CreateEmptyChild(parent); }
HWND CreateLauncherRow(HWND parent, const ToolsPanelHost&) { return CreateEmptyChild(parent); }
void HousekeepingTick() {}
SystemInformation QuerySystemInformation() { return {}; }

}  // namespace kestro::systools
