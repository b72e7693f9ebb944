// Test stand-in for "KESTRO Antivirus.exe": records the text behind its own file
// name on the command line (what the main program takes as its scan target) in
// "invoked-<process id>.txt" beside itself, as UTF-8, and exits.
#include <windows.h>

#include <string>

namespace {

std::wstring TextAfterProgramName(const wchar_t* line) {
  const wchar_t* p = line;
  if (*p == L'"') {
    ++p;
    while (*p != L'\0' && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p != L'\0' && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  const std::size_t slash = folder.find_last_of(L'\\');
  return slash == std::wstring::npos ? L"." : folder.substr(0, slash);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring tail = TextAfterProgramName(GetCommandLineW());
  const int size = WideCharToMultiByte(CP_UTF8, 0, tail.c_str(), static_cast<int>(tail.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, tail.c_str(), static_cast<int>(tail.size()), utf8.data(), size, nullptr,
                        nullptr);
  }
  // Written under a temporary name and then renamed, so a reader never sees half a record.
  const std::wstring id = std::to_wstring(GetCurrentProcessId());
  const std::wstring partial = OwnFolder() + L"\\invoked-" + id + L".part";
  const std::wstring done = OwnFolder() + L"\\invoked-" + id + L".txt";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || !MoveFileExW(partial.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING)) return 1;
  return 0;
}
