#include "app/win32/main_window.hpp"

#include "app/command_line.hpp"
#include "app/component_registration.hpp"
#include "app/scan_page/scan_page.hpp"
#include "app/update_page/update_page.hpp"
#include "app/win32/pictures.hpp"
#include "app/win32/registry_settings_key.hpp"
#include "app/win32/startup_platform_win32.hpp"
#include "app/win32/system_privileges.hpp"
#include "app/win32/ui_theme.hpp"
#include "sigdb/database_loader.hpp"

#include "systools/win32/tools_panels.hpp"

namespace kestro::app {
namespace {

constexpr UINT_PTR kHousekeepingTimer = 1;
constexpr UINT kHousekeepingInterval = 100;
constexpr UINT kActOnHandOver = WM_APP + 10;

UINT ScanPageNotifyMessage() {
  static const UINT message = RegisterWindowMessageW(kScanPageNotifyName);
  return message;
}
constexpr UINT kMenuContact = 1;
constexpr UINT kMenuHelp = 2;

constexpr const wchar_t* kNavCaptions[kPageCount] = {L"Status", L"Scan", L"Options", L"Tools", L"Update", L"About"};
constexpr const wchar_t* kFooterNotice =
    L"WARNING: This program is protected by copyright law and international treaties.";

std::wstring Widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

MainWindow::MainWindow(AppContext& ctx)
    : ctx_(ctx),
      settings_(ProgramSettingsKey(), ctx),
      status_(ctx, [this](Page page) { Select(page); }),
      options_(ctx, settings_, *this),
      tools_(ctx),
      about_(ctx) {}

bool MainWindow::Create() {
  const int x = (GetSystemMetrics(SM_CXSCREEN) - ui::kMainWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - ui::kMainHeight) / 2;
  const std::wstring caption = ctx_.ProgramTitle + L" 2013";
  if (Window::Create(kMainWindowClass, WS_EX_CONTROLPARENT | WS_EX_APPWINDOW,
                     WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU, caption.c_str(), x, y, ui::kMainWidth,
                     ui::kMainHeight, nullptr) == nullptr) {
    return false;
  }
  ctx_.MainWindow = hwnd();
  if (ctx_.UpdateServer.empty()) ctx_.UpdateServer = update_page::UpdateServerAddress();
  if (keyboard_.Create()) {
    ctx_.ShowVirtualKeyboard = [this](HWND owner) { keyboard_.ShowModal(owner); };
  }
  CreatePages();
  settings_.Load();
  // What the options page shows is what the program does: a stored "On Top"
  // puts the window on top from the start.
  SetTopmost(ctx_.OptionOn(Option::OnTop));
  options_.ShowStates();
  Select(Page::Status);
  SetTimer(hwnd(), kHousekeepingTimer, kHousekeepingInterval, nullptr);
  return true;
}

void MainWindow::CreatePages() {
  pages_[0] = status_.CreatePage(hwnd());
  pages_[1] = CreateScanPage(hwnd(), ctx_);
  ctx_.ScanPage = pages_[1];
  pages_[2] = options_.CreatePage(hwnd());
  pages_[3] = tools_.CreatePage(hwnd());
  update_page::UpdatePageHost host{hwnd(), ctx_.ProgramTitle, ctx_.ProgramFolder, ctx_.UpdateServer,
                                   [this] { DatabasesReplaced(); }};
  host.engineVersion = ctx_.EngineVersion;
  host.databaseValues = &ctx_.DatabaseValues;
  pages_[4] = update_page::CreateUpdatePage(hwnd(), host);
  ctx_.UpdatePage = pages_[4];
  pages_[5] = about_.CreatePage(hwnd());
  const RECT& r = ui::kPageRect;
  for (HWND page : pages_) {
    if (page != nullptr) SetWindowPos(page, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_HIDEWINDOW);
  }
}

void MainWindow::Prepare() {
  SetWindowTextW(hwnd(), (ctx_.ProgramTitle + L" 2013").c_str());
  const int x = (GetSystemMetrics(SM_CXSCREEN) - ui::kMainWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - ui::kMainHeight) / 2;
  SetWindowPos(hwnd(), nullptr, x, y, ui::kMainWidth, ui::kMainHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd(), nullptr, FALSE);
  about_.Refresh();
}

void MainWindow::HandOver() {
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  status_.SetDatabaseText(Widen(sigdb::UpdateDatabaseStatus(ctx_.DatabaseValues, sigdb::LocalToday())));
  status_.RefreshProtection();
  about_.Refresh();
  handedOver_ = true;
  // The command line, then any hand-over from a second copy that arrived during
  // the splash, are acted on from the message loop once the splash has closed
  // (a scan started here must not run inside the splash's timer).
  pendingHandOvers_.insert(pendingHandOvers_.begin(), ctx_.CommandLine);
  PostMessageW(hwnd(), kActOnHandOver, 0, 0);
}

void MainWindow::ActOnCommandLine(const std::wstring& commandLine) {
  switch (ClassifyCommandLine(commandLine)) {
    case CommandLineAction::ScanFolder:
      Select(Page::Scan);
      ScanContextMenu(ctx_.ScanPage, commandLine);
      break;
    case CommandLineAction::ShowUpdate:
      Update();
      break;
    case CommandLineAction::None:
      break;
  }
}

void MainWindow::Update() {
  Select(Page::Update);
  update_page::ShowUpdate(ctx_.UpdatePage);
}

void MainWindow::Select(Page page) {
  const NavigationStep step = navigation_.Select(page);
  for (int j = 0; j < kPageCount; ++j) {
    if (!step.visible[static_cast<std::size_t>(j)] && pages_[j] != nullptr) ShowWindow(pages_[j], SW_HIDE);
  }
  if (step.reapply == TabLayout::ScanTabs && ctx_.ScanPage != nullptr) {
    // The scan page lays out its tab strip and panels on a resize.
    RECT r;
    GetClientRect(ctx_.ScanPage, &r);
    SendMessageW(ctx_.ScanPage, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right, r.bottom));
  }
  if (step.reapply == TabLayout::ToolsTabs) tools_.ApplyTabLayout();
  HWND shown = pages_[static_cast<int>(page)];
  if (shown != nullptr) ShowWindow(shown, SW_SHOW);
  const RECT nav{0, ui::kHeaderHeight, ui::kNavWidth, ui::kMainHeight};
  InvalidateRect(hwnd(), &nav, FALSE);
}

void MainWindow::OnScanPageNotice(ScanPageNotice notice, LPARAM lParam) {
  switch (notice) {
    case ScanPageNotice::ScanRunning:
      // The options stay as they are while a run is active: the run read them at its start.
      if (pages_[2] != nullptr) EnableWindow(pages_[2], lParam == 0 ? TRUE : FALSE);
      break;
    case ScanPageNotice::ShowDetectionList:
      Select(Page::Scan);
      break;
    case ScanPageNotice::StatusLine:
      break;
  }
}

void MainWindow::DatabasesReplaced() {
  // The lists are read by a running scan; new databases then wait for the next start.
  if (ScanIsRunning(ctx_.ScanPage)) return;
  sigdb::SignatureLists lists;
  sigdb::DatabaseValues values;
  if (sigdb::LoadDatabases(ctx_.ProgramFolder, lists, values).status != sigdb::LoadStatus::Loaded) return;
  ctx_.Signatures = std::move(lists);
  ctx_.DatabaseValues = std::move(values);
  status_.SetDatabaseText(Widen(sigdb::UpdateDatabaseStatus(ctx_.DatabaseValues, sigdb::LocalToday())));
  status_.RefreshProtection();
  about_.FillDefinitions();
}

// ----- options with an immediate action

void MainWindow::SetTopmost(bool on) {
  SetWindowPos(hwnd(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::RegisterShellExtension(bool on) {
  RegisterComponent(ctx_.ProgramFolder / L"KESTROExtc.dll", !on, NativeComponentLoader());
}

// ----- the close flow

void MainWindow::SaveSettings() {
  settings_.Save();
  UnloadShellLibrary();
}

bool MainWindow::ScanRunning() { return ctx_.ScanPage != nullptr && ScanIsRunning(ctx_.ScanPage); }

bool MainWindow::Ask(std::wstring_view question) {
  const std::wstring text(question);
  return MessageBoxW(hwnd(), text.c_str(), ctx_.ProgramTitle.c_str(), MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

void MainWindow::StopScan() { app::StopScan(ctx_.ScanPage); }

void MainWindow::DeleteMarker(std::string_view valueName) { ProgramSettingsKey().DeleteValue(std::string(valueName)); }

void MainWindow::EndProgram() {
  EnableDebugPrivilege();
  TerminateProcess(GetCurrentProcess(), 0);
}

// ----- header and navigation

RECT MainWindow::ButtonRect(HeaderButton button) const {
  const int index = static_cast<int>(button);
  const int right = ui::kMainWidth - 10 - (2 - index) * ui::kHeaderButtonSize;
  const int top = (ui::kHeaderHeight - ui::kHeaderButtonSize) / 2;
  return {right - ui::kHeaderButtonSize, top, right, top + ui::kHeaderButtonSize};
}

MainWindow::HeaderButton MainWindow::ButtonAt(POINT point) const {
  for (const auto button : {HeaderButton::Menu, HeaderButton::Minimise, HeaderButton::Close}) {
    const RECT r = ButtonRect(button);
    if (PtInRect(&r, point)) return button;
  }
  return HeaderButton::None;
}

int MainWindow::NavEntryAt(POINT point) const {
  if (point.x < 0 || point.x >= ui::kNavWidth || point.y < ui::kNavTop) return -1;
  const int index = (point.y - ui::kNavTop) / ui::kNavEntryHeight;
  return index < kPageCount ? index : -1;
}

void MainWindow::ShowHelpMenu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kMenuContact, L"Contact us");
  AppendMenuW(menu, MF_STRING, kMenuHelp, L"Help");
  const RECT button = ButtonRect(HeaderButton::Menu);
  POINT at{button.left, button.bottom};
  ClientToScreen(hwnd(), &at);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_NONOTIFY, at.x, at.y, 0, hwnd(), nullptr));
  DestroyMenu(menu);
  if (chosen == kMenuContact) update_page::OpenHelpMenuLink(hwnd(), ctx_.ProgramTitle, ctx_.SiteAddress, 0);
  if (chosen == kMenuHelp) update_page::OpenHelpMenuLink(hwnd(), ctx_.ProgramTitle, ctx_.SiteAddress, 1);
}

void MainWindow::OnMouseMove(POINT point) {
  if (!trackingMouse_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
    trackingMouse_ = TrackMouseEvent(&track) != FALSE;
  }
  const int nav = NavEntryAt(point);
  const HeaderButton button = ButtonAt(point);
  if (nav != navHover_ || button != buttonHover_) {
    navHover_ = nav;
    buttonHover_ = button;
    InvalidateRect(hwnd(), nullptr, FALSE);
  }
}

void MainWindow::OnLeftDown(POINT point) {
  const HeaderButton button = ButtonAt(point);
  if (button != HeaderButton::None) {
    buttonPressed_ = button;
    SetCapture(hwnd());
    return;
  }
  if (point.y < ui::kHeaderHeight) {
    // The header is the title bar: let the system move the window.
    ReleaseCapture();
    SendMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return;
  }
  const int nav = NavEntryAt(point);
  if (nav >= 0) Select(static_cast<Page>(nav));
}

void MainWindow::OnLeftUp(POINT point) {
  const HeaderButton pressed = buttonPressed_;
  buttonPressed_ = HeaderButton::None;
  if (GetCapture() == hwnd()) ReleaseCapture();
  if (pressed == HeaderButton::None || ButtonAt(point) != pressed) return;
  switch (pressed) {
    case HeaderButton::Menu:
      ShowHelpMenu();
      break;
    case HeaderButton::Minimise:
      ShowWindow(hwnd(), SW_MINIMIZE);
      break;
    case HeaderButton::Close:
      SendMessageW(hwnd(), WM_CLOSE, 0, 0);
      break;
    case HeaderButton::None:
      break;
  }
}

void MainWindow::Paint(HDC dc, const RECT& client) {
  const Pictures& pictures = ProgramPictures();
  if (pictures.mainBackground != nullptr) {
    ui::DrawBitmapPart(dc, pictures.mainBackground, 0, 0, 0, 0, client.right, client.bottom);
  } else {
    ui::FillSolid(dc, client, ui::kPageBackground);
    ui::FillVertical(dc, {0, 0, client.right, ui::kHeaderHeight}, ui::kHeaderTop, ui::kHeaderBottom);
    ui::FillSolid(dc, {0, ui::kHeaderHeight, ui::kNavWidth, client.bottom}, ui::kNavBackground);
    ui::FillSolid(dc, {ui::kNavWidth, client.bottom - ui::kFooterHeight, client.right, client.bottom}, ui::kFooterBackground);
  }

  // Header: product name and version beside the logo, then the three buttons.
  ui::DrawTextIn(dc, ctx_.ProgramTitle, {60, 8, 500, 32}, ui::Font::Title, ui::Rgb(255, 255, 255));
  ui::DrawTextIn(dc, L"Version " + ctx_.EngineVersion + L" " + ctx_.EditionTag, {60, 32, 500, 50}, ui::Font::Small,
                 ui::kHeaderSubtitle);
  for (const auto button : {HeaderButton::Menu, HeaderButton::Minimise, HeaderButton::Close}) {
    const RECT r = ButtonRect(button);
    const int row = button == buttonHover_ ? 1 : 0;
    ui::DrawBitmapPart(dc, pictures.headerButtons, r.left, r.top, static_cast<int>(button) * ui::kHeaderButtonSize,
                       row * ui::kHeaderButtonSize, ui::kHeaderButtonSize, ui::kHeaderButtonSize);
  }

  // Navigation: the current entry carries the pin (the accent bar).
  const int current = static_cast<int>(navigation_.Current());
  for (int i = 0; i < kPageCount; ++i) {
    const RECT r{0, ui::kNavTop + i * ui::kNavEntryHeight, ui::kNavWidth, ui::kNavTop + (i + 1) * ui::kNavEntryHeight};
    const bool isCurrent = i == current;
    const bool hover = i == navHover_ && !isCurrent;
    if (isCurrent || hover) ui::FillSolid(dc, r, isCurrent ? ui::kNavCurrent : ui::kNavHover);
    if (isCurrent) ui::FillSolid(dc, {r.left, r.top, r.left + 4, r.bottom}, ui::kAccentLight);
    const int row = isCurrent ? 2 : hover ? 1 : 0;
    ui::DrawBitmapPart(dc, pictures.navigation, 22, r.top + (ui::kNavEntryHeight - ui::kNavIconSize) / 2,
                       i * ui::kNavIconSize, row * ui::kNavIconSize, ui::kNavIconSize, ui::kNavIconSize);
    ui::DrawTextIn(dc, kNavCaptions[i], {60, r.top, r.right - 8, r.bottom}, isCurrent ? ui::Font::BodyBold : ui::Font::Nav,
                   isCurrent || hover ? ui::kNavTextCurrent : ui::kNavText);
  }

  // The notice along the foot, in red.
  ui::DrawTextIn(dc, kFooterNotice,
                 {ui::kNavWidth + ui::kPagePadding, client.bottom - ui::kFooterHeight + 1, client.right - ui::kPagePadding, client.bottom},
                 ui::Font::Small, ui::kFooterNotice, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      ui::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) { Paint(dc, client); });
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove({XOf(lParam), YOf(lParam)});
      return 0;
    case WM_MOUSELEAVE:
      trackingMouse_ = false;
      navHover_ = -1;
      buttonHover_ = HeaderButton::None;
      InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      OnLeftDown({XOf(lParam), YOf(lParam)});
      return 0;
    case WM_LBUTTONUP:
      OnLeftUp({XOf(lParam), YOf(lParam)});
      return 0;
    case WM_SETCURSOR: {
      POINT point;
      GetCursorPos(&point);
      ScreenToClient(hwnd(), &point);
      if (LOWORD(lParam) == HTCLIENT && (NavEntryAt(point) >= 0 || ButtonAt(point) != HeaderButton::None)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_TIMER:
      if (wParam == kHousekeepingTimer) {
        systools::HousekeepingTick();
        status_.RefreshProtection();
      }
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // Windows is ending the session: the options are kept as the close box keeps them.
      if (wParam != FALSE) SaveSettings();
      return 0;
    case WM_CLOSE:
      // One question at a time: a second close request while it is asked is ignored.
      if (!closing_) {
        closing_ = true;
        RunCloseFlow(*this);
        closing_ = false;
      }
      return 0;
    case WM_COPYDATA: {
      // A second copy of the program hands over its command line; it is acted on
      // after this message returns, so the sender is never kept waiting by a scan.
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      const auto commandLine = DecodeHandOver(static_cast<unsigned long>(data->dwData), data->lpData, data->cbData);
      if (!commandLine) return FALSE;
      pendingHandOvers_.push_back(*commandLine);
      if (handedOver_) PostMessageW(hwnd(), kActOnHandOver, 0, 0);
      return TRUE;
    }
    case kActOnHandOver: {
      if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
      auto pending = std::move(pendingHandOvers_);
      for (const auto& commandLine : pending) ActOnCommandLine(commandLine);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return PageControlColour(reinterpret_cast<HDC>(wParam));
    default:
      if (message == ScanPageNotifyMessage()) {
        OnScanPageNotice(static_cast<ScanPageNotice>(wParam), lParam);
        return 0;
      }
      break;
  }
  return Default(message, wParam, lParam);
}

}  // namespace kestro::app
