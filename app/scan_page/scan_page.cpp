// The scan page: the "Directory" tab (target box, folder tree, "&Scan Now !")
// and the "Current Report" tab (counts, archive label, progress, the detection
// list, Pause, Stop, Log and the shutdown box), over a status line. The scan
// itself runs on the controller's worker; this window reads the board on a
// display timer, about 30 times a second, and never works per scanned file.
#include "app/scan_page/scan_page.hpp"

#include <commctrl.h>

#include <atomic>
#include <iterator>
#include <memory>

#include "app/scan_page/detection_actions.hpp"
#include "app/scan_page/page_texts.hpp"
#include "app/scan_page/run_sinks.hpp"
#include "app/scan_page/scan_controller.hpp"
#include "app/scan_page/win32/detection_list_view.hpp"
#include "app/scan_page/win32/folder_tree.hpp"
#include "app/scan_page/win32/page_factory.hpp"
#include "app/scan_page/win32/scan_glue.hpp"
#include "app/scan_page/win32/taskbar_progress.hpp"
#include "app/scan_page/win32/wide_text.hpp"
#include "app/scan_page/win32/window_base.hpp"
#include "app/win32/ui_theme.hpp"
#include "icon/cls_heuristic.hpp"
#include "platform/file_ops.hpp"
#include "platform/messages.hpp"
#include "platform/processes.hpp"
#include "platform/registry.hpp"
#include "platform/system_folders.hpp"
#include "remedy/quarantine_store.hpp"
#include "scan/process_scan.hpp"
#include "scan/scan_log_lines.hpp"
#include "scan/scan_texts.hpp"

