// Page 3: the tools tab strip ("Process Manager", "Services", "Peformance Info",
// "Quarantine List") over the system tools' panels and the quarantine panel,
// with the launcher row below. The strip is drawn here: flat tabs, the selected
// one underlined in the accent colour.
#include <windows.h>

#include "app/navigation.hpp"
#include "app/scan_page/scan_page.hpp"
#include "app/win32/pages.hpp"
#include "app/win32/tools_tab_strip.hpp"
#include "app/win32/ui_theme.hpp"

#include "systools/win32/tools_panels.hpp"

namespace kestro::app {
namespace {

constexpr int kLauncherHeight = 60;

}  // namespace

ToolsPage::ToolsPage(AppContext& ctx) : ctx_(ctx) {}

HWND ToolsPage::CreatePage(HWND parent) {
  Create(L"KestroToolsPage", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN, L"", 0, 0, 0, 0, parent);
  systools::ToolsPanelHost host{ctx_.MainWindow, ctx_.ProgramTitle, ctx_.ProgramFolder,
                                [this](HWND owner) {
                                  if (ctx_.ShowVirtualKeyboard) ctx_.ShowVirtualKeyboard(owner);
                                }};
  panels_[0] = systools::CreateProcessManagerPanel(hwnd(), host);
  panels_[1] = systools::CreateServicesPanel(hwnd(), host);
  panels_[2] = systools::CreatePerformancePanel(hwnd(), host);
  launcher_ = systools::CreateLauncherRow(hwnd(), host);
  panels_[3] = CreateQuarantinePanel(hwnd(), ctx_);
  ctx_.QuarantinePanel = panels_[3];
  if (launcher_ != nullptr) ShowWindow(launcher_, SW_SHOW);
  return hwnd();
}

RECT ToolsPage::TabRect(int tab) const { return ToolsTabRect(tab); }

int ToolsPage::TabAt(POINT point) const {
  for (int tab = 1; tab <= kToolsTabCount; ++tab) {
    const RECT r = TabRect(tab);
    if (PtInRect(&r, point)) return tab;
  }
  return 0;
}

void ToolsPage::SelectTab(int tab) {
  selectedTab_ = tab;
  ApplyTabLayout();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void ToolsPage::ApplyTabLayout() {
  RECT client;
  GetClientRect(hwnd(), &client);
  const int top = kToolsStripTop + kToolsStripHeight + 8;
  const int left = ui::kPagePadding - 8;
  const int right = client.right - ui::kPagePadding + 8;
  const int bottom = client.bottom - kLauncherHeight - 8;
  if (launcher_ != nullptr) MoveWindow(launcher_, left, bottom + 4, right - left, kLauncherHeight, TRUE);
  // The quarantine list sits a little further right than the other panels.
  const int shift = ToolsTabPanelLeft(selectedTab_) - ToolsTabPanelLeft(1);
  for (int i = 0; i < kToolsTabCount; ++i) {
    if (panels_[i] == nullptr) continue;
    if (i + 1 == selectedTab_) {
      const int width = right - left - shift;
      const int height = bottom - top;
      SetWindowPos(panels_[i], HWND_TOP, left + shift, top, width, height, SWP_SHOWWINDOW);
      // A resize lets the panel re-apply its own column widths.
      SendMessageW(panels_[i], WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    } else {
      ShowWindow(panels_[i], SW_HIDE);
    }
  }
  if (selectedTab_ == kToolsTabQuarantine && panels_[3] != nullptr) RefreshQuarantineList(panels_[3]);
}

void ToolsPage::Paint(HDC dc, const RECT& client) {
  ui::FillSolid(dc, client, ui::kPageBackground);
  ui::FillSolid(dc, {ui::kPagePadding - 8, kToolsStripTop + kToolsStripHeight - 1, client.right - ui::kPagePadding + 8,
                     kToolsStripTop + kToolsStripHeight},
                ui::kRule);
  for (int tab = 1; tab <= kToolsTabCount; ++tab) {
    const RECT r = TabRect(tab);
    const bool selected = tab == selectedTab_;
    if (tab == hoverTab_ && !selected) ui::FillSolid(dc, {r.left, r.top, r.right, r.bottom - 1}, ui::kCardBackground);
    ui::DrawTextIn(dc, kToolsTabCaptions[tab - 1], r, ui::Font::BodyBold, selected ? ui::kAccent : ui::kTextMuted,
                   DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (selected) ui::FillSolid(dc, {r.left + 6, r.bottom - 3, r.right - 6, r.bottom}, ui::kAccent);
  }
}

LRESULT ToolsPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      ApplyTabLayout();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      ui::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) { Paint(dc, client); });
      return 0;
    case WM_MOUSEMOVE: {
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      const int tab = TabAt({XOf(lParam), YOf(lParam)});
      if (tab != hoverTab_) {
        hoverTab_ = tab;
        InvalidateRect(hwnd(), nullptr, FALSE);
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      tracking_ = false;
      hoverTab_ = 0;
      InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_SETCURSOR: {
      POINT point;
      GetCursorPos(&point);
      ScreenToClient(hwnd(), &point);
      if (LOWORD(lParam) == HTCLIENT && TabAt(point) != 0) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONDOWN: {
      const int tab = TabAt({XOf(lParam), YOf(lParam)});
      if (tab != 0) SelectTab(tab);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return PageControlColour(reinterpret_cast<HDC>(wParam));
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

}  // namespace kestro::app
