#include "app/win32/splash_window.hpp"

#include <shlobj.h>

#include "app/win32/pictures.hpp"
#include "app/win32/ui_theme.hpp"

namespace kestro::app {
namespace {

constexpr UINT_PTR kLoadTimer = 1;
constexpr UINT_PTR kFadeoutTimer = 2;
constexpr UINT kLoadInterval = 25;
constexpr UINT kFadeoutInterval = 20;
constexpr UINT kCloseSplash = WM_APP + 1;

constexpr int kStepsTop = ui::kSplashBandHeight + 22;
constexpr int kStepHeight = 24;
constexpr int kMarginX = 32;

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
  return out;
}

std::filesystem::path StartupFolder() {
  wchar_t buffer[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_STARTUP, FALSE)) return {};
  std::wstring folder = buffer;
  if (!folder.empty() && folder.back() != L'\\') folder.push_back(L'\\');
  return folder;
}

}  // namespace

SplashWindow::SplashWindow(AppContext& ctx, SplashHooks hooks) : ctx_(ctx), hooks_(std::move(hooks)) {}

bool SplashWindow::Start() {
  const int x = (GetSystemMetrics(SM_CXSCREEN) - ui::kSplashWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - ui::kSplashHeight) / 2;
  const std::wstring title = ctx_.ProgramTitle + L" 2013 - Ver. " + ctx_.EngineVersion;
  if (Create(L"KestroSplashWindow", WS_EX_LAYERED | WS_EX_APPWINDOW, WS_POPUP, title.c_str(), x, y,
             ui::kSplashWidth, ui::kSplashHeight, nullptr) == nullptr) {
    return false;
  }
  SetLayeredWindowAttributes(hwnd(), 0, 255, LWA_ALPHA);
  ShowWindow(hwnd(), SW_SHOW);
  UpdateWindow(hwnd());
  Activate();
  return true;
}

void SplashWindow::Activate() {
  // Rounded corners (a 10-pixel corner ellipse).
  SetWindowRgn(hwnd(), CreateRoundRectRgn(0, 0, ui::kSplashWidth + 1, ui::kSplashHeight + 1, 10, 10), TRUE);
  if (hooks_.prepareMainWindow) hooks_.prepareMainWindow();
  versionText_ = L"Version : " + ctx_.EngineVersion;
  SetWindowTextW(hwnd(), (ctx_.ProgramTitle + L" 2013 - Ver. " + ctx_.EngineVersion).c_str());
  ctx_.ScanTarget = StartupFolder();
  ctx_.ScanLog.emplace(ctx_.ProgramFolder, log::LogIdentity{Narrow(ctx_.ProgramTitle), Narrow(ctx_.EngineVersion)});
  ctx_.ScanLog->StartLog();
  SetLayeredWindowAttributes(hwnd(), 0, 255, LWA_ALPHA);
  SetTimer(hwnd(), kLoadTimer, kLoadInterval, nullptr);
  Refresh();
}

void SplashWindow::LoadTick() {
  // A tick that arrives while an earlier one still runs (its steps process
  // messages) is dropped rather than nested.
  if (inLoadTick_) return;
  inLoadTick_ = true;
  for (const auto& action : progress_.Tick()) {
    Run(action);
    if (hwnd() == nullptr || closing_) break;
    Refresh();
  }
  inLoadTick_ = false;
}

void SplashWindow::Run(const SplashAction& action) {
  using K = SplashActionKind;
  switch (action.kind) {
    case K::PumpMessages:
      PumpMessages();
      break;
    case K::ShowMark:
      marks_[static_cast<std::size_t>(action.arg)].visible = true;
      break;
    case K::MarkDone: {
      auto& mark = marks_[static_cast<std::size_t>(action.arg)];
      mark = {true, true, kSplashMarkDone};
      break;
    }
    case K::RunProcessScan:
      if (hooks_.runProcessScan) {
        hooks_.runProcessScan([this](const std::wstring& path) {
          marks_[2] = {true, false, path};
          Refresh();
        });
      }
      break;
    case K::StartScanSection:
      if (ctx_.ScanLog) ctx_.ScanLog->StartScanSection();
      break;
    case K::ShowTreeLoading:
      marks_[static_cast<std::size_t>(action.arg)] = {true, true, kSplashTreeLoading};
      break;
    case K::LoadTree:
      if (hooks_.loadTree) hooks_.loadTree();
      break;
    case K::FillDefinitions:
      if (hooks_.fillDefinitions) hooks_.fillDefinitions();
      break;
    case K::Wait:
      WaitProcessingMessages(static_cast<DWORD>(action.arg));
      break;
    case K::StopLoadTimer:
      KillTimer(hwnd(), kLoadTimer);
      break;
    case K::FadeOut:
      EnableWindow(hwnd(), FALSE);
      for (const int opacity : FadeOutOpacities(255)) {
        SetLayeredWindowAttributes(hwnd(), 0, static_cast<BYTE>(opacity), LWA_ALPHA);
        PumpMessages();
        if (hwnd() == nullptr) return;
      }
      ShowWindow(hwnd(), SW_HIDE);
      break;
    case K::StartFadeoutTimer:
      SetTimer(hwnd(), kFadeoutTimer, kFadeoutInterval, nullptr);
      break;
  }
}

