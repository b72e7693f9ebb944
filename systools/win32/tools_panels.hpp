// The tools page's pieces that the main window hosts: the three panels of the
// tab strip, the launcher row, the 100 ms housekeeping tick and the system
// information read once at start-up. Each panel is a WS_CHILD window that lays
// out its own controls on WM_SIZE; the main window creates it once and shows,
// hides and moves it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kestro::systools {

struct ToolsPanelHost {
  HWND mainWindow = nullptr;
  std::wstring programTitle;  // message box titles
  std::filesystem::path programFolder;
  std::function<void(HWND owner)> showVirtualKeyboard;  // "Virtual.frUtama" shown modally
};

HWND CreateProcessManagerPanel(HWND parent, const ToolsPanelHost&);
HWND CreateServicesPanel(HWND parent, const ToolsPanelHost&);
HWND CreatePerformancePanel(HWND parent, const ToolsPanelHost&);
HWND CreateLauncherRow(HWND parent, const ToolsPanelHost&);  // the six launcher buttons
void HousekeepingTick();                                     // 100 ms: working-set trim

// System information (OS caption lines, processor line, IsWindowsXP rule) for start-up:
struct SystemInformation {
  std::wstring osCaption, osVersionLine, processorLine;
  bool ok = false;
  // osCaption: Caption and "( service pack )"; osVersionLine: ": " + Version;
  // processorLine: ": " + the processor's Name. The further lines:
  std::wstring osBuildLine;                // ": " + BuildNumber
  std::wstring processorManufacturerLine;  // ": " + Manufacturer
  std::wstring processorDescriptionLine;   // ": " + Description
  // The IsWindowsXP rule's answer from the caption: true for "XP", false for
  // "7" or "Vista", none when the flag is to stay as it was (or WMI failed).
  std::optional<bool> isWindowsXP;
};
// WMI Win32_OperatingSystem then Win32_Processor; ok is false when the
// operating system could not be read (the lines stay empty then).
SystemInformation QuerySystemInformation();

}  // namespace kestro::systools
