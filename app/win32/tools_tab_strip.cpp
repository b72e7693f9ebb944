#include "app/win32/tools_tab_strip.hpp"

#include <cwchar>

#include "app/win32/ui_theme.hpp"

namespace kestro::app {
namespace {

constexpr int kTabGap = 4;
constexpr int kTabPadding = 24;

int TextWidth(const wchar_t* text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, ui::GetFont(ui::Font::BodyBold));
  SIZE size{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return static_cast<int>(size.cx);
}

}  // namespace

RECT ToolsTabRect(int tab) {
  int left = ui::kPagePadding - 12;
  for (int i = 1; i < tab; ++i) left += TextWidth(kToolsTabCaptions[i - 1]) + kTabPadding + kTabGap;
  return {left, kToolsStripTop, left + TextWidth(kToolsTabCaptions[tab - 1]) + kTabPadding,
          kToolsStripTop + kToolsStripHeight};
}

}  // namespace kestro::app
