#pragma once
// The update page (page 4): checks the update server and downloads new databases
// and program versions; and the web-link opener of the header menu.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

namespace kestro::update_page {

struct UpdatePageHost {
  HWND mainWindow;
  std::wstring programTitle;
  std::filesystem::path programFolder;
  std::wstring serverBase;  // build config, overridden by HKCU Software\KESTRO "UpdateServer"
  std::function<void()> databasesReplaced;
};

HWND CreateUpdatePage(HWND parent, const UpdatePageHost&);
void ShowUpdate(HWND updatePage);  // frmMain.Update: bring forward + check
void OpenWebLink(HWND owner, const std::wstring& title, const std::wstring& url);  // "Not Connected" rule

}  // namespace kestro::update_page
