// A window of the system tools: one procedure that stores `this` when the
// window is made and hands each message to OnMessage. No exception leaves a
// message handler into the system. A window made with `ownedByWindow` deletes
// its object when the window is destroyed.
#pragma once

#include <windows.h>

namespace kestro::systools {

class ToolWindow {
 public:
  ToolWindow() = default;
  virtual ~ToolWindow() = default;
  ToolWindow(const ToolWindow&) = delete;
  ToolWindow& operator=(const ToolWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  // Registers the class the first time (arrow cursor, the page's white
  // background) and makes the window. When making fails, an object owned by
  // its window is gone: do not touch it after a null result.
  HWND Create(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title, int x, int y,
              int width, int height, HWND parent, HMENU menuOrId, bool ownedByWindow);

  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  bool ownedByWindow_ = false;
};

}  // namespace kestro::systools
