// Page 2: the ten options, each an on/off picture pair; the visible picture is
// the option's state.
#include "app/win32/pages.hpp"
#include "app/win32/pictures.hpp"
#include "app/win32/ui_theme.hpp"

namespace kestro::app {
namespace {

constexpr int kRowHeight = 42;
constexpr int kGroupHeading = 28;
constexpr int kSwitchWidth = 44;
constexpr int kSwitchHeight = 24;

struct OptionText {
  const wchar_t* title;
  const wchar_t* description;
};

// Index order of the option table; the first five are about scanning.
constexpr OptionText kTexts[kOptionCount] = {
    {L"Check running programs", L"Look at the programs in memory while KESTRO starts."},
    {L"Repair the registry", L"Undo the registry changes of common worms before each scan."},
    {L"Delete threats at once", L"Delete every detected file as soon as it is found."},
    {L"Sound alerts", L"Play a sound on a detection and when a scan ends (from the next start)."},
    {L"Scan RAR archives", L"Look inside RAR archives of up to 5 MB."},
    {L"Keep window on top", L"Show KESTRO Antivirus above other windows."},
    {L"Keep open", L"Stored for the next version; it changes nothing yet."},
    {L"Hide while scanning", L"Stored for the next version; it changes nothing yet."},
    {L"Explorer menu", L"Add \"Scan with KESTRO Antivirus\" to the menu of folders and drives."},
    {L"Start automatically", L"Stored for the next version; it changes nothing yet."},
};

}  // namespace

OptionsPage::OptionsPage(AppContext& ctx, SettingsStore& settings, OptionActions& actions)
    : ctx_(ctx), settings_(settings), actions_(actions) {}

HWND OptionsPage::CreatePage(HWND parent) {
  return Create(L"KestroOptionsPage", 0, WS_CHILD | WS_CLIPCHILDREN, L"", 0, 0, 0, 0, parent);
}

void OptionsPage::ShowStates() { InvalidateRect(hwnd(), nullptr, FALSE); }

int OptionsPage::RowTop(int index) const {
  const int group = index < 5 ? 0 : 1;
  return 12 + kGroupHeading + group * (5 * kRowHeight + kGroupHeading + 8) + (index % 5) * kRowHeight;
}

RECT OptionsPage::SwitchRect(int index) const {
  RECT client;
  GetClientRect(hwnd(), &client);
  const int top = RowTop(index) + (kRowHeight - kSwitchHeight) / 2;
  const int left = client.right - ui::kPagePadding - kSwitchWidth;
  return {left, top, left + kSwitchWidth, top + kSwitchHeight};
}

int OptionsPage::SwitchAt(int x, int y) const {
  const POINT point{x, y};
  for (int i = 0; i < kOptionCount; ++i) {
    const RECT r = SwitchRect(i);
    if (PtInRect(&r, point)) return i;
  }
  return -1;
}

void OptionsPage::Paint(HDC dc, const RECT& client) {
  ui::FillSolid(dc, client, ui::kPageBackground);
  const Pictures& pictures = ProgramPictures();
  for (int group = 0; group < 2; ++group) {
    const int top = RowTop(group * 5) - kGroupHeading;
    ui::DrawTextIn(dc, group == 0 ? L"Scanning" : L"Program",
                   {ui::kPagePadding, top, client.right - ui::kPagePadding, top + kGroupHeading - 4}, ui::Font::Subheading,
                   ui::kAccent, DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
  }
  for (int i = 0; i < kOptionCount; ++i) {
    const int top = RowTop(i);
    const RECT sw = SwitchRect(i);
    ui::DrawTextIn(dc, kTexts[i].title, {ui::kPagePadding, top + 3, sw.left - 16, top + 22}, ui::Font::BodyBold, ui::kText);
    ui::DrawTextIn(dc, kTexts[i].description, {ui::kPagePadding, top + 21, sw.left - 16, top + 38}, ui::Font::Small,
                   ui::kTextMuted, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (i % 5 != 4) ui::FillSolid(dc, {ui::kPagePadding, top + kRowHeight - 1, client.right - ui::kPagePadding, top + kRowHeight}, ui::kRule);
    // Exactly one picture of the pair is shown: "on" (imgA) or "off" (imgB).
    const bool on = ctx_.OptionStates[static_cast<std::size_t>(i)];
    const bool hover = i == hover_;
    HBITMAP picture = on ? (hover ? pictures.optionOnHover : pictures.optionOn)
                         : (hover ? pictures.optionOffHover : pictures.optionOff);
    if (picture != nullptr) {
      ui::DrawBitmapPart(dc, picture, sw.left, sw.top, 0, 0, kSwitchWidth, kSwitchHeight);
    } else {
      ui::FillSolid(dc, sw, on ? ui::kAccent : ui::kTrack);
      ui::DrawTextIn(dc, on ? L"ON" : L"OFF", sw, ui::Font::SmallBold, on ? ui::Rgb(255, 255, 255) : ui::kText,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
  }
}

LRESULT OptionsPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      ui::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) { Paint(dc, client); });
      return 0;
    case WM_SIZE:
      InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE: {
      // Over the page every picture shows its normal form; over a switch, that
      // switch shows its hover form.
      const int over = SwitchAt(XOf(lParam), YOf(lParam));
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      if (over != hover_) {
        hover_ = over;
        InvalidateRect(hwnd(), nullptr, FALSE);
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      tracking_ = false;
      if (hover_ != -1) {
        hover_ = -1;
        InvalidateRect(hwnd(), nullptr, FALSE);
      }
      return 0;
    case WM_SETCURSOR: {
      POINT point;
      GetCursorPos(&point);
      ScreenToClient(hwnd(), &point);
      if (LOWORD(lParam) == HTCLIENT && SwitchAt(point.x, point.y) >= 0) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONUP: {
      const int index = SwitchAt(XOf(lParam), YOf(lParam));
      if (index >= 0) {
        const auto option = static_cast<Option>(index);
        settings_.Switch(option, !ctx_.OptionOn(option), actions_);
        InvalidateRect(hwnd(), nullptr, FALSE);
      }
      return 0;
    }
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

}  // namespace kestro::app
