// Page 3: the tools tab strip over the system tools' panels and the quarantine
// panel, with the launcher row below.
#include <windows.h>
#include <commctrl.h>

#include "app/navigation.hpp"
#include "app/scan_page/scan_page.hpp"
#include "app/win32/pages.hpp"
#include "app/win32/ui_theme.hpp"

#if __has_include("systools/win32/tools_panels.hpp")
#include "systools/win32/tools_panels.hpp"
#define KESTRO_HAVE_SYSTOOLS 1
#endif

namespace kestro::app {
namespace {

constexpr int kTabsId = 100;
constexpr int kLauncherHeight = 44;
constexpr const wchar_t* kTabCaptions[4] = {L"Process Manager", L"Services", L"Peformance Info", L"Quarantine List"};

#ifndef KESTRO_HAVE_SYSTOOLS
HWND EmptyPanel(HWND parent) {
  return CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}
#endif

}  // namespace

ToolsPage::ToolsPage(AppContext& ctx) : ctx_(ctx) {}

HWND ToolsPage::CreatePage(HWND parent) {
  Create(L"KestroToolsPage", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN, L"", 0, 0, 0, 0, parent);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  tabs_ = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0,
                          hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabsId)), instance, nullptr);
  SendMessageW(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(ui::GetFont(ui::Font::Body)), FALSE);
  for (int i = 0; i < 4; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(kTabCaptions[i]);
    SendMessageW(tabs_, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
#ifdef KESTRO_HAVE_SYSTOOLS
  systools::ToolsPanelHost host{ctx_.MainWindow, ctx_.ProgramTitle, ctx_.ProgramFolder,
                                [this](HWND owner) {
                                  if (ctx_.ShowVirtualKeyboard) ctx_.ShowVirtualKeyboard(owner);
                                }};
  panels_[0] = systools::CreateProcessManagerPanel(hwnd(), host);
  panels_[1] = systools::CreateServicesPanel(hwnd(), host);
  panels_[2] = systools::CreatePerformancePanel(hwnd(), host);
  launcher_ = systools::CreateLauncherRow(hwnd(), host);
#else
  for (int i = 0; i < 3; ++i) panels_[i] = EmptyPanel(hwnd());
  launcher_ = EmptyPanel(hwnd());
#endif
  panels_[3] = CreateQuarantinePanel(hwnd(), ctx_);
  ctx_.QuarantinePanel = panels_[3];
  if (launcher_ != nullptr) ShowWindow(launcher_, SW_SHOW);
  return hwnd();
}

int ToolsPage::SelectedTab() const {
  const auto index = SendMessageW(tabs_, TCM_GETCURSEL, 0, 0);
  return index < 0 ? 1 : static_cast<int>(index) + 1;
}

void ToolsPage::Layout() {
  RECT client;
  GetClientRect(hwnd(), &client);
  const int left = 16;
  const int right = client.right - 16;
  const int bottom = client.bottom - kLauncherHeight - 8;
  MoveWindow(tabs_, left, 12, right - left, bottom - 12, TRUE);
  if (launcher_ != nullptr) MoveWindow(launcher_, left, client.bottom - kLauncherHeight - 4, right - left, kLauncherHeight, TRUE);
  ApplyTabLayout();
}

void ToolsPage::ApplyTabLayout() {
  RECT display;
  GetWindowRect(tabs_, &display);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&display), 2);
  SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const int tab = SelectedTab();
  // The quarantine list sits a little further right than the other panels.
  const int shift = ToolsTabPanelLeft(tab) - ToolsTabPanelLeft(1);
  for (int i = 0; i < 4; ++i) {
    if (panels_[i] == nullptr) continue;
    if (i + 1 == tab) {
      SetWindowPos(panels_[i], HWND_TOP, display.left + shift, display.top, display.right - display.left - shift,
                   display.bottom - display.top, SWP_SHOWWINDOW);
      // A resize lets the panel re-apply its own column widths.
      SendMessageW(panels_[i], WM_SIZE, SIZE_RESTORED,
                   MAKELPARAM(display.right - display.left - shift, display.bottom - display.top));
    } else {
      ShowWindow(panels_[i], SW_HIDE);
    }
  }
  if (tab == kToolsTabQuarantine && panels_[3] != nullptr) RefreshQuarantineList(panels_[3]);
}

LRESULT ToolsPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd(), &client);
      ui::FillSolid(reinterpret_cast<HDC>(wParam), client, ui::kPageBackground);
      return 1;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
        ApplyTabLayout();
        return 0;
      }
      break;
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