void SplashWindow::FadeoutTick() {
  if (closing_) return;
  const bool handOver = fadeout_.Tick();
  if (!handOver) {
    // The window is already hidden: this only counts the delay down.
    SetLayeredWindowAttributes(hwnd(), 0, static_cast<BYTE>(fadeout_.Opacity() < 0 ? 0 : fadeout_.Opacity()), LWA_ALPHA);
    return;
  }
  KillTimer(hwnd(), kFadeoutTimer);
  closing_ = true;
  if (hooks_.handOver) hooks_.handOver();
  // Closed once the current message (possibly a nested wait) has unwound.
  PostMessageW(hwnd(), kCloseSplash, 0, 0);
}

void SplashWindow::Refresh() {
  if (hwnd() == nullptr) return;
  InvalidateRect(hwnd(), nullptr, FALSE);
  UpdateWindow(hwnd());
}

void SplashWindow::Paint(HDC dc, const RECT& client) {
  const Pictures& pictures = ProgramPictures();
  if (pictures.splashBackground != nullptr) {
    ui::DrawBitmapPart(dc, pictures.splashBackground, 0, 0, 0, 0, client.right, client.bottom);
  } else {
    ui::FillSolid(dc, client, ui::kPageBackground);
    ui::FillVertical(dc, {0, 0, client.right, ui::kSplashBandHeight}, ui::kHeaderTop, ui::kHeaderBottom);
  }
  // Title block beside the logo.
  ui::DrawTextIn(dc, ctx_.ProgramTitle.empty() ? L"KESTRO Antivirus" : ctx_.ProgramTitle, {124, 30, 460, 64},
                 ui::Font::Title, ui::Rgb(255, 255, 255));
  ui::DrawTextIn(dc, versionText_, {124, 64, 460, 86}, ui::Font::Body, ui::kHeaderSubtitle);
  ui::DrawTextIn(dc, L"Protecting your computer since 2013", {124, 86, 460, 104}, ui::Font::Small,
                 ui::kHeaderSubtitle);

  // The five steps and their marks.
  for (std::size_t i = 0; i < marks_.size(); ++i) {
    const int top = kStepsTop + static_cast<int>(i) * kStepHeight;
    ui::DrawTextIn(dc, kSplashStepCaptions[i], {kMarginX, top, 250, top + kStepHeight}, ui::Font::Body, ui::kText);
    const Mark& mark = marks_[i];
    if (!mark.visible) continue;
    const bool ok = mark.text == kSplashMarkDone;
    ui::DrawTextIn(dc, mark.text, {250, top, client.right - kMarginX, top + kStepHeight},
                   ok ? ui::Font::BodyBold : ui::Font::Small, mark.done ? ui::kStepDone : ui::kTextMuted,
                   DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
  }

  // Progress bar.
  const int barTop = client.bottom - 30;
  const RECT track{kMarginX, barTop, client.right - kMarginX, barTop + 6};
  ui::FillSolid(dc, track, ui::kTrack);
  const int width = (track.right - track.left) * progress_.Value() / 100;
  if (width > 0) {
    ui::FillVertical(dc, {track.left, track.top, track.left + width, track.bottom}, ui::kAccentLight, ui::kAccent);
  }
}

LRESULT SplashWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      ui::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) { Paint(dc, client); });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      if (wParam == kLoadTimer) LoadTick();
      if (wParam == kFadeoutTimer) FadeoutTick();
      return 0;
    case WM_CLOSE:
      return 0;  // the keep-open switch is set from the start: the user cannot close the splash
    case kCloseSplash:
      KillTimer(hwnd(), kLoadTimer);
      DestroyWindow(hwnd());
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace kestro::app
