// Page 0: the protection banner, the status frame and the shortcuts.
#include <windows.h>
#include <windowsx.h>

#include "app/status_frame.hpp"
#include "app/win32/pages.hpp"
#include "app/win32/pictures.hpp"
#include "app/win32/ui_theme.hpp"

namespace kestro::app {
namespace {

constexpr int kToggleId = 100;
constexpr int kScanCardId = 101;
constexpr int kUpdateCardId = 102;
constexpr UINT_PTR kAnimationTimer = 1;
constexpr UINT kAnimationInterval = 12;

constexpr int kFrameLeft = ui::kPagePadding;
constexpr int kFrameTop = 20;
constexpr int kBannerHeight = 133;  // the collapsed frame
constexpr int kDetailRowHeight = 26;
constexpr int kCardHeight = 72;

// The options summarised under "Protection settings".
const std::pair<Option, const wchar_t*> kSummaryOptions[4] = {
    {Option::Process, L"Check running programs"},
    {Option::FixReg, L"Repair the registry"},
    {Option::Archive, L"Scan RAR archives"},
    {Option::CleanAll, L"Delete threats at once"},
};

constexpr const wchar_t* kProtectedText = L"You are protected.";
constexpr const wchar_t* kNotProtectedText = L"You are not protected.";

// Texts of the system lines arrive as ": value"; the label says what they are.
std::wstring WithoutLeadingColon(const std::wstring& text) {
  if (text.rfind(L": ", 0) == 0) return text.substr(2);
  return text;
}

std::wstring Thousands(std::size_t value) {
  std::wstring digits = std::to_wstring(value);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), L",");
  return digits;
}

}  // namespace

StatusPage::StatusPage(AppContext& ctx, std::function<void(Page)> navigate)
    : ctx_(ctx), navigate_(std::move(navigate)) {}

HWND StatusPage::CreatePage(HWND parent) {
  Create(L"KestroStatusPage", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN, L"", 0, 0, 0, 0, parent);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto button = [&](int id, const wchar_t* text) {
    HWND control = CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0,
                                   hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ui::GetFont(ui::Font::Body)), FALSE);
    return control;
  };
  toggle_ = button(kToggleId, L"More");
  scanCard_ = button(kScanCardId, L"Scan your computer");
  updateCard_ = button(kUpdateCardId, L"Update virus definitions");
  return hwnd();
}

RECT StatusPage::FrameRect() const {
  RECT client;
  GetClientRect(hwnd(), &client);
  return {kFrameLeft, kFrameTop, client.right - ui::kPagePadding, kFrameTop + TwipsToPixels(frame_.HeightTwips())};
}

