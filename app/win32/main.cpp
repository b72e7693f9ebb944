// The program's entry.
#include <windows.h>
#include <commctrl.h>

#include "app/app_context.hpp"
#include "app/command_line.hpp"
#include "app/scan_page/scan_page.hpp"
#include "app/update_page/update_page.hpp"

namespace {

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  kestro::app::AppContext ctx;
  ctx.ProgramTitle = L"KESTRO Antivirus";
  ctx.CommandLine = kestro::app::ArgumentsOf(GetCommandLineW());

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = MainProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"KestroMainWindow";
  RegisterClassExW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, (ctx.ProgramTitle + L" 2013").c_str(), WS_POPUP | WS_SYSMENU,
                                CW_USEDEFAULT, CW_USEDEFAULT, 818, 611, nullptr, nullptr, instance, nullptr);
  ctx.MainWindow = window;
  ctx.ScanPage = kestro::app::CreateScanPage(window, ctx);
  kestro::update_page::UpdatePageHost host{window, ctx.ProgramTitle, ctx.ProgramFolder, ctx.UpdateServer, {}};
  ctx.UpdatePage = kestro::update_page::CreateUpdatePage(window, host);
  ShowWindow(window, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
