// Placeholder pages: an empty child window with the text "(page)", so that the
// program links and shows where the scan page and the quarantine panel will sit.
#include "app/scan_page/scan_page.hpp"

namespace kestro::app {
namespace {

HWND CreatePlaceholder(HWND parent) {
  return CreateWindowExW(0, L"STATIC", L"(page)", WS_CHILD | SS_CENTER, 0, 0, 0, 0, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

HWND CreateScanPage(HWND parent, AppContext&) { return CreatePlaceholder(parent); }
HWND CreateQuarantinePanel(HWND parent, AppContext&) { return CreatePlaceholder(parent); }
void ScanContextMenu(HWND, const std::wstring&) {}
bool ScanIsRunning(HWND) { return false; }
void StopScan(HWND) {}
void RefreshQuarantineList(HWND) {}

}  // namespace kestro::app
