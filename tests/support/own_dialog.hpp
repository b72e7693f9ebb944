#pragma once
// Windows tests: the visible dialog (message box) of this process with a given
// title. Tests run side by side and several show boxes with the program's
// title; each answers only its own.
#ifdef _WIN32

#include <windows.h>

#include <cwchar>

namespace kestro::test {

inline HWND FindOwnDialog(const wchar_t* title) {
  struct Search {
    const wchar_t* title;
    HWND found = nullptr;
  } search{title};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId()) return TRUE;
        wchar_t className[16] = {};
        wchar_t text[256] = {};
        GetClassNameW(window, className, 16);
        // Read without a message: a box's own thread may be the one waiting for us.
        InternalGetWindowText(window, text, 256);
        if (wcscmp(className, L"#32770") != 0 || wcscmp(text, s.title) != 0) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace kestro::test

#endif
