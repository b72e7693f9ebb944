#include "app/win32/ui_theme.hpp"

#include <map>

namespace kestro::app::ui {
namespace {

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

const wchar_t* FaceName() {
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
  return face;
}

HFONT Make(int points, int weight) {
  HDC dc = GetDC(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(nullptr, dc);
  return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, FaceName());
}

}  // namespace

HFONT GetFont(Font font) {
  static const std::map<Font, HFONT> fonts = {
      {Font::Title, Make(15, FW_BOLD)},      {Font::Heading, Make(13, FW_BOLD)},
      {Font::Subheading, Make(10, FW_BOLD)}, {Font::Body, Make(9, FW_NORMAL)},
      {Font::BodyBold, Make(9, FW_BOLD)},    {Font::Small, Make(8, FW_NORMAL)},
      {Font::SmallBold, Make(8, FW_BOLD)},   {Font::Banner, Make(16, FW_BOLD)},
      {Font::Nav, Make(10, FW_NORMAL)},
  };
  return fonts.at(font);
}

HBRUSH SolidBrush(COLORREF colour) {
  static std::map<COLORREF, HBRUSH> brushes;
  auto& brush = brushes[colour];
  if (brush == nullptr) brush = CreateSolidBrush(colour);
  return brush;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) { FillRect(dc, &rect, SolidBrush(colour)); }

void FillVertical(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
  const auto channel = [](COLORREF c, int shift) { return static_cast<COLOR16>(((c >> shift) & 0xFF) << 8); };
  TRIVERTEX vertices[2] = {
      {rect.left, rect.top, channel(top, 0), channel(top, 8), channel(top, 16), 0},
      {rect.right, rect.bottom, channel(bottom, 0), channel(bottom, 8), channel(bottom, 16), 0},
  };
  GRADIENT_RECT span{0, 1};
  GradientFill(dc, vertices, 2, &span, 1, GRADIENT_FILL_RECT_V);
}

void FrameRect1(HDC dc, const RECT& rect, COLORREF colour) { FrameRect(dc, &rect, SolidBrush(colour)); }

void DrawTextIn(HDC dc, std::wstring_view text, RECT rect, Font font, COLORREF colour, UINT format) {
  HGDIOBJ old = SelectObject(dc, GetFont(font));
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect, format);
  SelectObject(dc, old);
}

int LineHeight(HDC dc, Font font) {
  HGDIOBJ old = SelectObject(dc, GetFont(font));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  return static_cast<int>(metrics.tmHeight);
}

void DrawBitmapPart(HDC dc, HBITMAP bitmap, int x, int y, int sourceX, int sourceY, int width, int height) {
  if (bitmap == nullptr) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, bitmap);
  BitBlt(dc, x, y, width, height, source, sourceX, sourceY, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

}  // namespace kestro::app::ui
