// The update page window: a title, the versions in use, the text box txtInfo,
// the progress bar progUpd and "&Update Now". The rules live in
// update::UpdateFlow; this window only builds the controls, lays them out and
// passes clicks and download events on.
#include "app/update_page/update_page.hpp"

#include <commctrl.h>
#include <shlobj.h>

#include <memory>

#include "app/update_page/inet_probe.hpp"
#include "app/update_page/page_text.hpp"
#include "app/update_page/update_page_view.hpp"
#include "app/win32/ui_theme.hpp"
#include "engine/identity.hpp"
#include "platform/registry.hpp"
#include "sigdb/database_date.hpp"
#include "sigdb/database_loader.hpp"
#include "update/native_downloader.hpp"
#include "update/update_files.hpp"
#include "update/update_flow.hpp"
#include "update/update_server.hpp"
#include "update/win32/background_downloader.hpp"

namespace kestro::update_page {
namespace {

namespace ui = app::ui;

constexpr wchar_t kClassName[] = L"KestroUpdatePage";
// The background downloader's events: progress, then finished.
constexpr UINT kDownloadMessage = WM_APP + 0x40;

// Layout in dialog units of the page font (the margins match the other pages' 24 pixels at 96 dpi).
constexpr int kMarginX = 16;
constexpr int kMarginY = 14;
constexpr int kTitleHeight = 16;
constexpr int kLineHeight = 10;
constexpr int kGap = 4;
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 15;
constexpr int kBarHeight = 9;

// Answers the probe the host supplied.
class HostProbe final : public update::ConnectivityProbe {
 public:
  explicit HostProbe(std::function<bool()> probe) : probe_(std::move(probe)) {}
  bool IsConnected() override { return probe_(); }

 private:
  std::function<bool()> probe_;
};

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// The program's type face: "Segoe UI" where the system has it, otherwise "Tahoma".
HFONT MakeFont(int points, int weight) {
  HDC dc = GetDC(nullptr);
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(query.lfFaceName, L"Segoe UI");
  bool found = false;
  EnumFontFamiliesExW(dc, &query, FontFound, reinterpret_cast<LPARAM>(&found), 0);
  const int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(nullptr, dc);
  return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                     found ? L"Segoe UI" : L"Tahoma");
}

std::filesystem::path ApplicationDataFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
  return folder;
}

class Page {
 public:
  Page(HWND window, const UpdatePageHost& host) : window_(window), host_(host) {}
  ~Page() {
    if (titleFont_ != nullptr) DeleteObject(titleFont_);
    if (textFont_ != nullptr) DeleteObject(textFont_);
    if (whiteBrush_ != nullptr) DeleteObject(whiteBrush_);
  }
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  void Create();
  void Layout(int width, int height);
  void RunCheck();
  void DownloadEvent(WPARAM which);
  LRESULT ColorStatic(HDC dc, HWND control) const;
  void ShowAndFocus() const;

 private:
  HWND MakeControl(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int id, HFONT font);
  int X(int dialogUnits) const { return MulDiv(dialogUnits, baseX_, 4); }
  int Y(int dialogUnits) const { return MulDiv(dialogUnits, baseY_, 8); }
  std::wstring SummaryText() const;
  const sigdb::DatabaseValues& LoadedValues() const {
    return host_.databaseValues != nullptr ? *host_.databaseValues : ownValues_;
  }
  HWND Owner() const {
    return host_.mainWindow != nullptr ? host_.mainWindow : GetAncestor(window_, GA_ROOT);
  }

  HWND window_;
  UpdatePageHost host_;
  HFONT titleFont_ = nullptr;
  HFONT textFont_ = nullptr;
  HBRUSH whiteBrush_ = nullptr;
  int baseX_ = 6;
  int baseY_ = 13;
  HWND title_ = nullptr;
  HWND summary_ = nullptr;
  HWND note_ = nullptr;
  PageControls controls_;
  HWND updateNow_ = nullptr;

  sigdb::DatabaseValues ownValues_;  // read from DB_0x.avn when the host gives no values
  std::unique_ptr<update::ConnectivityProbe> probe_;
  std::unique_ptr<update::UrlDownloader> downloader_;
  std::unique_ptr<update::win32::WindowDownloader> background_;
  std::unique_ptr<PageView> view_;
  std::unique_ptr<update::UpdateFlow> flow_;
};