namespace kestro::app {
namespace scan_page {
namespace {

constexpr UINT_PTR kDisplayTimer = 1;
constexpr UINT kDisplayIntervalMs = 33;  // about 30 refreshes a second
constexpr ULONGLONG kRowIntervalMs = 250;  // new detection rows, about 4 times a second
constexpr UINT kWakeMessage = WM_APP + 1;
constexpr int kTabDirectoryIndex = 0;
constexpr int kTabReportIndex = 1;

UINT NotifyMessage() {
  static const UINT message = RegisterWindowMessageW(kScanPageNotifyName);
  return message;
}

// The tab strip is a real tab control (keyboard, clicks and TCN_SELCHANGE stay
// the system's) painted flat, as the tools page draws its strip: the captions on
// the page colour, the selected one in the accent colour and underlined, a rule
// under the strip.
LRESULT CALLBACK FlatTabsProc(HWND tabs, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(tabs, &paint);
      RECT client{};
      GetClientRect(tabs, &client);
      const auto fill = [dc](RECT r, COLORREF colour) {
        SetBkColor(dc, colour);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
      };
      fill(client, ui::kPageBackground);
      fill({client.left, client.bottom - 1, client.right, client.bottom}, ui::kRule);
      const HGDIOBJ oldFont = SelectObject(dc, PageBoldFont());
      SetBkMode(dc, TRANSPARENT);
      const int selected = TabCtrl_GetCurSel(tabs);
      for (int i = 0; i < TabCtrl_GetItemCount(tabs); ++i) {
        wchar_t caption[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption;
        item.cchTextMax = static_cast<int>(std::size(caption));
        RECT r{};
        if (!TabCtrl_GetItem(tabs, i, &item) || !TabCtrl_GetItemRect(tabs, i, &r)) continue;
        r.bottom = client.bottom;
        SetTextColor(dc, i == selected ? ui::kAccent : ui::kTextMuted);
        DrawTextW(dc, caption, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (i == selected) {
          fill({r.left + 6, r.bottom - 3, r.right - 6, r.bottom}, ui::kAccent);
          if (GetFocus() == tabs) {
            RECT focus{r.left + 2, r.top + 2, r.right - 2, r.bottom - 5};
            DrawFocusRect(dc, &focus);
          }
        }
      }
      SelectObject(dc, oldFont);
      EndPaint(tabs, &paint);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(tabs, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(tabs, FlatTabsProc, 0);
      break;
    default:
      break;
  }
  return DefSubclassProc(tabs, message, wParam, lParam);
}

class ScanPage final : public WindowBase {
 public:
  ScanPage(AppContext& ctx, PageServices services)
      : ctx_(ctx),
        dialogs_(services.dialogs != nullptr ? *services.dialogs : SystemDialogs()),
        power_(services.power != nullptr ? *services.power : SystemPower()),
        ui_([this] {
          const HWND target = wakeTarget_.load();
          if (target != nullptr) PostMessageW(target, kWakeMessage, 0, 0);
        }) {}

  HWND Make(HWND parent) {
    return Create(L"KestroScanPage", parent, WS_CHILD | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, PageBrush());
  }

  void ContextMenuScan(const std::wstring& target);
  void ProcessScan(HWND owner, const std::function<void(const std::wstring&)>& showPath);
  bool Busy() const { return controller_ && controller_->Busy(); }
  void Stop();

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnCreate();
  void Layout();
  void ShowTab(int tab);
  void OnCommand(int id, int code);
  LRESULT OnNotify(const NMHDR& header, LPARAM lParam);
  void OnScanCommand();
  void StartRun(const std::wstring& target);
  void BringForward();
  void OnPause();
  void OnLog();
  void OnDisplayTimer();
  // `allRows`: every row taken so far goes into the list now.
  void ApplyBoard(BoardView view, bool allRows = false);
  void OnRunEnded();
  void SetRunControls(bool running);
  void SetStatus(const std::wstring& text, COLORREF colour);
  void SetText(HWND control, const std::wstring& text);
  void ShowDetectionMenu();
  void OnDetectionCommand(DetectionCommand command);
  void ApplyOutcome(int row, const ActionOutcome& outcome);
  remedy::RemedyContext& Remedy();
  const log::ScanLog* Log() const { return ctx_.ScanLog ? &*ctx_.ScanLog : nullptr; }
  HWND Owner() const { return ctx_.MainWindow != nullptr ? ctx_.MainWindow : GetAncestor(Handle(), GA_ROOT); }
  void Notify(ScanPageNotice notice, LPARAM lParam);
  LRESULT ControlColour(HDC dc, HWND control) const;

  AppContext& ctx_;
  PageDialogs& dialogs_;
  PowerControl& power_;
  std::atomic<HWND> wakeTarget_{nullptr};

  // The scan and what it works with.
  ScanBoard board_;
  UiCallQueue ui_;
  RegistryMarkers markers_;
  LocalDateTime clock_;
  PlatformLongPaths longPaths_;
  checks::PlatformTargetExistence targets_;
  std::unique_ptr<scan::ArchiveLibrary> archives_;
  std::unique_ptr<DetectedSound> detectedSound_;
  std::unique_ptr<PageRunEffects> effects_;
  std::unique_ptr<WindowThreadMessages> messages_;
  std::unique_ptr<remedy::RemedyContext> remedy_;
  std::unique_ptr<ScanController> controller_;
  bool runActive_ = false;
  bool paused_ = false;
  std::uint64_t shownRevision_ = 0;
  std::vector<scan::DetectionRecord> pendingRows_;  // taken from the board, not yet in the list
  ULONGLONG rowsShownAt_ = 0;
  TaskbarProgress taskbar_;

  // Controls.
  HWND tabs_ = nullptr;
  HWND heading_ = nullptr, hint_ = nullptr, targetCaption_ = nullptr, target_ = nullptr, scanNow_ = nullptr;
  FolderTree tree_;
  HWND amountCaption_ = nullptr, amount_ = nullptr, filesCaption_ = nullptr, files_ = nullptr;
  HWND detectedCaption_ = nullptr, detected_ = nullptr, archiveCaption_ = nullptr, archive_ = nullptr;
  HWND pathCaption_ = nullptr, scanPath_ = nullptr, progress_ = nullptr;
  DetectionListView list_;
  HWND shutdown_ = nullptr, pause_ = nullptr, stop_ = nullptr, log_ = nullptr, status_ = nullptr;
  std::vector<HWND> directoryControls_, reportControls_;
  COLORREF statusColour_ = RGB(0, 0, 0);
  int percentShown_ = -1;
};

LRESULT ScanPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam);
    case WM_TIMER:
      if (wParam == kDisplayTimer) OnDisplayTimer();
      return 0;
    case kWakeMessage:
      ui_.RunPending();
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
      KillTimer(Handle(), kDisplayTimer);
      wakeTarget_ = nullptr;
      // A worker waiting for a message box must not hold the window's end.
      ui_.Cancel();
      if (controller_) controller_->Stop();
      controller_.reset();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

void ScanPage::OnCreate() {
  wakeTarget_ = Handle();
  const HWND page = Handle();
  tabs_ = MakeControl(page, WC_TABCONTROLW, L"", WS_CLIPSIBLINGS | WS_TABSTOP, kTabs);
  for (const auto caption : {kTabDirectory, kTabReport}) {
    const std::wstring text = Wide(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    TabCtrl_InsertItem(tabs_, TabCtrl_GetItemCount(tabs_), &item);
  }
  SendMessageW(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(PageBoldFont()), FALSE);
  TabCtrl_SetPadding(tabs_, 12, 8);
  SetWindowSubclass(tabs_, FlatTabsProc, 0, 0);

  heading_ = MakeControl(page, L"STATIC", L"Choose a drive or folder to scan", SS_LEFT, 0);
  SendMessageW(heading_, WM_SETFONT, reinterpret_cast<WPARAM>(PageHeadingFont()), FALSE);
  hint_ = MakeControl(page, L"STATIC",
                      L"Pick it in the tree below or type its full path, then press \"Scan Now !\".", SS_LEFT, 0);
  targetCaption_ = MakeControl(page, L"STATIC", Wide(kTargetLabel), SS_LEFT, 0);
  target_ = MakeControl(page, L"EDIT", ctx_.ScanTarget.wstring(), ES_AUTOHSCROLL | WS_TABSTOP, kTargetBox,
                        WS_EX_CLIENTEDGE);
  scanNow_ = MakeControl(page, L"BUTTON", Wide(kScanNowCaption), BS_DEFPUSHBUTTON | WS_TABSTOP, kScanNow);
  tree_.Create(page, kFolderTree);
  tree_.LoadDrives();
  directoryControls_ = {heading_, hint_, targetCaption_, target_, scanNow_, tree_.Handle()};

  amountCaption_ = MakeControl(page, L"STATIC", Wide(kAmountLabel), SS_LEFT, 0);
  amount_ = MakeControl(page, L"STATIC", L"0", SS_LEFT, kAmountValue);
  filesCaption_ = MakeControl(page, L"STATIC", Wide(kFilesScannedLabel), SS_LEFT, 0);
  files_ = MakeControl(page, L"STATIC", L"0", SS_LEFT, kFilesValue);
  detectedCaption_ = MakeControl(page, L"STATIC", Wide(kDetectedLabel), SS_LEFT, 0);
  detected_ = MakeControl(page, L"STATIC", L"0", SS_LEFT, kDetectedValue);
  archiveCaption_ = MakeControl(page, L"STATIC", Wide(kArchiveLabelCaption), SS_LEFT, 0);
  archive_ = MakeControl(page, L"STATIC", Wide(scan::kArchiveLabelIdle), SS_LEFT | SS_PATHELLIPSIS, kArchiveValue);
  pathCaption_ = MakeControl(page, L"STATIC", L"Scanning :", SS_LEFT, 0);
  scanPath_ = MakeControl(page, L"STATIC", L"", SS_LEFT | SS_PATHELLIPSIS, kScanPath);
  for (HWND bold : {amount_, files_, detected_}) {
    SendMessageW(bold, WM_SETFONT, reinterpret_cast<WPARAM>(PageBoldFont()), FALSE);
  }
  progress_ = MakeControl(page, PROGRESS_CLASSW, L"", PBS_SMOOTH, kProgress);
  SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
  list_.Create(page, kDetectionList);
  shutdown_ = MakeControl(page, L"BUTTON", Wide(kShutdownCaption), BS_AUTOCHECKBOX | WS_TABSTOP, kShutdownBox);
  pause_ = MakeControl(page, L"BUTTON", Wide(kPauseCaption), BS_PUSHBUTTON | WS_TABSTOP, kPause);
  stop_ = MakeControl(page, L"BUTTON", Wide(kStopCaption), BS_PUSHBUTTON | WS_TABSTOP, kStop);
  log_ = MakeControl(page, L"BUTTON", Wide(kLogCaption), BS_PUSHBUTTON | WS_TABSTOP, kLog);
  reportControls_ = {amountCaption_, amount_, filesCaption_, files_, detectedCaption_, detected_, archiveCaption_,
                     archive_, pathCaption_, scanPath_, progress_, list_.Handle(), shutdown_, pause_, stop_, log_};

  status_ = MakeControl(page, L"STATIC", Wide(scan::kStatusWaiting), SS_LEFT | SS_ENDELLIPSIS, kStatusLine);
  SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(PageBoldFont()), FALSE);
  // The tab strip lies under the controls it frames.
  SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  // The idle end state.
  EnableWindow(pause_, FALSE);
  EnableWindow(stop_, FALSE);
  EnableWindow(shutdown_, FALSE);
  ShowTab(kTabDirectoryIndex);
}

void ScanPage::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const DialogUnits u = PageDialogUnits();
  // The margins of the other pages of the main window.
  const int margin = ui::kPagePadding - 8;
  const int statusHeight = u.Y(10);
  const int width = client.right - 2 * margin;
  Place(status_, margin, client.bottom - u.Y(4) - statusHeight, width, statusHeight);
  const int tabBottom = client.bottom - u.Y(4) - statusHeight - u.Y(3);
  // The strip is as high as its tabs; the tabs' panels lie below it, unframed.
  RECT tabRect{};
  TabCtrl_GetItemRect(tabs_, 0, &tabRect);
  const int stripHeight = tabRect.bottom + u.Y(2);
  Place(tabs_, margin, ui::kPagePadding / 2, width, stripHeight);
  const RECT area{margin, ui::kPagePadding / 2 + stripHeight, margin + width, tabBottom};
  const int left = area.left;
  const int right = area.right;
  const int top = area.top + u.Y(5);
  const int bottom = area.bottom - u.Y(5);
  const int line = u.Y(10);
  const int buttonHeight = u.Y(14);

  // "Directory"
  Place(heading_, left, top, right - left, line);
  Place(hint_, left, top + u.Y(11), right - left, line);
  const int rowTop = top + u.Y(25);
  const int captionWidth = u.X(48);
  const int scanWidth = u.X(64);
  Place(targetCaption_, left, rowTop + u.Y(3), captionWidth, line);
  Place(target_, left + captionWidth, rowTop, right - left - captionWidth - scanWidth - u.X(4), buttonHeight);
  Place(scanNow_, right - scanWidth, rowTop, scanWidth, buttonHeight);
  const int treeTop = rowTop + buttonHeight + u.Y(6);
  Place(tree_.Handle(), left, treeTop, right - left, bottom - treeTop);

  // "Current Report"
  const int column = (right - left) / 3;
  const int valueOffset = u.X(64);
  Place(amountCaption_, left, top, valueOffset, line);
  Place(amount_, left + valueOffset, top, column - valueOffset, line);
  Place(filesCaption_, left + column, top, valueOffset, line);
  Place(files_, left + column + valueOffset, top, column - valueOffset, line);
  Place(detectedCaption_, left + 2 * column, top, valueOffset, line);
  Place(detected_, left + 2 * column + valueOffset, top, column - valueOffset, line);
  Place(archiveCaption_, left, top + u.Y(13), valueOffset, line);
  Place(archive_, left + valueOffset, top + u.Y(13), right - left - valueOffset, line);
  Place(pathCaption_, left, top + u.Y(26), valueOffset, line);
  Place(scanPath_, left + valueOffset, top + u.Y(26), right - left - valueOffset, line);
  Place(progress_, left, top + u.Y(40), right - left, u.Y(9));
  const int buttonsTop = bottom - buttonHeight;
  const int listTop = top + u.Y(54);
  Place(list_.Handle(), left, listTop, right - left, buttonsTop - u.Y(5) - listTop);
  list_.SpreadColumns();
  const int logWidth = u.X(44);
  const int stopWidth = u.X(66);
  const int pauseWidth = u.X(50);
  const int gap = u.X(4);
  Place(log_, right - logWidth, buttonsTop, logWidth, buttonHeight);
  Place(stop_, right - logWidth - gap - stopWidth, buttonsTop, stopWidth, buttonHeight);
  Place(pause_, right - logWidth - 2 * gap - stopWidth - pauseWidth, buttonsTop, pauseWidth, buttonHeight);
  Place(shutdown_, left, buttonsTop + u.Y(2), right - left - logWidth - stopWidth - pauseWidth - 4 * gap, line);
}

void ScanPage::ShowTab(int tab) {
  TabCtrl_SetCurSel(tabs_, tab);
  for (HWND control : directoryControls_) ShowWindow(control, tab == kTabDirectoryIndex ? SW_SHOW : SW_HIDE);
  for (HWND control : reportControls_) ShowWindow(control, tab == kTabReportIndex ? SW_SHOW : SW_HIDE);
}

LRESULT ScanPage::ControlColour(HDC dc, HWND control) const {
  SetBkColor(dc, ui::kPageBackground);
  COLORREF text = ui::kText;
  if (control == status_) {
    text = statusColour_;
  } else if (control == heading_) {
    text = ui::kAccentDark;
  } else if (control == detected_) {
    text = list_.Rows().Size() > 0 ? RGB(217, 0, 0) : ui::kText;
  } else if (control == hint_ || control == targetCaption_ || control == amountCaption_ || control == filesCaption_ ||
             control == detectedCaption_ || control == archiveCaption_ || control == pathCaption_) {
    text = ui::kTextMuted;
  }
  SetTextColor(dc, text);
  return reinterpret_cast<LRESULT>(PageBrush());
}

void ScanPage::Notify(ScanPageNotice notice, LPARAM lParam) {
  if (ctx_.MainWindow != nullptr) {
    SendMessageW(ctx_.MainWindow, NotifyMessage(), static_cast<WPARAM>(notice), lParam);
  }
}

void ScanPage::SetText(HWND control, const std::wstring& text) {
  if (WindowText(control) != text) SetWindowTextW(control, text.c_str());
}

void ScanPage::SetStatus(const std::wstring& text, COLORREF colour) {
  const bool changed = WindowText(status_) != text || colour != statusColour_;
  if (!changed) return;
  statusColour_ = colour;
  SetWindowTextW(status_, text.c_str());
  InvalidateRect(status_, nullptr, TRUE);
  StatusLineNotice notice{text.c_str(), colour};
  Notify(ScanPageNotice::StatusLine, reinterpret_cast<LPARAM>(&notice));
}

void ScanPage::OnCommand(int id, int code) {
  switch (id) {
    case kScanNow:
      if (code == BN_CLICKED) OnScanCommand();
      break;
    case kStop:
      if (code == BN_CLICKED) Stop();
      break;
    case kPause:
      if (code == BN_CLICKED) OnPause();
      break;
    case kLog:
      if (code == BN_CLICKED) OnLog();
      break;
    case kShutdownBox:
      if (code == BN_CLICKED && controller_) {
        controller_->SetShutdownWhenDone(SendMessageW(shutdown_, BM_GETCHECK, 0, 0) == BST_CHECKED);
      }
      break;
    case kMenuClean: OnDetectionCommand(DetectionCommand::Clean); break;
    case kMenuQuarantine: OnDetectionCommand(DetectionCommand::Quarantine); break;
    case kMenuSelectAll: OnDetectionCommand(DetectionCommand::SelectAll); break;
    case kMenuUnselect: OnDetectionCommand(DetectionCommand::Unselect); break;
    case kMenuExplore: OnDetectionCommand(DetectionCommand::Explore); break;
    default: break;
  }
}

LRESULT ScanPage::OnNotify(const NMHDR& header, LPARAM lParam) {
  if (header.hwndFrom == tabs_ && header.code == TCN_SELCHANGE) {
    ShowTab(TabCtrl_GetCurSel(tabs_));
  } else if (header.hwndFrom == list_.Handle()) {
    if (header.code == LVN_GETDISPINFOW) list_.FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
    if (header.code == NM_RCLICK) ShowDetectionMenu();
  } else if (header.hwndFrom == tree_.Handle()) {
    const auto& info = *reinterpret_cast<const NMTREEVIEWW*>(lParam);
    if (header.code == TVN_ITEMEXPANDINGW) tree_.OnExpanding(info);
    if (header.code == TVN_SELCHANGEDW) {
      if (const auto text = tree_.TargetOf(info)) SetWindowTextW(target_, text->c_str());
    }
  }
  return 0;
}

void ScanPage::OnScanCommand() {
  const std::wstring text = WindowText(target_);
  if (!scan::ScanRun::IsDriveFolderText(Utf8(text))) {
    dialogs_.Message(Owner(), ctx_.ProgramTitle, Wide(scan::kPathNotFound), MB_ICONEXCLAMATION);
    return;
  }
  if (Busy()) {
    BringForward();
    return;
  }
  StartRun(text);
}

void ScanPage::ContextMenuScan(const std::wstring& target) {
  if (Busy()) {
    BringForward();
    return;
  }
  if (!scan::ScanRun::IsDriveFolderText(Utf8(target))) {
    dialogs_.Message(Owner(), ctx_.ProgramTitle, Wide(scan::kPathNotFound), MB_ICONEXCLAMATION);
    return;
  }
  std::wstring folder = target;
  if (folder.back() != L'\\') folder.push_back(L'\\');
  SetWindowTextW(target_, folder.c_str());
  StartRun(folder);
}

void ScanPage::BringForward() {
  ShowTab(kTabReportIndex);
  EnableWindow(pause_, TRUE);
  EnableWindow(scanNow_, FALSE);
  EnableWindow(target_, FALSE);
}

remedy::RemedyContext& ScanPage::Remedy() {
  if (!messages_) messages_ = std::make_unique<WindowThreadMessages>(ui_, dialogs_, Owner());
  if (!remedy_) {
    remedy_ = std::make_unique<remedy::RemedyContext>(remedy::RemedyContext{
        platform::NativeFileOps(), platform::NativeProcessTerminator(), *messages_, Utf8(ctx_.ProgramTitle)});
  } else if (!Busy()) {
    remedy_->programTitle = Utf8(ctx_.ProgramTitle);
  }
  return *remedy_;
}

void ScanPage::StartRun(const std::wstring& target) {
  if (controller_) {
    controller_->Wait();
    controller_.reset();
  }
  ctx_.ScanTarget = std::filesystem::path(target);
  if (!archives_) archives_ = scan::BindArchiveLibrary(ctx_.ProgramFolder);
  detectedSound_ = std::make_unique<DetectedSound>(ctx_.ProgramFolder);
  effects_ = std::make_unique<PageRunEffects>(ctx_.ProgramFolder, power_, nullptr);

  ShowTab(kTabReportIndex);
  list_.Clear();
  pendingRows_.clear();
  for (HWND label : {amount_, files_, detected_}) SetWindowTextW(label, L"0");
  SetWindowTextW(scanPath_, L"");
  SendMessageW(progress_, PBM_SETPOS, 0, 0);
  percentShown_ = 0;
  paused_ = false;
  SetWindowTextW(pause_, Wide(kPauseCaption).c_str());
  EnableWindow(pause_, TRUE);
  EnableWindow(stop_, TRUE);
  EnableWindow(log_, FALSE);
  EnableWindow(shutdown_, TRUE);
  SetRunControls(true);

  RunSettings settings;
  settings.sound = ctx_.OptionOn(Option::Sound);
  settings.cleanAll = ctx_.CleanAll;
  settings.archive = ctx_.OptionOn(Option::Archive);
  settings.fixReg = ctx_.FixReg;
  settings.isWindowsXP = ctx_.IsWindowsXP;

  ScanEngine engine{ctx_.Signatures, Log(),      Remedy(),       *archives_, ctx_.ExtractFolder, markers_,
                    *detectedSound_, *effects_, clock_,          longPaths_, targets_};
  controller_ = std::make_unique<ScanController>(
      engine, board_, ui_, [this](const std::string& text, scan::MessageIcon icon) {
        // Everything the run found is on the page before its message shows.
        ApplyBoard(board_.Take(), true);
        dialogs_.Message(Owner(), ctx_.ProgramTitle, Wide(text), MessageBoxIcon(icon));
      });
  controller_->SetShutdownWhenDone(SendMessageW(shutdown_, BM_GETCHECK, 0, 0) == BST_CHECKED);
  runActive_ = true;
  // The window thread goes before the scan's threads, so that it answers at once
  // however busy the checks keep the processors.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  const bool started = controller_->Start(std::filesystem::path(target), settings);
  if (!started) {
    OnRunEnded();
    return;
  }
  SetTimer(Handle(), kDisplayTimer, kDisplayIntervalMs, nullptr);
}

void ScanPage::SetRunControls(bool running) {
  EnableWindow(scanNow_, running ? FALSE : TRUE);
  EnableWindow(target_, running ? FALSE : TRUE);
  Notify(ScanPageNotice::ScanRunning, running ? 1 : 0);
}

void ScanPage::Stop() {
  if (!controller_ || !controller_->Busy()) return;
  controller_->Stop();
  paused_ = false;
  EnableWindow(stop_, FALSE);
  EnableWindow(pause_, FALSE);
  SetWindowTextW(pause_, Wide(kPauseCaption).c_str());
}

void ScanPage::OnPause() {
  if (!controller_ || !controller_->Busy()) return;
  paused_ = !paused_;
  controller_->SetPaused(paused_);
  SetWindowTextW(pause_, Wide(paused_ ? kResumeCaption : kPauseCaption).c_str());
  ApplyBoard(board_.Take());
}

void ScanPage::OnLog() {
  const log::ScanLog* log = Log();
  if (log == nullptr) return;
  dialogs_.Open(Owner(), L"notepad", L"\"" + log->LogFile().wstring() + L"\"");
}

void ScanPage::OnDisplayTimer() {
  ui_.RunPending();
  ApplyBoard(board_.Take());
}

void ScanPage::ApplyBoard(BoardView view, bool allRows) {
  // New rows reach the list a few times a second: each addition repaints the
  // list, which costs far more than the labels.
  for (auto& row : view.newRows) pendingRows_.push_back(std::move(row));
  const ULONGLONG now = GetTickCount64();
  const bool flush = allRows || !view.running || view.fitListRequested || now - rowsShownAt_ >= kRowIntervalMs;
  if (flush && !pendingRows_.empty()) {
    list_.Append(std::move(pendingRows_));
    pendingRows_.clear();
    rowsShownAt_ = now;
  }
  if (view.fitListRequested) list_.FitAndShowLast();
  if (view.revision != shownRevision_) {
    shownRevision_ = view.revision;
    SetText(amount_, std::to_wstring(view.totalFiles));
    SetText(files_, std::to_wstring(view.filesScanned));
    const std::wstring detections = std::to_wstring(view.detections);
    if (WindowText(detected_) != detections) {
      SetWindowTextW(detected_, detections.c_str());
      InvalidateRect(detected_, nullptr, TRUE);
    }
    SetText(archive_, Wide(view.archiveLabel));
    SetText(scanPath_, Wide(view.scanPath));
    if (view.percent != percentShown_ && runActive_) {
      percentShown_ = view.percent;
      SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(view.percent), 0);
    }
    std::wstring status = Wide(view.statusText);
    if (view.buffering) status = Wide(scan::BufferingStatus(view.totalFiles, view.totalFolders));
    if (paused_ && view.running) status = Wide(kStatusPaused);
    const COLORREF colour = view.statusColour ? static_cast<COLORREF>(*view.statusColour) : statusColour_;
    SetStatus(status, colour);
    if (!ctx_.IsWindowsXP) taskbar_.Show(Owner(), view.taskbarActive, view.taskbarPercent, paused_);
  }
  if (runActive_ && !view.running && !Busy()) OnRunEnded();
}

void ScanPage::OnRunEnded() {
  KillTimer(Handle(), kDisplayTimer);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  runActive_ = false;
  paused_ = false;
  ApplyBoard(board_.Take());
  // After the finish message: the shutdown box and Stop disabled, Log enabled,
  // progress 0, Pause disabled; then the end state.
  EnableWindow(shutdown_, FALSE);
  EnableWindow(stop_, FALSE);
  EnableWindow(log_, TRUE);
  SendMessageW(progress_, PBM_SETPOS, 0, 0);
  percentShown_ = 0;
  EnableWindow(pause_, FALSE);
  SetWindowTextW(pause_, Wide(kPauseCaption).c_str());
  SetRunControls(false);
  SetText(archive_, Wide(scan::kArchiveLabelIdle));
  SetStatus(Wide(scan::kStatusWaiting), statusColour_);
  if (!ctx_.IsWindowsXP) taskbar_.Show(Owner(), false, 0, false);
}

void ScanPage::ShowDetectionMenu() {
  if (!DetectionMenuAllowed(list_.Rows().Size(), Busy())) return;
  HMENU menu = CreatePopupMenu();
  for (const DetectionMenuItem& item : kDetectionMenu) {
    if (item.command == DetectionCommand::Separator) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const int id = kMenuClean + static_cast<int>(item.command);
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), Wide(item.caption).c_str());
    if (item.isDefault) SetMenuDefaultItem(menu, static_cast<UINT>(id), FALSE);
  }
  POINT at{};
  GetCursorPos(&at);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
  DestroyMenu(menu);
}

