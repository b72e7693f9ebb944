#pragma once
// The scan page (page 1, tabs "Directory" and "Current Report") and the quarantine
// panel that the tools page shows in its tab "Quarantine List".
//
// The page tells the main window what concerns it with the registered window
// message kScanPageNotifyName, sent to ctx.MainWindow (wParam: one of
// ScanPageNotice, lParam as described there). A main window that does not
// handle it loses nothing the page itself needs.

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

inline constexpr wchar_t kScanPageNotifyName[] = L"KESTRO.ScanPage.Notify";

enum class ScanPageNotice : WPARAM {
  // The status line "txtStatus" changed: lParam points to a StatusLineNotice
  // (valid during the call only).
  StatusLine = 1,
  // A scan run began (lParam 1) or ended (lParam 0): the options frame is
  // disabled while a run is active.
  ScanRunning = 2,
  // The scan page wants to be the current page (a scan started or was asked for).
  ShowScanPage = 3,
};

struct StatusLineNotice {
  const wchar_t* text;
  COLORREF colour;
};

// The hand-over of a folder from a second instance (Explorer's menu while the
// program runs). The second instance calls SendScanHandOver with the running
// instance's main window and ends without a message when it answers true; the
// main window passes every WM_COPYDATA to ReceiveScanHandOver, which starts the
// scan when idle or brings the scan page forward when busy, and answers whether
// the data was a hand-over (the window procedure's result).
bool SendScanHandOver(HWND runningMainWindow, const std::wstring& folder);
bool ReceiveScanHandOver(HWND scanPage, LPARAM copyData);

}  // namespace kestro::app