HWND Page::MakeControl(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int id,
                       HFONT font) {
  HWND control =
      CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

std::wstring Page::SummaryText() const {
  const std::wstring version =
      host_.engineVersion.empty() ? WideFromAnsi(engine::kVersion) : host_.engineVersion;
  std::wstring text = L"Program version " + version + L"     Signature databases: ";
  const sigdb::DatabaseValues& values = LoadedValues();
  if (!values.DatabaseDate) return text + L"no date (out of date)";
  text += WideFromAnsi(values.DatabaseVersion) + L", dated " +
          WideFromAnsi(sigdb::FormatDatabaseDate(*values.DatabaseDate));
  if (sigdb::DatabaseAgeRule(values, sigdb::LocalToday())) text += L" (out of date)";
  return text;
}

void Page::Create() {
  if (host_.databaseValues == nullptr) {
    // The header of the databases as they are at start, as the program loaded them.
    sigdb::SignatureList list;
    sigdb::LoadDatabaseFile(host_.programFolder / "DB_0x.avn", sigdb::DatabaseKind::FileChecksum, list,
                            ownValues_);
  }
  textFont_ = MakeFont(9, FW_NORMAL);
  titleFont_ = MakeFont(13, FW_BOLD);
  whiteBrush_ = CreateSolidBrush(ui::kPageBackground);

  // Dialog base units of the text font, so the layout follows the font.
  HDC dc = GetDC(window_);
  HGDIOBJ old = SelectObject(dc, textFont_);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SIZE size{};
  GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
  SelectObject(dc, old);
  ReleaseDC(window_, dc);
  baseX_ = (size.cx / 26 + 1) / 2;
  baseY_ = tm.tmHeight;

  title_ = MakeControl(L"STATIC", L"Program and Database Update", SS_LEFT | SS_NOPREFIX, 0, -1, titleFont_);
  summary_ =
      MakeControl(L"STATIC", SummaryText().c_str(), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, -1, textFont_);
  note_ = MakeControl(L"STATIC",
                      L"Update Now checks the update server: out-of-date signature databases are downloaded, "
                      L"verified and replaced together; a newer program version is downloaded and offered.",
                      SS_LEFT | SS_NOPREFIX, 0, -1, textFont_);
  controls_.info =
      MakeControl(L"EDIT", L"", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                  WS_EX_CLIENTEDGE, kIdInfo, textFont_);
  SendMessageW(controls_.info, EM_SETLIMITTEXT, 0, 0);
  controls_.progressText = MakeControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0, kIdProgressText, textFont_);
  controls_.progress = MakeControl(PROGRESS_CLASSW, L"", PBS_SMOOTH, 0, kIdProgress, textFont_);
  updateNow_ = MakeControl(L"BUTTON", L"&Update Now", BS_PUSHBUTTON | WS_TABSTOP, 0, kIdUpdateNow, textFont_);

  const std::wstring server = host_.serverBase.empty() ? UpdateServerAddress() : host_.serverBase;
  update::UpdateSettings settings;
  settings.serverBase = NarrowFrom(server, CP_UTF8);
  settings.programFolder = host_.programFolder;
  settings.appDataFolder = host_.appDataFolder.empty() ? ApplicationDataFolder() : host_.appDataFolder;
  settings.programName = AnsiFrom(host_.programTitle);
  settings.localVersion =
      host_.engineVersion.empty() ? std::string(engine::kVersion) : AnsiFrom(host_.engineVersion);

  if (host_.connectivityProbe)
    probe_ = std::make_unique<HostProbe>(host_.connectivityProbe);
  else
    probe_ = std::make_unique<InetProbe>(host_.programFolder);
  downloader_ = update::MakeNativeDownloader();
  background_ = std::make_unique<update::win32::WindowDownloader>(window_, kDownloadMessage);
  view_ = std::make_unique<PageView>(controls_, Owner(), host_.programTitle);
  update::UpdateServices services{*probe_,
                                  *downloader_,
                                  *background_,
                                  update::NativeUpdateFiles(),
                                  *view_,
                                  LoadedValues(),
                                  [] { return sigdb::LocalToday(); },
                                  host_.databasesReplaced};
  flow_ = std::make_unique<update::UpdateFlow>(std::move(settings), std::move(services));
}

