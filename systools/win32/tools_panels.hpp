// The tools page's pieces that the main window hosts: the three panels of the
// tab strip, the launcher row, the 100 ms housekeeping tick and the system
// information read once at start-up. Each panel is a WS_CHILD window that lays
// out its own controls on WM_SIZE; the main window creates it once and shows,
// hides and moves it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

namespace kestro::systools {

struct ToolsPanelHost {
  HWND mainWindow = nullptr;
  std::wstring programTitle;                            // message box titles
  std::filesystem::path programFolder;
  std::function<void(HWND owner)> showVirtualKeyboard;  // "Virtual.frUtama" shown modally
};

HWND CreateProcessManagerPanel(HWND parent, const ToolsPanelHost&);
HWND CreateServicesPanel(HWND parent, const ToolsPanelHost&);
HWND CreatePerformancePanel(HWND parent, const ToolsPanelHost&);
HWND CreateLauncherRow(HWND parent, const ToolsPanelHost&);  // the six launcher buttons
void HousekeepingTick();                                      // 100 ms: working-set trim

// System information (OS caption lines, processor line, IsWindowsXP rule) for start-up:
struct SystemInformation {
  std::wstring osCaption, osVersionLine, processorLine;
  bool ok = false;
};
SystemInformation QuerySystemInformation();

}  // namespace kestro::systools
