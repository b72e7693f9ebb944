#include "systools/win32/ui_style.hpp"

#include <map>

namespace kestro::systools::ui {
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
      {Font::Body, Make(9, FW_NORMAL)},  {Font::BodyBold, Make(9, FW_BOLD)},
      {Font::Small, Make(8, FW_NORMAL)}, {Font::Heading, Make(10, FW_BOLD)},
      {Font::Meter, Make(10, FW_BOLD)},
  };
  return fonts.at(font);
}

HBRUSH SolidBrush(COLORREF colour) {
  static std::map<COLORREF, HBRUSH> brushes;
  auto& brush = brushes[colour];
  if (brush == nullptr) brush = CreateSolidBrush(colour);
  return brush;
}

DialogUnits DialogUnits::ForBodyFont() {
  static const DialogUnits units = [] {
    DialogUnits result;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetFont(Font::Body));
    TEXTMETRICW metrics{};
    SIZE alphabet{};
    static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (GetTextMetricsW(dc, &metrics) && GetTextExtentPoint32W(dc, kLetters, 52, &alphabet)) {
      result.baseX = (alphabet.cx / 26 + 1) / 2;
      result.baseY = metrics.tmHeight;
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return result;
  }();
  return units;
}

void UseFont(HWND control, Font font) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(font)), TRUE);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  FillRect(dc, &rect, SolidBrush(colour));
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF colour) {
  FrameRect(dc, &rect, SolidBrush(colour));
}

void DrawTextIn(HDC dc, std::wstring_view text, RECT rect, Font font, COLORREF colour, UINT format) {
  HGDIOBJ old = SelectObject(dc, GetFont(font));
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect, format);
  SelectObject(dc, old);
}

}  // namespace kestro::systools::ui
