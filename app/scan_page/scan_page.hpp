#pragma once
// The scan page (page 1, tabs "Directory" and "Current Report") and the quarantine
// panel that the tools page shows in its tab "Quarantine List".
//
// The page tells the main window what concerns it with the registered window
// message kScanPageNotifyName, sent to ctx.MainWindow (wParam: one of
// ScanPageNotice, lParam as described there). A main window that does not
// handle it loses nothing the page itself needs.

#include <windows.h>

#include <functional>
#include <string>

#include "app/app_context.hpp"

namespace kestro::app {

HWND CreateScanPage(HWND parent, AppContext& ctx);         // page 1 with tabs "Directory" / "Current Report"
HWND CreateQuarantinePanel(HWND parent, AppContext& ctx);  // tools page tab 4 "Quarantine List"
void ScanContextMenu(HWND scanPage, const std::wstring& target);  // the Scan command with a target
bool ScanIsRunning(HWND scanPage);
void StopScan(HWND scanPage);  // close flow "abort scan" answer Yes
void RefreshQuarantineList(HWND quarantinePanel);

// The running-process scan the splash runs: every running program is checked as
// a scanned file is; a detected one is frozen and put to the user in a question
// owned by `owner` (when the process guard is on). Blocked programs become rows
// of this page's detection list and lines of the scan log. `showPath` gets the
// file name of each process as it is looked at. Runs on the window thread and
// returns when the walk is over; nothing happens while a folder scan runs.
void RunProcessScan(HWND scanPage, HWND owner, const std::function<void(const std::wstring&)>& showPath);

inline constexpr wchar_t kScanPageNotifyName[] = L"KESTRO.ScanPage.Notify";

enum class ScanPageNotice : WPARAM {
  // The status line "txtStatus" changed: lParam points to a StatusLineNotice
  // (valid during the call only).
  StatusLine = 1,
  // A scan run began (lParam 1) or ended (lParam 0): the options frame is
  // disabled while a run is active.
  ScanRunning = 2,
  // The detection list was brought forward (a program was blocked during the
  // process scan): the main window shows this page.
  ShowDetectionList = 3,
};

struct StatusLineNotice {
  const wchar_t* text;
  COLORREF colour;
};

}  // namespace kestro::app
