#pragma once
// The scan page (page 1, tabs "Directory" and "Current Report") and the quarantine
// panel that the tools page shows in its tab "Quarantine List".

#include <windows.h>

#include <string>

#include "app/app_context.hpp"

namespace kestro::app {

HWND CreateScanPage(HWND parent, AppContext& ctx);         // page 1 with tabs "Directory" / "Current Report"
HWND CreateQuarantinePanel(HWND parent, AppContext& ctx);  // tools page tab 4 "Quarantine List"
void ScanContextMenu(HWND scanPage, const std::wstring& target);  // the Scan command with a target
bool ScanIsRunning(HWND scanPage);
void StopScan(HWND scanPage);  // close flow "abort scan" answer Yes
void RefreshQuarantineList(HWND quarantinePanel);

}  // namespace kestro::app
