#pragma once
// The page and the panel with chosen services (the in-process tests put
// recording dialogs and a stand-in shutdown in place of the system's).

#include <windows.h>

#include "app/app_context.hpp"
#include "app/scan_page/win32/page_services.hpp"

namespace kestro::app::scan_page {

HWND CreateScanPageWith(HWND parent, AppContext& ctx, PageServices services);
HWND CreateQuarantinePanelWith(HWND parent, AppContext& ctx, PageServices services);

// Control ids the tests drive.
enum ScanPageControl : int {
  kTabs = 1101,
  kTargetBox = 1103,
  kScanNow = 1104,
  kFolderTree = 1105,
  kAmountValue = 1111,
  kFilesValue = 1113,
  kDetectedValue = 1115,
  kArchiveValue = 1117,
  kScanPath = 1118,
  kProgress = 1119,
  kDetectionList = 1120,
  kShutdownBox = 1121,
  kPause = 1122,
  kStop = 1123,
  kLog = 1124,
  kStatusLine = 1125,
};

enum QuarantinePanelControl : int {
  kQuarantineList = 1201,
  kRestore = 1202,
  kCleanDelete = 1203,
};

// The detection list menu's item ids (the popup answers one of them).
enum DetectionMenuId : int {
  kMenuClean = 1301,
  kMenuQuarantine,
  kMenuSelectAll,
  kMenuUnselect,
  kMenuExplore,
};

}  // namespace kestro::app::scan_page
