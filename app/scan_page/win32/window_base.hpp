#pragma once
// The scan page's windows: one procedure per class that stores `this` on
// creation, hands each message to the object and lets no exception escape into
// the system; a page font; and placement in dialog units, so that the layout
// follows the font rather than pixel constants.

#include <windows.h>

#include <string>

namespace kestro::app::scan_page {

class WindowBase {
 public:
  virtual ~WindowBase() = default;
  HWND Handle() const { return hwnd_; }

  // The object of a window made by Create (nullptr for any other window).
  template <typename T>
  static T* FromHandle(HWND hwnd) {
    return dynamic_cast<T*>(ObjectOf(hwnd));
  }

 protected:
  // Creates the window of class `className` (registered on first use) as a child
  // of `parent`, painted with `background` (the button face when null). The
  // object owns itself: it is deleted after WM_NCDESTROY.
  HWND Create(const wchar_t* className, HWND parent, DWORD style, DWORD exStyle = 0, HBRUSH background = nullptr);
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  static WindowBase* ObjectOf(HWND hwnd);
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// The fonts of the page's controls, as the rest of the program uses them (made once).
HFONT PageFont();
HFONT PageBoldFont();
HFONT PageHeadingFont();
// The page background (white, as the program's other pages).
HBRUSH PageBrush();

// Dialog units of the page font to pixels.
struct DialogUnits {
  int baseX = 6;  // average character width in pixels
  int baseY = 13;  // character height in pixels
  int X(int units) const { return MulDiv(units, baseX, 4); }
  int Y(int units) const { return MulDiv(units, baseY, 8); }
};
DialogUnits PageDialogUnits();

// A child control with the page font.
HWND MakeControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int id,
                 DWORD exStyle = 0);
void Place(HWND control, int x, int y, int width, int height);
std::wstring WindowText(HWND window);

}  // namespace kestro::app::scan_page