void ScanPage::OnDetectionCommand(DetectionCommand command) {
  if (Busy()) return;
  const int row = list_.Current();
  switch (command) {
    case DetectionCommand::SelectAll:
      list_.SetAllSelected(true);
      return;
    case DetectionCommand::Unselect:
      list_.SetAllSelected(false);
      return;
    case DetectionCommand::Separator:
      return;
    default:
      break;
  }
  if (row < 0) return;
  const DetectionRow& current = list_.Rows().At(static_cast<std::size_t>(row));
  switch (command) {
    case DetectionCommand::Clean: {
      remedy::DeleteRoutine routine(Remedy());
      ApplyOutcome(row, CleanDetection(current, list_.IsSelected(row), routine, Log()));
      break;
    }
    case DetectionCommand::Quarantine: {
      remedy::QuarantineStore store(ctx_.QuarantineFolder, Remedy(), Log());
      store.PrepareFolder();
      ApplyOutcome(row, QuarantineDetection(current, list_.IsSelected(row), store));
      if (ctx_.QuarantinePanel != nullptr) RefreshQuarantineList(ctx_.QuarantinePanel);
      break;
    }
    case DetectionCommand::Explore:
      if (const auto parameters = ExploreParameters(TagText(current.record.tag))) {
        dialogs_.Open(Owner(), L"explorer.exe", Wide(*parameters));
      }
      break;
    default:
      break;
  }
}

