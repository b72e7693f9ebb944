#pragma once
// The process-wide values of the desktop program, set during start-up and read by
// every page. One object exists for the life of the program; the entry routine
// creates it and passes it by reference to the start-up steps, the splash, the main
// window and each page. A value owned by one piece is written by that piece only.
//
// The header is portable so that the start-up and settings rules can be tested
// natively; window handles are plain pointers there.

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "log/scan_log.hpp"
#include "sigdb/database_values.hpp"
#include "sigdb/signature_list.hpp"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace kestro::app {

#if defined(_WIN32)
using WindowHandle = HWND;
#else
using WindowHandle = void*;
#endif

// The ten on/off options of the options page, in their stored order.
enum class Option : int {
  Process = 0,   // check the running processes at start
  FixReg = 1,    // repair the registry before a scan
  CleanAll = 2,  // delete a detected file at once
  Sound = 3,
  Archive = 4,   // look inside RAR archives
  OnTop = 5,
  Unclose = 6,
  HideApp = 7,
  Shell = 8,     // the Explorer context-menu command
  Auto = 9,
};
inline constexpr int kOptionCount = 10;

struct AppContext {
  // Identity, from the engine library and the version resources of the companions.
  std::wstring ProgramTitle;       // title of every message box
  std::wstring EngineVersion;      // "4.2"
  std::wstring EditionTag = L"( Beta )";
  std::wstring EngineBuild;        // build date text
  std::wstring EngineFileVersion;  // file version of KESTROEngine.dll
  std::wstring InetFileVersion;    // file version of KESTROInet.dll
  std::wstring GuiFileVersion;     // file version of KESTROGui.dll
  std::wstring SiteAddress;        // product web site, ends with "/"
  std::wstring EngineChecksum;     // eight hexadecimal digits, for the integrity check

  // Folders.
  std::filesystem::path ProgramFolder;     // the folder of the program file
  std::filesystem::path QuarantineFolder;  // drive root + "[ KESTRO ]"
  std::filesystem::path ExtractFolder;     // Windows folder + "Temp\KESTRO"
  std::filesystem::path ScanTarget;        // folder to scan; the Startup folder at first

  // The command line without the program's own name (a folder path, "/U" or empty).
  std::wstring CommandLine;

  // System information lines, filled once at start; empty when not obtained.
  std::wstring OsCaption;
  std::wstring OsVersionLine;
  std::wstring ProcessorLine;
  bool IsWindowsXP = false;  // decides whether the taskbar button shows scan progress

  // The signature lists and the values of the DB_0x.avn header.
  sigdb::SignatureLists Signatures;
  sigdb::DatabaseValues DatabaseValues;

  // The scan log "Log\kestro.log", set up when the splash starts.
  std::optional<log::ScanLog> ScanLog;

  // Settings: the shown state of each option, and the two flags the scan reads.
  // FixReg and CleanAll follow the stored options from the moment they are loaded.
  std::array<bool, kOptionCount> OptionStates{};
  bool FixReg = false;
  bool CleanAll = false;
  bool OptionOn(Option option) const { return OptionStates[static_cast<std::size_t>(option)]; }

  // Base address of the update server ("http://host[:port]/path/"): build
  // configuration, overridden by the REG_SZ "UpdateServer" under Software\KESTRO.
  std::wstring UpdateServer;

  // Windows of the program (null until created).
  WindowHandle MainWindow = nullptr;
  WindowHandle ScanPage = nullptr;
  WindowHandle QuarantinePanel = nullptr;
  WindowHandle UpdatePage = nullptr;

  // Shows the virtual keyboard ("Virtual.frUtama") modally over `owner`; empty when
  // the keyboard object could not be created.
  std::function<void(WindowHandle owner)> ShowVirtualKeyboard;
};

}  // namespace kestro::app