void StatusPage::Layout() {
  const RECT frame = FrameRect();
  MoveWindow(toggle_, frame.right - 96, frame.top + 18, 80, 28, TRUE);
  const int cardsTop = frame.bottom + 48;
  const int cardWidth = (frame.right - frame.left - 16) / 2;
  MoveWindow(scanCard_, frame.left, cardsTop, cardWidth, kCardHeight, TRUE);
  MoveWindow(updateCard_, frame.left + cardWidth + 16, cardsTop, cardWidth, kCardHeight, TRUE);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void StatusPage::RefreshProtection() {
  const bool outOfDate = ctx_.DatabaseValues.DatabaseOutOfDate;
  if (bannerShown_ && outOfDate == shownOutOfDate_) return;
  bannerShown_ = true;
  shownOutOfDate_ = outOfDate;
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void StatusPage::SetDatabaseText(std::wstring text) {
  databaseText_ = std::move(text);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void StatusPage::Paint(HDC dc, const RECT& client) {
  ui::FillSolid(dc, client, ui::kPageBackground);
  const RECT frame = FrameRect();
  ui::FillSolid(dc, frame, ui::kCardBackground);
  ui::FrameRect1(dc, frame, ui::kRule);

  // Banner: picture, verdict and its explanation.
  const Pictures& pictures = ProgramPictures();
  const bool outOfDate = shownOutOfDate_;
  HBITMAP picture = outOfDate ? pictures.notProtected : pictures.protectedPicture;
  if (picture != nullptr) {
    // The pictures are drawn on white; a white tile keeps them clean on the card.
    ui::FillSolid(dc, {frame.left + 1, frame.top + 1, frame.left + 130, frame.top + kBannerHeight - 1}, ui::kPageBackground);
    ui::DrawBitmapPart(dc, picture, frame.left + 18, frame.top + 18, 0, 0, 96, 96);
  }
  const int textLeft = frame.left + 146;
  ui::DrawTextIn(dc, outOfDate ? kNotProtectedText : kProtectedText, {textLeft, frame.top + 20, frame.right - 110, frame.top + 52},
                 ui::Font::Banner, outOfDate ? ui::kNotProtected : ui::kProtected);
  ui::DrawTextIn(dc,
                 outOfDate ? L"Your virus definitions are out of date. Update them to stay protected."
                           : L"Your virus definitions are up to date.",
                 {textLeft, frame.top + 54, frame.right - 16, frame.top + 76}, ui::Font::Body, ui::kText,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  std::wstring database = L"Database version : " + (databaseText_.empty() ? std::wstring(L"-") : databaseText_);
  if (ctx_.DatabaseValues.DatabaseDate) {
    const auto& d = *ctx_.DatabaseValues.DatabaseDate;
    wchar_t date[32];
    swprintf(date, 32, L"%04d-%02u-%02u", static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
             static_cast<unsigned>(d.day()));
    database += L"     Released : ";
    database += date;
  }
  ui::DrawTextIn(dc, database, {textLeft, frame.top + 80, frame.right - 16, frame.top + 100}, ui::Font::Small,
                 ui::kTextMuted);
  ui::DrawTextIn(dc, L"Virus definitions : " + Thousands(ctx_.Signatures.fileChecksums.Count() +
                                                        ctx_.Signatures.sectionHeads.Count() + ctx_.Signatures.icons.Count()),
                 {textLeft, frame.top + 100, frame.right - 16, frame.top + 120}, ui::Font::Small, ui::kTextMuted);

  // Details, revealed as the frame grows.
  if (frame.bottom - frame.top > kBannerHeight) {
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, frame.left + 1, frame.top + kBannerHeight, frame.right - 1, frame.bottom - 1);
    ui::FillSolid(dc, {frame.left + 16, frame.top + kBannerHeight, frame.right - 16, frame.top + kBannerHeight + 1}, ui::kRule);
    const std::pair<const wchar_t*, std::wstring> rows[] = {
        {L"Engine version", ctx_.EngineVersion + L" " + ctx_.EditionTag},
        {L"Engine build", ctx_.EngineBuild},
        {L"Engine library", ctx_.EngineFileVersion},
        {L"Operating system", WithoutLeadingColon(ctx_.OsCaption)},
        {L"System version", WithoutLeadingColon(ctx_.OsVersionLine)},
        {L"Processor", WithoutLeadingColon(ctx_.ProcessorLine)},
        {L"Quarantine folder", ctx_.QuarantineFolder.wstring()},
        {L"Program folder", ctx_.ProgramFolder.wstring()},
    };
    int top = frame.top + kBannerHeight + 10;
    for (const auto& [label, value] : rows) {
      ui::DrawTextIn(dc, label, {frame.left + 24, top, frame.left + 170, top + kDetailRowHeight}, ui::Font::Body,
                     ui::kTextMuted);
      ui::DrawTextIn(dc, value.empty() ? L"Not available" : value, {frame.left + 170, top, frame.right - 24, top + kDetailRowHeight},
                     ui::Font::Body, ui::kText, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
      top += kDetailRowHeight;
    }
    RestoreDC(dc, saved);
  }

  ui::DrawTextIn(dc, L"Quick actions", {frame.left, frame.bottom + 16, frame.right, frame.bottom + 40},
                 ui::Font::Subheading, ui::kText);

  // The options that decide what a scan does, at a glance (a click opens the options page).
  const int settingsTop = frame.bottom + 48 + kCardHeight + 20;
  ui::DrawTextIn(dc, L"Protection settings", {frame.left, settingsTop, frame.right, settingsTop + 24},
                 ui::Font::Subheading, ui::kText);
  for (int i = 0; i < 4; ++i) {
    const RECT tile = SettingRect(i);
    const auto& [option, label] = kSummaryOptions[i];
    const bool on = ctx_.OptionOn(option);
    ui::FillSolid(dc, tile, ui::kCardBackground);
    ui::FrameRect1(dc, tile, ui::kRule);
    const int cy = (tile.top + tile.bottom) / 2;
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, ui::SolidBrush(on ? ui::kProtected : ui::Rgb(188, 204, 220)));
    Ellipse(dc, tile.left + 14, cy - 5, tile.left + 25, cy + 6);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    ui::DrawTextIn(dc, label, {tile.left + 34, tile.top, tile.right - 60, tile.bottom}, ui::Font::Body, ui::kText);
    ui::DrawTextIn(dc, on ? L"On" : L"Off", {tile.right - 60, tile.top, tile.right - 14, tile.bottom}, ui::Font::BodyBold,
                   on ? ui::kProtected : ui::kTextMuted, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  }
}

RECT StatusPage::SettingRect(int index) const {
  const RECT frame = FrameRect();
  const int top = frame.bottom + 48 + kCardHeight + 20 + 30 + (index / 2) * 46;
  const int width = (frame.right - frame.left - 16) / 2;
  const int left = frame.left + (index % 2) * (width + 16);
  return {left, top, left + width, top + 38};
}

void StatusPage::DrawButton(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  if (item.CtlID == kToggleId) {
    ui::FillSolid(dc, r, ui::kCardBackground);
    HGDIOBJ oldPen = SelectObject(dc, CreatePen(PS_SOLID, 1, ui::kAccent));
    HGDIOBJ oldBrush = SelectObject(dc, ui::SolidBrush(pressed ? ui::Rgb(225, 236, 252) : ui::kPageBackground));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 8, 8);
    DeleteObject(SelectObject(dc, oldPen));
    SelectObject(dc, oldBrush);
    const std::wstring caption(frame_.Caption());
    ui::DrawTextIn(dc, caption + (frame_.Caption() == L"More" ? L"  \u25BE" : L"  \u25B4"), r, ui::Font::BodyBold,
                   ui::kAccent, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    return;
  }
  const bool scan = item.CtlID == kScanCardId;
  ui::FillSolid(dc, r, pressed ? ui::Rgb(235, 242, 252) : ui::kCardBackground);
  ui::FrameRect1(dc, r, (item.itemState & ODS_FOCUS) != 0 ? ui::kAccent : ui::kRule);
  // An app-tile with the page's navigation icon.
  const int tile = 40;
  const int tileTop = r.top + (r.bottom - r.top - tile) / 2;
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, ui::SolidBrush(ui::kNavCurrent));
  RoundRect(dc, r.left + 16, tileTop, r.left + 16 + tile + 1, tileTop + tile + 1, 10, 10);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  const int icon = scan ? static_cast<int>(Page::Scan) : static_cast<int>(Page::Update);
  ui::DrawBitmapPart(dc, ProgramPictures().navigation, r.left + 24, tileTop + 8, icon * ui::kNavIconSize,
                     2 * ui::kNavIconSize, ui::kNavIconSize, ui::kNavIconSize);
  const int textLeft = r.left + 16 + tile + 14;
  ui::DrawTextIn(dc, scan ? L"Scan your computer" : L"Update virus definitions",
                 {textLeft, r.top + 16, r.right - 12, r.top + 36}, ui::Font::BodyBold, ui::kText);
  ui::DrawTextIn(dc, scan ? L"Check a folder or a whole drive." : L"Get the newest databases.",
                 {textLeft, r.top + 36, r.right - 12, r.top + 56}, ui::Font::Small, ui::kTextMuted,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

LRESULT StatusPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      ui::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) { Paint(dc, client); });
      return 0;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_SETCURSOR: {
      POINT point;
      GetCursorPos(&point);
      ScreenToClient(hwnd(), &point);
      for (int i = 0; i < 4 && LOWORD(lParam) == HTCLIENT; ++i) {
        const RECT tile = SettingRect(i);
        if (PtInRect(&tile, point)) {
          SetCursor(LoadCursorW(nullptr, IDC_HAND));
          return TRUE;
        }
      }
      break;
    }
    case WM_LBUTTONUP: {
      const POINT point{XOf(lParam), YOf(lParam)};
      for (int i = 0; i < 4; ++i) {
        const RECT tile = SettingRect(i);
        if (PtInRect(&tile, point) && navigate_) navigate_(Page::Options);
      }
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      if (LOWORD(wParam) == kToggleId && frame_.Click()) SetTimer(hwnd(), kAnimationTimer, kAnimationInterval, nullptr);
      if (LOWORD(wParam) == kScanCardId && navigate_) navigate_(Page::Scan);
      if (LOWORD(wParam) == kUpdateCardId && navigate_) navigate_(Page::Update);
      return 0;
    case WM_TIMER:
      if (wParam == kAnimationTimer) {
        if (!frame_.Step()) {
          KillTimer(hwnd(), kAnimationTimer);
          InvalidateRect(toggle_, nullptr, FALSE);  // the caption changed
        }
        Layout();
      }
      return 0;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

LRESULT PageControlColour(HDC dc) {
  SetBkColor(dc, ui::kPageBackground);
  SetTextColor(dc, ui::kText);
  return reinterpret_cast<LRESULT>(ui::SolidBrush(ui::kPageBackground));
}

}  // namespace kestro::app
