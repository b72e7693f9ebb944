// Control and command identifiers of the system tools' windows, and the
// private messages the tests use to reach a panel's state without a mouse.
#pragma once

#include <windows.h>

namespace kestro::systools {

// Process manager panel.
inline constexpr int kIdProcessList = 1101;     // lstProcess
inline constexpr int kIdProcessInfoBox = 1102;  // the "Process Information" box
inline constexpr int kCmdCreateProcess = 1110;
inline constexpr int kCmdRefreshProcess = 1111;
inline constexpr int kCmdSuspendProcess = 1112;
inline constexpr int kCmdResumeProcess = 1113;
inline constexpr int kCmdEndProcess = 1114;
inline constexpr int kCmdPriorityBase = 1120;  // + the item's index 1 to 4
inline constexpr int kCmdProcessInformation = 1130;
inline constexpr int kCmdExplore = 1131;
inline constexpr int kCmdProperties = 1132;

// Service panel.
inline constexpr int kIdServiceList = 1201;   // lstService
inline constexpr int kCmdServiceBase = 1210;  // + the item's index: 0 Start, 1 Stop, 3 Uninstall

// Detail window frmModule.
inline constexpr int kIdDetailPath = 1310;
inline constexpr int kIdDetailPid = 1311;
inline constexpr int kIdDetailVersion = 1312;
inline constexpr int kIdDetailCompany = 1313;
inline constexpr int kIdDetailDescription = 1314;
inline constexpr int kIdDetailSize = 1315;
inline constexpr int kIdDetailBuildDate = 1316;
inline constexpr int kIdDetailUserName = 1317;
inline constexpr int kIdDetailParentPid = 1318;
inline constexpr int kIdDetailParentName = 1319;
inline constexpr int kIdDetailSignature = 1320;
inline constexpr int kIdModuleCount = 1330;
inline constexpr int kIdModuleList = 1331;  // lstModule
inline constexpr int kIdModuleEmpty = 1332;
inline constexpr int kIdDetailClose = IDCANCEL;

// Launcher row: the buttons cmdKey(0) to cmdKey(5).
inline constexpr int kIdLauncherBase = 1401;

// Private messages.
// Process or service panel: sets the pop-up menu's states as a right click
// would and answers the menu (HMENU) without showing it.
inline constexpr UINT kMsgPrepareMenu = WM_APP + 40;
// Process panel: opens the detail window of the selected row and answers its HWND.
inline constexpr UINT kMsgOpenDetail = WM_APP + 41;
// Performance panel: runs one performance tick at once.
inline constexpr UINT kMsgPerformanceTick = WM_APP + 42;
// Detail window: shows page wParam (0 details, 1 modules), as a click on its tab would.
inline constexpr UINT kMsgShowDetailPage = WM_APP + 43;

}  // namespace kestro::systools