void Page::Layout(int width, int height) {
  const int left = X(kMarginX);
  const int inner = std::max(0, width - 2 * left);
  int y = Y(kMarginY);
  MoveWindow(title_, left, y, inner, Y(kTitleHeight), TRUE);
  y += Y(kTitleHeight) + Y(kGap);
  MoveWindow(summary_, left, y, inner, Y(kLineHeight), TRUE);
  y += Y(kLineHeight);
  MoveWindow(note_, left, y, inner, Y(2 * kLineHeight), TRUE);
  y += Y(2 * kLineHeight) + Y(kGap);

  const int bottomRow = height - Y(kMarginY) - Y(kButtonHeight);
  const int textBottom = bottomRow - Y(kGap) - Y(kLineHeight);
  MoveWindow(controls_.info, left, y, inner, std::max(0, textBottom - y - Y(kGap)), TRUE);
  MoveWindow(controls_.progressText, left, textBottom, inner, Y(kLineHeight), TRUE);
  const int barWidth = std::max(0, inner - X(kButtonWidth) - X(kGap * 2));
  MoveWindow(controls_.progress, left, bottomRow + (Y(kButtonHeight) - Y(kBarHeight)) / 2, barWidth,
             Y(kBarHeight), TRUE);
  MoveWindow(updateNow_, left + inner - X(kButtonWidth), bottomRow, X(kButtonWidth), Y(kButtonHeight), TRUE);
}

void Page::RunCheck() {
  // The check blocks this thread during its downloads; a second click waits.
  EnableWindow(updateNow_, FALSE);
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  flow_->Run();
  SetCursor(previous);
  EnableWindow(updateNow_, TRUE);
  SetWindowTextW(summary_, SummaryText().c_str());
}

void Page::DownloadEvent(WPARAM which) {
  if (which == 0) {
    const auto progress = background_->TakeProgress();
    flow_->OnDownloadProgress(progress.received, progress.total, progress.destination);
    return;
  }
  const auto finished = background_->TakeFinished();
  if (!finished) return;
  if (finished->complete)
    flow_->OnDownloadComplete(finished->total, finished->destination);
  else
    flow_->OnDownloadError(finished->destination, finished->reason);
}

LRESULT Page::ColorStatic(HDC dc, HWND control) const {
  const bool muted = control == note_ || control == controls_.progressText;
  SetBkColor(dc, ui::kPageBackground);
  SetTextColor(dc, muted ? ui::kTextMuted : ui::kText);
  return reinterpret_cast<LRESULT>(whiteBrush_);
}

void Page::ShowAndFocus() const {
  SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetFocus(updateNow_);
}

Page* PageOf(HWND window) {
  return reinterpret_cast<Page*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Page* page = PageOf(window);
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      const auto* host = static_cast<const UpdatePageHost*>(create->lpCreateParams);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Page(window, *host)));
      break;
    }
    case WM_CREATE:
      page->Create();
      return 0;
    case WM_SIZE:
      if (page != nullptr) page->Layout(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_COMMAND:
      if (page != nullptr && LOWORD(wParam) == kIdUpdateNow && HIWORD(wParam) == BN_CLICKED) page->RunCheck();
      return 0;
    case kDownloadMessage:
    case kDownloadMessage + 1:
      if (page != nullptr) page->DownloadEvent(message - kDownloadMessage);
      return 0;
    case WM_CTLCOLORSTATIC:
      if (page != nullptr)
        return page->ColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      break;
    case WM_NCDESTROY:
      delete page;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // No exception may cross into the system.
  try {
    return HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    return message == WM_NCCREATE ? FALSE : DefWindowProcW(window, message, wParam, lParam);
  }
}

void RegisterPageClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PageProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

HWND CreateUpdatePage(HWND parent, const UpdatePageHost& host) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterPageClass();
  return CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"Update", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0,
                         parent, nullptr, GetModuleHandleW(nullptr), const_cast<UpdatePageHost*>(&host));
}

void ShowUpdate(HWND updatePage) {
  if (Page* page = PageOf(updatePage)) page->ShowAndFocus();
}

std::wstring UpdateServerAddress() {
  return WideFrom(update::ConfiguredUpdateServer(platform::NativeRegistry()), CP_UTF8);
}

}  // namespace kestro::update_page
