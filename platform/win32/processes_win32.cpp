// Windows: ends processes by executable name through a Tool Help snapshot.
#include "platform/processes.hpp"

#include <windows.h>
#include <commdlg.h>
#include <tlhelp32.h>

#include <string>

namespace kestro::platform {
namespace {

// The display title of a path (GetFileTitleW into 255 characters), cut at the
// first NUL; empty when the call fails.
std::wstring DisplayTitle(const wchar_t* path) {
  wchar_t buffer[255] = {};
  if (GetFileTitleW(path, buffer, 255) != 0) return {};
  buffer[254] = L'\0';
  return std::wstring(buffer);
}

class ToolHelpTerminator final : public ProcessTerminator {
 public:
  int TerminateByFileName(const std::filesystem::path& file) override {
    const std::wstring wanted = DisplayTitle(file.c_str());
    if (wanted.empty()) return 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    const DWORD self = GetCurrentProcessId();
    int ended = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
      // Never end the calling program itself: it still has the deletion to do.
      if (entry.th32ProcessID == self) continue;
      entry.szExeFile[MAX_PATH - 1] = L'\0';
      const std::wstring title = DisplayTitle(entry.szExeFile);
      if (title.empty() || CompareStringOrdinal(title.c_str(), -1, wanted.c_str(), -1, TRUE) != CSTR_EQUAL) {
        continue;
      }
      HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
      if (process == nullptr) continue;
      if (TerminateProcess(process, 0)) ++ended;
      CloseHandle(process);
    }
    CloseHandle(snapshot);
    return ended;
  }
};

}  // namespace

ProcessTerminator& NativeProcessTerminator() {
  static ToolHelpTerminator terminator;
  return terminator;
}

}  // namespace kestro::platform
