// The look the system tools share with the rest of the program: palette,
// fonts, dialog-unit layout and a few drawing helpers.
#pragma once

#include <windows.h>

#include <string_view>

namespace kestro::systools::ui {

constexpr COLORREF Rgb(int r, int g, int b) {
  return static_cast<COLORREF>(static_cast<unsigned>(r) | (static_cast<unsigned>(g) << 8) |
                               (static_cast<unsigned>(b) << 16));
}

inline constexpr COLORREF kPageBackground = Rgb(255, 255, 255);
inline constexpr COLORREF kCardBackground = Rgb(247, 249, 252);
inline constexpr COLORREF kRule = Rgb(225, 229, 234);
inline constexpr COLORREF kText = Rgb(36, 59, 83);
inline constexpr COLORREF kTextMuted = Rgb(98, 125, 152);
inline constexpr COLORREF kAccent = Rgb(47, 128, 237);
inline constexpr COLORREF kMeterBackground = Rgb(0, 0, 0);
inline constexpr COLORREF kGridGreen = Rgb(0, 128, 64);

enum class Font { Body, BodyBold, Small, Heading, Meter };

// Fonts made once for the program's life ("Segoe UI" where the system has it,
// otherwise "Tahoma").
HFONT GetFont(Font font);
HBRUSH SolidBrush(COLORREF colour);

// Layout in dialog units of the body font: 4 horizontal units are one average
// character width, 8 vertical units one character height.
struct DialogUnits {
  int baseX = 6;
  int baseY = 13;
  static DialogUnits ForBodyFont();
  int X(int units) const { return MulDiv(units, baseX, 4); }
  int Y(int units) const { return MulDiv(units, baseY, 8); }
};

// Sets the body font (or another) on a control.
void UseFont(HWND control, Font font = Font::Body);

void FillSolid(HDC dc, const RECT& rect, COLORREF colour);
void FrameSolid(HDC dc, const RECT& rect, COLORREF colour);
void DrawTextIn(HDC dc, std::wstring_view text, RECT rect, Font font, COLORREF colour,
                UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);

// Paints the window's client area through `paint` on a memory bitmap and copies
// it to the screen in one go.
template <typename PaintFn>
void PaintBuffered(HWND window, PaintFn paint) {
  PAINTSTRUCT ps;
  HDC screen = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP surface = CreateCompatibleBitmap(screen, client.right > 0 ? client.right : 1,
                                           client.bottom > 0 ? client.bottom : 1);
  HGDIOBJ old = SelectObject(memory, surface);
  SetBkMode(memory, TRANSPARENT);
  paint(memory, client);
  BitBlt(screen, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(surface);
  DeleteDC(memory);
  EndPaint(window, &ps);
}

}  // namespace kestro::systools::ui
