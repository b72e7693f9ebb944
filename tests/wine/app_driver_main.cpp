// Drives the running desktop program from outside, the way a user would, for the
// screenshot script and for looking at the program by hand:
//
//   kestro_app_driver wait-window CLASS SECONDS   a visible window of that class
//   kestro_app_driver rect CLASS                  prints "X Y WIDTH HEIGHT" of it
//   kestro_app_driver page INDEX                  clicks navigation entry INDEX
//   kestro_app_driver tools-tab N                 clicks tab N (from 1) of the tools page
//   kestro_app_driver click-button TEXT           clicks the main window's button TEXT
//   kestro_app_driver close                       asks the main window to close
//   kestro_app_driver answer TITLE yes|no SECONDS answers a message box titled TITLE
//   kestro_app_driver wait-gone CLASS SECONDS     until no window of that class is left
//
// Exit status 0 on success, 1 when the window was not found in time, 2 on bad use.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "app/win32/tools_tab_strip.hpp"

namespace {

constexpr const wchar_t* kMainClass = L"KestroMainWindow";
constexpr int kNavTop = 72;
constexpr int kNavEntryHeight = 44;

HWND WaitFor(const wchar_t* className, const wchar_t* title, double seconds, bool visible) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  for (;;) {
    HWND window = FindWindowW(className, title);
    if (window != nullptr && (!visible || IsWindowVisible(window))) return window;
    if (GetTickCount64() >= end) return nullptr;
    Sleep(50);
  }
}

struct ButtonSearch {
  const wchar_t* text;
  HWND found;
};

BOOL CALLBACK FindButton(HWND child, LPARAM lParam) {
  auto* search = reinterpret_cast<ButtonSearch*>(lParam);
  wchar_t className[32] = {};
  wchar_t text[256] = {};
  GetClassNameW(child, className, 32);
  GetWindowTextW(child, text, 256);
  if (_wcsicmp(className, L"Button") == 0 && IsWindowVisible(child) && wcscmp(text, search->text) == 0) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

int Usage() {
  std::fputs("usage: kestro_app_driver wait-window|rect|page|tools-tab|click-button|close|answer|wait-gone ...\n", stderr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  const std::wstring command = argv[1];
  if (command == L"wait-window" && argc == 4) {
    return WaitFor(argv[2], nullptr, _wtof(argv[3]), true) != nullptr ? 0 : 1;
  }
  if (command == L"wait-gone" && argc == 4) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(_wtof(argv[3]) * 1000);
    while (FindWindowW(argv[2], nullptr) != nullptr) {
      if (GetTickCount64() >= end) return 1;
      Sleep(50);
    }
    return 0;
  }
  if (command == L"rect" && argc == 3) {
    HWND window = FindWindowW(argv[2], nullptr);
    if (window == nullptr) return 1;
    RECT r;
    GetWindowRect(window, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  HWND main = FindWindowW(kMainClass, nullptr);
  if (command == L"page" && argc == 3) {
    if (main == nullptr) return 1;
    const int index = _wtoi(argv[2]);
    const LPARAM at = MAKELPARAM(90, kNavTop + index * kNavEntryHeight + kNavEntryHeight / 2);
    PostMessageW(main, WM_MOUSEMOVE, 0, at);
    PostMessageW(main, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(main, WM_LBUTTONUP, 0, at);
    return 0;
  }
  if (command == L"tools-tab" && argc == 3) {
    HWND tools = main != nullptr ? FindWindowExW(main, nullptr, L"KestroToolsPage", nullptr) : nullptr;
    if (tools == nullptr) return 1;
    const RECT tab = kestro::app::ToolsTabRect(_wtoi(argv[2]));
    const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    PostMessageW(tools, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tools, WM_LBUTTONUP, 0, at);
    return 0;
  }
  if (command == L"click-button" && argc == 3) {
    if (main == nullptr) return 1;
    ButtonSearch search{argv[2], nullptr};
    EnumChildWindows(main, FindButton, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return 1;
    PostMessageW(search.found, BM_CLICK, 0, 0);
    return 0;
  }
  if (command == L"close" && argc == 2) {
    if (main == nullptr) return 1;
    PostMessageW(main, WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == L"answer" && argc == 5) {
    HWND box = WaitFor(L"#32770", argv[2], _wtof(argv[4]), true);
    if (box == nullptr) return 1;
    const int id = _wcsicmp(argv[3], L"yes") == 0 ? IDYES : _wcsicmp(argv[3], L"no") == 0 ? IDNO : IDOK;
    HWND button = GetDlgItem(box, id);
    if (button == nullptr) return 1;
    SendMessageW(button, BM_CLICK, 0, 0);
    return 0;
  }
  return Usage();
}
