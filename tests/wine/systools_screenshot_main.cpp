// Puts one piece of the tools page on screen inside a plain top-level window
// that stands in for the main window (a tab strip like the tools page's, the
// panel, the launcher row), lets it settle and saves the window's pixels as a
// 24-bit BMP, for scripts/screenshot-systools.sh:
//   kestro_systools_screenshot MODE OUTPUT.bmp [SECONDS]
// MODE: processes, services, performance, detail, modules.
#include <windows.h>
// The Windows headers below build on the types above.
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "systools/win32/panel_ids.hpp"
#include "systools/win32/tools_panels.hpp"

namespace {

using namespace kestro::systools;

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 500;

void Pump(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (GetTickCount64() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(15);
  }
}

// Writes the screen pixels of the window's client area as a bottom-up BMP
// (without a window manager the frame is not drawn).
bool SaveWindow(HWND window, const std::wstring& file) {
  RECT client;
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  const RECT rect = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  header.bfSize = header.bfOffBits + imageSize;
  bool written = false;
  if (FILE* out = _wfopen(file.c_str(), L"wb")) {
    written = fwrite(&header, sizeof(header), 1, out) == 1 &&
              fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out) == 1 &&
              fwrite(bits, 1, imageSize, out) == imageSize;
    fclose(out);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return written;
}

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CTLCOLORSTATIC) return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
  if (message == WM_ERASEBKGND) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HFONT BodyFont() {
  NONCLIENTMETRICSW metrics{sizeof(metrics)};
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

// The stand-in main window: the tools page's tab strip, the panel under the
// chosen tab and the launcher row at the bottom.
HWND MakeToolsPage(int tab, ToolsPanelHost& host, HWND* panel) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = HostProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"KestroToolsPageStandIn";
  RegisterClassW(&wc);
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&frame, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, FALSE);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"KESTRO Antivirus - Tools",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                wc.hInstance, nullptr);
  host.mainWindow = window;
  HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 10, 10,
                              kClientWidth - 20, kClientHeight - 64, window, nullptr, wc.hInstance, nullptr);
  SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(BodyFont()), TRUE);
  const wchar_t* captions[] = {L"Process Manager", L"Services", L"Peformance Info", L"Quarantine List"};
  for (int i = 0; i < 4; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(captions[i]);
    TabCtrl_InsertItem(tabs, i, &item);
  }
  TabCtrl_SetCurSel(tabs, tab);
  *panel = tab == 0   ? CreateProcessManagerPanel(window, host)
           : tab == 1 ? CreateServicesPanel(window, host)
                      : CreatePerformancePanel(window, host);
  RECT page = {0, 0, kClientWidth - 20, kClientHeight - 64};
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  MoveWindow(*panel, 10 + page.left, 10 + page.top, page.right - page.left, page.bottom - page.top, TRUE);
  SetWindowPos(*panel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ShowWindow(*panel, SW_SHOW);
  HWND launchers = CreateLauncherRow(window, host);
  MoveWindow(launchers, 10, kClientHeight - 48, kClientWidth - 20, 40, TRUE);
  ShowWindow(launchers, SW_SHOW);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  return window;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fwprintf(stderr,
             L"usage: kestro_systools_screenshot processes|services|performance|detail|modules OUT.bmp "
             L"[SECONDS]\n");
    return 2;
  }
  const std::wstring mode = argv[1];
  const std::wstring output = argv[2];
  const DWORD settle = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3]) * 1000) : 2000;
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  ToolsPanelHost host;
  host.programTitle = L"KESTRO Antivirus";
  HWND panel = nullptr;
  const int tab = mode == L"services" ? 1 : mode == L"performance" ? 2 : 0;
  HWND window = MakeToolsPage(tab, host, &panel);
  if (window == nullptr || panel == nullptr) return 1;

  // Some work for the CPU history to show while it fills.
  std::atomic<bool> stop{false};
  std::thread load;
  if (mode == L"performance") {
    load = std::thread([&stop] {
      volatile unsigned sink = 0;
      for (int round = 0; !stop; ++round) {
        const ULONGLONG busyUntil = GetTickCount64() + static_cast<ULONGLONG>(150 + 120 * (round % 5));
        while (!stop && GetTickCount64() < busyUntil) sink = sink + 1;
        Sleep(350);
      }
    });
  }

  HWND shown = window;
  PROCESS_INFORMATION child{};
  if (mode == L"detail" || mode == L"modules") {
    // A child process to inspect: its parent is this program.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring commandLine = std::wstring(L"\"") + system + L"\\notepad.exe\"";
    STARTUPINFOW startup{sizeof(startup)};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &child)) {
      return 1;
    }
    WaitForInputIdle(child.hProcess, 5000);
    SendMessageW(panel, WM_COMMAND, kCmdRefreshProcess, 0);
    HWND list = GetDlgItem(panel, kIdProcessList);
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
      wchar_t pid[32] = {};
      ListView_GetItemText(list, i, 4, pid, 32);
      if (static_cast<DWORD>(_wtoi(pid)) == child.dwProcessId) {
        ListView_SetItemState(list, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        break;
      }
    }
    shown = reinterpret_cast<HWND>(SendMessageW(panel, kMsgOpenDetail, 0, 0));
    if (shown == nullptr) return 1;
    SetWindowPos(shown, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    if (mode == L"modules") {
      SendMessageW(shown, kMsgShowDetailPage, 1, 0);
    }
  } else if (mode == L"processes") {
    // Select this program's own row, so the information box shows a file.
    HWND list = GetDlgItem(panel, kIdProcessList);
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
      wchar_t pid[32] = {};
      ListView_GetItemText(list, i, 4, pid, 32);
      if (static_cast<DWORD>(_wtoi(pid)) == GetCurrentProcessId()) {
        ListView_SetItemState(list, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        break;
      }
    }
    SetFocus(list);
  }

  Pump(settle);
  RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Pump(300);
  const bool saved = SaveWindow(shown, output);
  stop = true;
  if (load.joinable()) load.join();
  if (child.hProcess != nullptr) {
    TerminateProcess(child.hProcess, 0);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
  }
  DestroyWindow(window);
  return saved ? 0 : 1;
}
