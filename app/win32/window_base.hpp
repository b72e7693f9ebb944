#pragma once
// A window of the program: one procedure that stores `this` when the window is
// made and hands each message to the object's OnMessage. No exception leaves a
// message handler into the system.

#include <windows.h>

namespace kestro::app {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  // Registers the class the first time (arrow cursor, no background brush: the
  // windows paint everything themselves) and makes the window.
  HWND Create(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title, int x, int y, int width,
              int height, HWND parent, HMENU menuOrId = nullptr, UINT classStyle = 0);

  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd_, message, wParam, lParam); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// Processes the pending window messages of this thread.
void PumpMessages();
// Returns once `milliseconds` have passed, processing window messages meanwhile.
void WaitProcessingMessages(DWORD milliseconds);

int XOf(LPARAM lParam);
int YOf(LPARAM lParam);

}  // namespace kestro::app