// What the process scan shows: each file name to the caller, a blocked program's
// row in the report tab, and the quarantine list refreshed.
class ProcessScanView final : public scan::ProcessScanObserver {
 public:
  ProcessScanView(const std::function<void(const std::wstring&)>& showPath, std::function<void()> showList,
                  HWND quarantinePanel)
      : showPath_(showPath), showList_(std::move(showList)), quarantinePanel_(quarantinePanel) {}
  void CurrentProcess(std::string_view fileName) override {
    if (showPath_) showPath_(Wide(fileName));
  }
  void ShowDetectionList() override { showList_(); }
  void RefreshQuarantineList() override {
    if (quarantinePanel_ != nullptr) app::RefreshQuarantineList(quarantinePanel_);
  }

 private:
  const std::function<void(const std::wstring&)>& showPath_;
  std::function<void()> showList_;
  HWND quarantinePanel_;
};

void ScanPage::ProcessScan(HWND owner, const std::function<void(const std::wstring&)>& showPath) {
  if (Busy()) return;
  ProcessScanView view(showPath,
                       [this] {
                         ApplyBoard(board_.Take(), true);
                         ShowTab(kTabReportIndex);
                         Notify(ScanPageNotice::ShowDetectionList, 0);
                       },
                       ctx_.QuarantinePanel);
  checks::IconHeuristicCheck icon(ctx_.Signatures.icons);
  BoardDetections detections(board_);
  scan::ScanLogLines logLines(Log());
  SerialDeleter deleter(Remedy());
  scan::NoDetectionSound silent;  // a program's hit plays no sound
  std::uint32_t detectionCount = 0;
  scan::ScanOneFileContext file{scan::FileCheckContext{ctx_.Signatures, icon, targets_},
                                detections,
                                silent,
                                deleter,
                                logLines,
                                longPaths_,
                                clock_,
                                detectionCount,
                                false,
                                ctx_.CleanAll};
  scan::RegistryProcessGuard guard(platform::NativeRegistry());
  platform::NativeTwoButtonQuestion question(owner);
  scan::ProcessCheckContext check{file,     guard, platform::NativeProcessFreezer(), question,
                                  platform::NativeProcessTerminator(), view, Utf8(ctx_.ProgramTitle)};
  scan::ProcessCheck processCheck(check);
  scan::ScanLogProcessLines processLines(Log());
  scan::ProcessWalkContext walk{platform::NativeProcessList(), platform::WindowsFolder(), view, processLines};
  scan::WalkProcesses(walk, &processCheck);
  ApplyBoard(board_.Take(), true);
}

