#include "app/scan_page/win32/row_icons.hpp"

#include <initializer_list>

namespace kestro::app::scan_page {
namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);

using Painter = void (*)(HDC dc, int size);

void Disc(HDC dc, int size, COLORREF fill, COLORREF edge) {
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, edge);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Ellipse(dc, 0, 0, size, size);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

HPEN WhitePen(int width) { return CreatePen(PS_SOLID, width, RGB(255, 255, 255)); }

void Cleaned(HDC dc, int size) {
  Disc(dc, size, RGB(46, 160, 67), RGB(24, 110, 40));
  HPEN pen = WhitePen(size / 8 + 1);
  HGDIOBJ old = SelectObject(dc, pen);
  const POINT tick[] = {{size * 4 / 16, size * 8 / 16}, {size * 7 / 16, size * 11 / 16}, {size * 12 / 16, size * 5 / 16}};
  Polyline(dc, tick, 3);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void Detected(HDC dc, int size) {
  Disc(dc, size, RGB(217, 0, 0), RGB(140, 0, 0));
  HPEN pen = WhitePen(size / 8 + 1);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, size / 2, size * 3 / 16, nullptr);
  LineTo(dc, size / 2, size * 10 / 16);
  MoveToEx(dc, size / 2, size * 12 / 16, nullptr);
  LineTo(dc, size / 2, size * 13 / 16);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void Quarantined(HDC dc, int size) {
  // A padlock: the shackle as an open rectangle, the body filled.
  HPEN shackle = CreatePen(PS_SOLID, size / 8 + 1, RGB(30, 80, 170));
  HGDIOBJ old = SelectObject(dc, shackle);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  RoundRect(dc, size * 4 / 16, size * 1 / 16, size * 12 / 16, size * 10 / 16, size / 3, size / 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, old);
  DeleteObject(shackle);
  HBRUSH body = CreateSolidBrush(RGB(40, 100, 200));
  HPEN edge = CreatePen(PS_SOLID, 1, RGB(20, 60, 140));
  oldBrush = SelectObject(dc, body);
  old = SelectObject(dc, edge);
  Rectangle(dc, size * 2 / 16, size * 7 / 16, size * 14 / 16, size);
  SelectObject(dc, oldBrush);
  SelectObject(dc, old);
  DeleteObject(body);
  DeleteObject(edge);
  HBRUSH hole = CreateSolidBrush(RGB(255, 255, 255));
  RECT keyhole{size * 7 / 16, size * 10 / 16, size * 9 / 16, size * 14 / 16};
  FillRect(dc, &keyhole, hole);
  DeleteObject(hole);
}

}  // namespace

HIMAGELIST MakeRowIcons(int size) {
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 3, 0);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  for (Painter paint : {&Cleaned, &Detected, &Quarantined}) {
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH key = CreateSolidBrush(kKey);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, key);
    DeleteObject(key);
    paint(dc, size);
    SelectObject(dc, old);
    ImageList_AddMasked(list, bitmap, kKey);
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return list;
}

}  // namespace kestro::app::scan_page
