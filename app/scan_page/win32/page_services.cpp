#include "app/scan_page/win32/page_services.hpp"

#include <shellapi.h>
#include <shlobj.h>

namespace kestro::app::scan_page {
namespace {

class SystemDialogBoxes final : public PageDialogs {
 public:
  void Message(HWND owner, const std::wstring& caption, const std::wstring& text, UINT icon) override {
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | icon);
  }
  bool AskYesNo(HWND owner, const std::wstring& caption, const std::wstring& text, UINT icon) override {
    return MessageBoxW(owner, text.c_str(), caption.c_str(), MB_YESNO | icon) == IDYES;
  }
  std::optional<std::wstring> ChooseFolder(HWND owner, const std::wstring& title) override {
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
    if (list == nullptr) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDListW(list, path) != FALSE;
    CoTaskMemFree(list);
    if (!ok || path[0] == L'\0') return std::nullopt;
    return std::wstring(path);
  }
  void Open(HWND owner, const std::wstring& file, const std::wstring& parameters) override {
    ShellExecuteW(owner, L"open", file.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
  }
};

class SystemShutdown final : public PowerControl {
 public:
  void ShutDown() override {
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
      TOKEN_PRIVILEGES privileges{};
      privileges.PrivilegeCount = 1;
      privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
      if (LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
      }
      CloseHandle(token);
    }
    ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_FLAG_PLANNED);
  }
};

}  // namespace

PageDialogs& SystemDialogs() {
  static SystemDialogBoxes dialogs;
  return dialogs;
}

PowerControl& SystemPower() {
  static SystemShutdown power;
  return power;
}

}  // namespace kestro::app::scan_page
