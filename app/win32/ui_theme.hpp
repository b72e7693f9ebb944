#pragma once
// The program's look: one palette, one set of fonts, the main window's layout
// and a few drawing helpers shared by every window of the program. The pictures
// of KESTROGui.dll are drawn with the same palette (outside/KESTROGui).

#include <windows.h>

#include <string_view>

namespace kestro::app::ui {

constexpr COLORREF Rgb(int r, int g, int b) {
  return static_cast<COLORREF>(static_cast<unsigned>(r) | (static_cast<unsigned>(g) << 8) |
                               (static_cast<unsigned>(b) << 16));
}

// Palette.
inline constexpr COLORREF kHeaderTop = Rgb(16, 42, 74);
inline constexpr COLORREF kHeaderBottom = Rgb(11, 31, 56);
inline constexpr COLORREF kNavBackground = Rgb(19, 40, 66);
inline constexpr COLORREF kNavHover = Rgb(27, 53, 85);
inline constexpr COLORREF kNavCurrent = Rgb(34, 66, 104);
inline constexpr COLORREF kNavText = Rgb(188, 204, 220);
inline constexpr COLORREF kNavTextCurrent = Rgb(255, 255, 255);
inline constexpr COLORREF kAccent = Rgb(47, 128, 237);
inline constexpr COLORREF kAccentDark = Rgb(28, 104, 205);
inline constexpr COLORREF kAccentLight = Rgb(86, 204, 242);
inline constexpr COLORREF kHeaderSubtitle = Rgb(159, 179, 200);
inline constexpr COLORREF kPageBackground = Rgb(255, 255, 255);
inline constexpr COLORREF kCardBackground = Rgb(247, 249, 252);
inline constexpr COLORREF kFooterBackground = Rgb(245, 247, 250);
inline constexpr COLORREF kRule = Rgb(225, 229, 234);
inline constexpr COLORREF kText = Rgb(36, 59, 83);
inline constexpr COLORREF kTextMuted = Rgb(98, 125, 152);
inline constexpr COLORREF kStepDone = Rgb(0, 120, 3);       // the splash's "[ OK ]" marks
inline constexpr COLORREF kProtected = Rgb(0, 128, 0);      // "You are protected."
inline constexpr COLORREF kNotProtected = Rgb(255, 0, 0);   // "You are not protected."
inline constexpr COLORREF kFooterNotice = Rgb(200, 30, 30);
inline constexpr COLORREF kTrack = Rgb(228, 231, 235);

// Main window layout, in pixels (the window is 12,270 by 9,170 twips).
inline constexpr int kMainWidth = 818;
inline constexpr int kMainHeight = 611;
inline constexpr int kHeaderHeight = 56;
inline constexpr int kNavWidth = 180;
inline constexpr int kFooterHeight = 26;
inline constexpr int kNavTop = kHeaderHeight + 16;
inline constexpr int kNavEntryHeight = 44;
inline constexpr int kNavIconSize = 24;
inline constexpr int kHeaderButtonSize = 32;
inline constexpr RECT kPageRect = {kNavWidth, kHeaderHeight, kMainWidth, kMainHeight - kFooterHeight};
inline constexpr int kPagePadding = 24;

// The splash window.
inline constexpr int kSplashWidth = 480;
inline constexpr int kSplashHeight = 320;
inline constexpr int kSplashBandHeight = 124;

enum class Font { Title, Heading, Subheading, Body, BodyBold, Small, SmallBold, Banner, Nav };

// Fonts made once for the program's life ("Segoe UI" where the system has it,
// otherwise "Tahoma").
HFONT GetFont(Font font);

// A solid brush per colour, kept for the program's life.
HBRUSH SolidBrush(COLORREF colour);

void FillSolid(HDC dc, const RECT& rect, COLORREF colour);
void FillVertical(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom);
void FrameRect1(HDC dc, const RECT& rect, COLORREF colour);
void DrawTextIn(HDC dc, std::wstring_view text, RECT rect, Font font, COLORREF colour,
                UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
// Height of one line of the font.
int LineHeight(HDC dc, Font font);

// Paints a part of a bitmap (1:1) at (x, y); nothing when the bitmap is missing.
void DrawBitmapPart(HDC dc, HBITMAP bitmap, int x, int y, int sourceX, int sourceY, int width, int height);

// Double-buffered painting: the window's client area is drawn into `paint` on a
// memory bitmap and copied to the screen in one go.
template <typename PaintFn>
void PaintBuffered(HWND window, PaintFn paint) {
  PAINTSTRUCT ps;
  HDC screen = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP surface = CreateCompatibleBitmap(screen, client.right > 0 ? client.right : 1, client.bottom > 0 ? client.bottom : 1);
  HGDIOBJ old = SelectObject(memory, surface);
  SetBkMode(memory, TRANSPARENT);
  paint(memory, client);
  BitBlt(screen, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(surface);
  DeleteDC(memory);
  EndPaint(window, &ps);
}

}  // namespace kestro::app::ui
