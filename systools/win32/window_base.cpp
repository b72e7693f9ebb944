#include "systools/win32/window_base.hpp"

#include "systools/win32/ui_style.hpp"

namespace kestro::systools {
namespace {
// The object the window being made on this thread has taken over.
thread_local ToolWindow* attachedNow = nullptr;
}  // namespace

HWND ToolWindow::Create(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title, int x,
                        int y, int width, int height, HWND parent, HMENU menuOrId, bool ownedByWindow) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{sizeof(existing)};
  if (!GetClassInfoExW(instance, className, &existing)) {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = ui::SolidBrush(ui::kPageBackground);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
  }
  ownedByWindow_ = ownedByWindow;
  attachedNow = nullptr;
  HWND window = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                                instance, this);
  // A window that took the object over deleted it when its making failed; one
  // that never got that far did not.
  if (window == nullptr && ownedByWindow && attachedNow != this) delete this;
  return window;
}

LRESULT ToolWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT CALLBACK ToolWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ToolWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<ToolWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = window;
    attachedNow = self;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<ToolWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->OnMessage(message, wParam, lParam);
  } catch (...) {
    result = DefWindowProcW(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    if (self->ownedByWindow_) delete self;
  }
  return result;
}

}  // namespace kestro::systools
