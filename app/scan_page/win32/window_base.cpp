#include "app/scan_page/win32/window_base.hpp"

#include <exception>

#include "app/win32/ui_theme.hpp"

namespace kestro::app::scan_page {

namespace {

constexpr wchar_t kObjectProperty[] = L"KestroScanPageObject";

}  // namespace

HWND WindowBase::Create(const wchar_t* className, HWND parent, DWORD style, DWORD exStyle, HBRUSH background) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, className, &existing)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowBase::Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background != nullptr ? background : GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
  }
  return CreateWindowExW(exStyle, className, L"", style, 0, 0, 0, 0, parent, nullptr, instance, this);
}

LRESULT WindowBase::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

WindowBase* WindowBase::ObjectOf(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  return static_cast<WindowBase*>(GetPropW(hwnd, kObjectProperty));
}

LRESULT CALLBACK WindowBase::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowBase* self = ObjectOf(hwnd);
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    self = static_cast<WindowBase*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetPropW(hwnd, kObjectProperty, self);
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->OnMessage(message, wParam, lParam);
  } catch (const std::exception&) {
    // Nothing may unwind through the system's code; the message counts as handled.
    result = 0;
  }
  if (message == WM_NCDESTROY) {
    RemovePropW(hwnd, kObjectProperty);
    self->hwnd_ = nullptr;
    delete self;
  }
  return result;
}

namespace {

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// The program's face: "Segoe UI" where the system has it, otherwise "Tahoma".
HFONT MakeFont(int points, int weight) {
  static const wchar_t* face = [] {
    bool found = false;
    HDC dc = GetDC(nullptr);
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(query.lfFaceName, L"Segoe UI");
    EnumFontFamiliesExW(dc, &query, FontFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found ? L"Segoe UI" : L"Tahoma";
  }();
  HDC dc = GetDC(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(nullptr, dc);
  return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

}  // namespace

HFONT PageFont() {
  static HFONT font = MakeFont(9, FW_NORMAL);
  return font;
}

HFONT PageBoldFont() {
  static HFONT font = MakeFont(9, FW_BOLD);
  return font;
}

HFONT PageHeadingFont() {
  static HFONT font = MakeFont(12, FW_BOLD);
  return font;
}

HBRUSH PageBrush() {
  static HBRUSH brush = CreateSolidBrush(ui::kPageBackground);
  return brush;
}

DialogUnits PageDialogUnits() {
  static DialogUnits units = [] {
    DialogUnits u;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, PageFont());
    TEXTMETRICW metrics{};
    SIZE size{};
    static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (GetTextMetricsW(dc, &metrics) && GetTextExtentPoint32W(dc, kLetters, 52, &size)) {
      u.baseX = (size.cx / 26 + 1) / 2;
      u.baseY = metrics.tmHeight;
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return u;
  }();
  return units;
}

HWND MakeControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int id,
                 DWORD exStyle) {
  HWND control = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                 nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(PageFont()), FALSE);
  return control;
}

void Place(HWND control, int x, int y, int width, int height) {
  SetWindowPos(control, nullptr, x, y, width < 0 ? 0 : width, height < 0 ? 0 : height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace kestro::app::scan_page
