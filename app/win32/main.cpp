// The program's entry: decides first whether another copy runs (a second copy
// changes nothing), then runs the start-up routine, makes the main window
// (hidden) and shows the splash, which hands over to the main window.
#include <windows.h>
#include <objbase.h>

#include <filesystem>

#include "app/app_context.hpp"
#include "app/command_line.hpp"
#include "app/integrity.hpp"
#include "app/startup_routine.hpp"
#include "app/win32/main_window.hpp"
#include "app/win32/process_scan_step.hpp"
#include "app/win32/splash_window.hpp"
#include "app/win32/startup_platform_win32.hpp"

namespace {

using namespace kestro::app;

constexpr const wchar_t* kInstanceMutex = L"Local\\KESTRO Antivirus.Instance";
constexpr DWORD kFindRunningWindowMs = 5000;
constexpr UINT kHandOverTimeoutMs = 5000;

std::filesystem::path ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return std::filesystem::path(path).parent_path();
}

// The running copy's main window; it may still be starting, so look for a while.
HWND FindRunningMainWindow() {
  const ULONGLONG end = GetTickCount64() + kFindRunningWindowMs;
  for (;;) {
    if (HWND window = FindWindowW(kMainWindowClass, nullptr)) return window;
    if (GetTickCount64() >= end) return nullptr;
    Sleep(100);
  }
}

bool HandOver(const std::wstring& commandLine) {
  HWND running = FindRunningMainWindow();
  if (running == nullptr) return false;
  COPYDATASTRUCT data{kHandOverTag, static_cast<DWORD>(commandLine.size() * sizeof(wchar_t)),
                      const_cast<wchar_t*>(commandLine.data())};
  DWORD_PTR accepted = FALSE;
  if (!SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                           kHandOverTimeoutMs, &accepted) ||
      accepted == FALSE) {
    return false;
  }
  SetForegroundWindow(running);
  return true;
}

int SecondInstance(const std::wstring& commandLine) {
  if (DecideSecondInstance(commandLine) == SecondInstanceAction::HandOver && HandOver(commandLine)) return 0;
  const std::wstring text(kAlreadyRunning);
  MessageBoxW(nullptr, text.c_str(), L"KESTRO Antivirus", MB_OK | MB_ICONEXCLAMATION);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  AppContext ctx;
  ctx.CommandLine = ArgumentsOf(GetCommandLineW());

  // Decided before anything else, so a second copy neither deletes the extraction
  // folder under a running scan nor registers the components again. The handle
  // stays open for the life of the process.
  HANDLE instance = CreateMutexW(nullptr, FALSE, kInstanceMutex);
  if (instance != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) return SecondInstance(ctx.CommandLine);

  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ctx.ProgramFolder = ProgramFolder();
  Win32StartupPlatform platform(ctx.ProgramFolder);
  if (RunStartupRoutine(platform, ctx, BuiltLibraryTable()).endProgram) return 1;

  MainWindow main(ctx);
  if (!main.Create()) return 1;

  SplashHooks hooks;
  hooks.prepareMainWindow = [&main] { main.Prepare(); };
  hooks.fillDefinitions = [&main] { main.FillDefinitions(); };
  hooks.handOver = [&main] { main.HandOver(); };
  hooks.loadTree = [] {};  // the scan page fills its own folder tree when it is made
  const SplashWindow* splashWindow = nullptr;
  // The process scan reports each path to the splash's step-2 mark.
  hooks.runProcessScan = [&ctx, &splashWindow](const std::function<void(const std::wstring&)>& showPath) {
    RunStartupProcessScan(ctx, splashWindow != nullptr ? splashWindow->hwnd() : nullptr, showPath);
  };
  SplashWindow splash(ctx, hooks);
  splashWindow = &splash;
  if (!splash.Start()) main.HandOver();

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Tab moves between the controls of the main window's pages. Nothing else is
    // taken from the controls (Enter, arrows and Escape stay theirs).
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && IsChild(main.hwnd(), msg.hwnd) &&
        (GetKeyState(VK_CONTROL) & 0x8000) == 0 &&
        (SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) & DLGC_WANTTAB) == 0) {
      const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
      if (HWND next = GetNextDlgTabItem(main.hwnd(), msg.hwnd, back ? TRUE : FALSE)) SetFocus(next);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
