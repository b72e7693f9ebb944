// A small program for the system tools' Windows tests to find, suspend, end
// and inspect:
//   kestro_systools_sleeper wait THREADS   runs THREADS extra threads and waits
//   kestro_systools_sleeper spawn          starts a "wait 0" child and waits
// It ends by itself after a minute, so a failed test leaves nothing behind.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

DWORD WINAPI Idle(void*) {
  Sleep(INFINITE);
  return 0;
}

}  // namespace

// A window-subsystem program, so no console host is started along with it.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring mode = argc > 1 ? argv[1] : L"wait";
  if (mode == L"spawn") {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = std::wstring(L"\"") + self + L"\" wait 0";
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &child)) {
      return 1;
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  } else {
    const int threads = argc > 2 ? _wtoi(argv[2]) : 0;
    for (int i = 0; i < threads; ++i) {
      HANDLE thread = CreateThread(nullptr, 0, Idle, nullptr, 0, nullptr);
      if (thread != nullptr) CloseHandle(thread);
    }
  }
  Sleep(60000);
  return 0;
}