void ScanPage::ApplyOutcome(int row, const ActionOutcome& outcome) {
  if (outcome.newState) list_.SetState(row, *outcome.newState);
  if (outcome.clearSelection) list_.SetSelected(row, false);
  if (!outcome.statusText.empty()) SetStatus(Wide(outcome.statusText), outcome.statusColour);
}

}  // namespace

HWND CreateScanPageWith(HWND parent, AppContext& ctx, PageServices services) {
  auto* page = new ScanPage(ctx, services);
  HWND hwnd = page->Make(parent);
  if (hwnd == nullptr) delete page;
  return hwnd;
}

}  // namespace scan_page

HWND CreateScanPage(HWND parent, AppContext& ctx) { return scan_page::CreateScanPageWith(parent, ctx, {}); }

void ScanContextMenu(HWND scanPage, const std::wstring& target) {
  if (auto* page = scan_page::WindowBase::FromHandle<scan_page::ScanPage>(scanPage)) page->ContextMenuScan(target);
}

bool ScanIsRunning(HWND scanPage) {
  auto* page = scan_page::WindowBase::FromHandle<scan_page::ScanPage>(scanPage);
  return page != nullptr && page->Busy();
}

void RunProcessScan(HWND scanPage, HWND owner, const std::function<void(const std::wstring&)>& showPath) {
  if (auto* page = scan_page::WindowBase::FromHandle<scan_page::ScanPage>(scanPage)) page->ProcessScan(owner, showPath);
}

void StopScan(HWND scanPage) {
  if (auto* page = scan_page::WindowBase::FromHandle<scan_page::ScanPage>(scanPage)) page->Stop();
}

}  // namespace kestro::app
