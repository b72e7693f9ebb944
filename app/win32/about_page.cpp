// Page 5: product information and the definition list.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include "app/definition_list.hpp"
#include "app/update_page/update_page.hpp"
#include "app/win32/pages.hpp"
#include "app/win32/pictures.hpp"
#include "app/win32/ui_theme.hpp"

namespace kestro::app {
namespace {

constexpr int kListId = 100;
constexpr int kListTop = 300;
constexpr int kInfoTop = 164;
constexpr int kInfoRow = 24;
constexpr RECT kSiteLink = {168, 100, 520, 120};

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring Thousands(std::size_t value) {
  std::wstring digits = std::to_wstring(value);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), L",");
  return digits;
}

}  // namespace

AboutPage::AboutPage(AppContext& ctx) : ctx_(ctx) {}

HWND AboutPage::CreatePage(HWND parent) {
  Create(L"KestroAboutPage", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN, L"", 0, 0, 0, 0, parent);
  // The definition list draws its rows from the loaded lists (no copies).
  list_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                              LVS_NOSORTHEADER | LVS_SHOWSELALWAYS,
                          0, 0, 0, 0, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                          GetModuleHandleW(nullptr), nullptr);
  SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(ui::GetFont(ui::Font::Body)), FALSE);
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  SetWindowTheme(list_, L"Explorer", nullptr);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<wchar_t*>(L"No.");
  column.cx = 70;
  SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  column.pszText = const_cast<wchar_t*>(L"Detection name");
  column.cx = 480;
  SendMessageW(list_, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  bool missing = false;
  logo_ = LoadPictureDLL(ctx_.ProgramFolder, KESTRO_PICTURE_PRODUCT_LOGO, missing);
  return hwnd();
}

void AboutPage::FillDefinitions() {
  names_ = DefinitionNames(ctx_.Signatures);
  SendMessageW(list_, LVM_SETITEMCOUNT, names_.size(), 0);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void AboutPage::Refresh() { InvalidateRect(hwnd(), nullptr, FALSE); }

void AboutPage::Layout() {
  RECT client;
  GetClientRect(hwnd(), &client);
  // One pixel inside the frame the page draws around it.
  MoveWindow(list_, ui::kPagePadding + 1, kListTop + 1, client.right - 2 * ui::kPagePadding - 2,
             client.bottom - kListTop - 18, TRUE);
  RECT list;
  GetClientRect(list_, &list);
  SendMessageW(list_, LVM_SETCOLUMNWIDTH, 1, list.right - 70);
}

void AboutPage::Paint(HDC dc, const RECT& client) {
  ui::FillSolid(dc, client, ui::kPageBackground);
  if (logo_ != nullptr) ui::DrawBitmapPart(dc, logo_, 24, 20, 0, 0, 128, 128);
  ui::DrawTextIn(dc, ctx_.ProgramTitle, {168, 30, client.right - 24, 62}, ui::Font::Title, ui::kText);
  ui::DrawTextIn(dc, L"Version " + ctx_.EngineVersion + L" " + ctx_.EditionTag + L"   \u00B7   Build " + ctx_.EngineBuild,
                 {168, 62, client.right - 24, 82}, ui::Font::Body, ui::kTextMuted);
  ui::DrawTextIn(dc, L"\u00A9 2013 KESTRO. All rights reserved.", {168, 80, client.right - 24, 100}, ui::Font::Small,
                 ui::kTextMuted);
  ui::DrawTextIn(dc, ctx_.SiteAddress, kSiteLink, ui::Font::Body, ui::kAccent);

  const std::pair<std::wstring, std::wstring> rows[] = {
      {L"Engine library (KESTROEngine.dll)", ctx_.EngineFileVersion},
      {L"Connectivity library (KESTROInet.dll)", ctx_.InetFileVersion},
      {L"Picture library (KESTROGui.dll)", ctx_.GuiFileVersion},
      {L"Signature database", Widen(ctx_.DatabaseValues.DatabaseVersion)},
  };
  int top = kInfoTop;
  for (const auto& [label, value] : rows) {
    ui::DrawTextIn(dc, label, {24, top, 300, top + kInfoRow}, ui::Font::Body, ui::kTextMuted);
    ui::DrawTextIn(dc, value.empty() ? L"Not available" : value, {300, top, client.right - 24, top + kInfoRow},
                   ui::Font::Body, ui::kText);
    ui::FillSolid(dc, {24, top + kInfoRow - 1, client.right - 24, top + kInfoRow}, ui::kRule);
    top += kInfoRow;
  }
  ui::FrameRect1(dc, {ui::kPagePadding, kListTop, client.right - ui::kPagePadding, client.bottom - 16}, ui::kRule);
  ui::DrawTextIn(dc, L"Virus definitions (" + Thousands(names_.size()) + L")",
                 {24, kListTop - 28, client.right - 24, kListTop - 6}, ui::Font::Subheading, ui::kText);
}

LRESULT AboutPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      ui::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) { Paint(dc, client); });
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == list_ && header->code == LVN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        const auto row = static_cast<std::size_t>(info->item.iItem);
        if ((info->item.mask & LVIF_TEXT) != 0 && row < names_.size()) {
          cell_ = info->item.iSubItem == 0 ? std::to_wstring(row + 1) : Widen(*names_[row]);
          info->item.pszText = cell_.data();
        }
        return 0;
      }
      break;
    }
    case WM_SETCURSOR: {
      POINT point;
      GetCursorPos(&point);
      ScreenToClient(hwnd(), &point);
      if (LOWORD(lParam) == HTCLIENT && PtInRect(&kSiteLink, point)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONUP: {
      const POINT point{XOf(lParam), YOf(lParam)};
      if (PtInRect(&kSiteLink, point) && !ctx_.SiteAddress.empty()) {
        update_page::OpenWebLink(ctx_.MainWindow, ctx_.ProgramTitle, ctx_.SiteAddress);
      }
      return 0;
    }
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

}  // namespace kestro::app
