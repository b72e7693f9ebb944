#include "tests/wine/systools_wine_support.hpp"

#include <tlhelp32.h>

#include <chrono>
#include <thread>

#include "tests/support/own_dialog.hpp"
#include "tests/wine/com_wine_support.hpp"

namespace kestro::test {

PanelHost::PanelHost() {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  window_ = CreateWindowExW(0, L"STATIC", L"KESTRO test host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                            700, 560, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

PanelHost::~PanelHost() {
  if (window_ != nullptr) DestroyWindow(window_);
}

systools::ToolsPanelHost PanelHost::host() const {
  systools::ToolsPanelHost host;
  host.mainWindow = window_;
  host.programTitle = kTestTitle;
  host.programFolder = TestProgramFolder();
  return host;
}

void PanelHost::Place(HWND panel) const {
  MoveWindow(panel, 0, 0, 680, 500, TRUE);
  ShowWindow(panel, SW_SHOW);
}

std::wstring StartedProgram::Path() {
  return (TestProgramFolder() / L"kestro_systools_sleeper.exe").wstring();
}

StartedProgram::StartedProgram(const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + Path() + L"\" " + arguments;
  STARTUPINFOW startup{sizeof(startup)};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info_)) {
    info_ = {};
    return;
  }
  // Wait until its threads exist (they are made before it starts to sleep).
  WaitFor([this] { return ThreadIds(pid()).size() >= 1; }, std::chrono::seconds(10));
  Sleep(200);
}

StartedProgram::~StartedProgram() {
  if (info_.hProcess == nullptr) return;
  TerminateProcess(info_.hProcess, 0);
  WaitForSingleObject(info_.hProcess, 5000);
  CloseHandle(info_.hProcess);
  CloseHandle(info_.hThread);
}

bool StartedProgram::Running() const {
  return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::wstring CellText(HWND list, int row, int column) {
  wchar_t text[1024] = {};
  ListView_GetItemText(list, row, column, text, 1024);
  return text;
}

int FindRow(HWND list, int column, const std::wstring& text) {
  const int count = ListView_GetItemCount(list);
  for (int row = 0; row < count; ++row) {
    if (CellText(list, row, column) == text) return row;
  }
  return -1;
}

void Select(HWND list, int row) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

std::future<std::optional<std::wstring>> AnswerDialog(const std::wstring& title, int button,
                                                      std::chrono::milliseconds limit) {
  return std::async(std::launch::async, [title, button, limit]() -> std::optional<std::wstring> {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      HWND box = test::FindOwnDialog(title.c_str());
      if (box != nullptr && IsWindowVisible(box)) {
        wchar_t text[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 1024);
        SendMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
        return text;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
  });
}

std::future<std::wstring> AnswerMessageBox(const std::wstring& title, int button) {
  return std::async(std::launch::async, [title, button]() -> std::wstring {
    return AnswerDialog(title, button).get().value_or(L"");
  });
}

void PumpMessages(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

std::vector<DWORD> ProcessesNamed(const std::wstring& name) {
  std::vector<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{sizeof(entry)};
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, name.c_str()) == 0) found.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return found;
}

std::vector<DWORD> ThreadIds(DWORD pid) {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  THREADENTRY32 entry{sizeof(entry)};
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == pid) ids.push_back(entry.th32ThreadID);
  }
  CloseHandle(snapshot);
  return ids;
}

std::vector<DWORD> ChildProcesses(DWORD pid, const std::wstring& name) {
  std::vector<DWORD> children;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return children;
  PROCESSENTRY32W entry{sizeof(entry)};
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID == pid && _wcsicmp(entry.szExeFile, name.c_str()) == 0) {
      children.push_back(entry.th32ProcessID);
    }
  }
  CloseHandle(snapshot);
  return children;
}

}  // namespace kestro::test
