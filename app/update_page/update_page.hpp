#pragma once
// The update page (page 4): "&Update Now" checks the update server, replaces
// out-of-date databases (verified, all three or none) or downloads a newer
// program's installer in the background and offers to run it. Every step is a
// line in the text box txtInfo; the progress bar progUpd shows downloads.
// Also the web-link opener of the header menu and the "like" links.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

#include "sigdb/database_values.hpp"

namespace kestro::update_page {

struct UpdatePageHost {
  HWND mainWindow;
  std::wstring programTitle;                // message box titles and the "latest version" line
  std::filesystem::path programFolder;      // the databases and the downloaded installer
  std::wstring serverBase;                  // empty: UpdateServerAddress()
  std::function<void()> databasesReplaced;  // told after new databases are in place
  std::wstring engineVersion;               // EngineVersion ("4.2"); empty: this build's engine version
  const sigdb::DatabaseValues* databaseValues =
      nullptr;                              // the loaded databases; null: read from DB_0x.avn at creation
  std::filesystem::path appDataFolder;      // empty: the user's application-data folder (KESTRO.tmp, Log.tmp)
  std::function<bool()> connectivityProbe;  // empty: Cek_Lin of KESTROInet.dll in the program folder
};

// The page window, a WS_CHILD of `parent`, not yet visible; it lays out its own
// controls on WM_SIZE. The host is copied.
HWND CreateUpdatePage(HWND parent, const UpdatePageHost& host);

// frmMain.Update: shows the page in front of its siblings and puts the focus
// on "&Update Now". It starts no check.
void ShowUpdate(HWND updatePage);

// Opens `url` with the shell's "open" verb when KESTROInet.dll's Cek_Lin
// reports a connection; otherwise shows "Not Connected" with the error icon and
// `title`.
void OpenWebLink(HWND owner, const std::wstring& title, const std::wstring& url);

// The header menu's item 0 (contact page) or 1 (help page) under `siteAddress`,
// through OpenWebLink.
void OpenHelpMenuLink(HWND owner, const std::wstring& title, const std::wstring& siteAddress, int item);

// The update server's folder address: the REG_SZ "UpdateServer" under HKCU
// "Software\KESTRO" when set, else the build's KESTRO_UPDATE_SERVER.
std::wstring UpdateServerAddress();

// Control ids of the page, for tests and the main window.
inline constexpr int kIdInfo = 4101;       // txtInfo
inline constexpr int kIdProgress = 4102;   // progUpd
inline constexpr int kIdUpdateNow = 4103;  // cmdUpdate, "&Update Now"
inline constexpr int kIdProgressText = 4104;

}  // namespace kestro::update_page
