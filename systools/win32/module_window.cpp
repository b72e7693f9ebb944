#include "systools/win32/module_window.hpp"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "systools/path_normalise.hpp"
#include "systools/process_model.hpp"
#include "systools/size_text.hpp"
#include "systools/win32/file_properties.hpp"
#include "systools/win32/list_view.hpp"
#include "systools/win32/panel_ids.hpp"
#include "systools/win32/process_tools.hpp"
#include "systools/win32/ui_style.hpp"
#include "systools/win32/window_base.hpp"

namespace kestro::systools {
namespace {

constexpr int kIdFileName = 1399;

// 8,550 x 6,690 twips.
constexpr int kWindowWidth = 570;
constexpr int kWindowHeight = 446;

struct DetailField {
  const wchar_t* heading;
  int id;
};
constexpr DetailField kFields[] = {
    {L"Path", kIdDetailPath},
    {L"Process ID", kIdDetailPid},
    {L"Version", kIdDetailVersion},
    {L"Size", kIdDetailSize},
    {L"Build Date", kIdDetailBuildDate},
    {L"User Name", kIdDetailUserName},
    {L"Parent PID", kIdDetailParentPid},
    {L"Parent Name", kIdDetailParentName},
};

class ModuleWindow final : public ToolWindow {
 public:
  ModuleWindow(std::wstring path, DWORD pid) : path_(std::move(path)), pid_(pid) {}

  HWND Make(HWND owner) {
    RECT frame = {0, 0, kWindowWidth, kWindowHeight};
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    if (owner != nullptr && GetWindowRect(owner, &frame)) {
      x = std::max(0L, frame.left + (frame.right - frame.left - kWindowWidth) / 2);
      y = std::max(0L, frame.top + (frame.bottom - frame.top - kWindowHeight) / 2);
    }
    return Create(L"KestroProcessDetail", WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, L"Process Detail Info", x, y,
                  kWindowWidth, kWindowHeight, owner, nullptr, true);
  }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CREATE:
        OnCreate();
        return 0;
      case WM_PAINT:
        Paint();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        SetBkColor(dc, ui::kPageBackground);
        SetTextColor(dc, IsHeading(id) ? ui::kTextMuted : ui::kText);
        return reinterpret_cast<LRESULT>(ui::SolidBrush(ui::kPageBackground));
      }
      case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom == kIdModuleList && header->code == LVN_GETDISPINFOW) FillModuleCell(header);
        return 0;
      }
      case WM_LBUTTONDOWN: {
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        for (int page = 0; page < 2; ++page) {
          if (PtInRect(&tabRects_[page], at)) ShowPage(page);
        }
        return 0;
      }
      case kMsgShowDetailPage:
        ShowPage(wParam == 1 ? 1 : 0);
        return 0;
      case WM_COMMAND:
        if (LOWORD(wParam) == kIdDetailClose) DestroyWindow(hwnd());
        return 0;
      case WM_CLOSE:
        DestroyWindow(hwnd());
        return 0;
      case WM_DESTROY:
        for (HICON icon : {fileIcon_, signatureIcon_, emptyIcon_}) {
          if (icon != nullptr) DestroyIcon(icon);
        }
        return 0;
      default:
        return Default(message, wParam, lParam);
    }
  }

 private:
  // Headings and the two version lines are muted; values and the file name are not.
  static bool IsHeading(int id) { return id == -1 || id == kIdDetailCompany || id == kIdDetailDescription; }

  HWND Static(const wchar_t* text, int id, DWORD style = SS_LEFT | SS_NOPREFIX,
              ui::Font font = ui::Font::Body) {
    HWND control = CreateWindowExW(0, L"STATIC", text, WS_CHILD | style, 0, 0, 0, 0, hwnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    ui::UseFont(control, font);
    return control;
  }

  void OnCreate() {
    const ui::DialogUnits du = ui::DialogUnits::ForBodyFont();
    RECT client;
    GetClientRect(hwnd(), &client);
    const int margin = du.X(7);

    // The two page tabs are drawn by the window itself: a text each, the
    // current one bold and underlined in the accent colour.
    const int tabTop = du.Y(5);
    const int tabHeight = du.Y(14);
    tabRects_[0] = {margin, tabTop, margin + du.X(40), tabTop + tabHeight};
    tabRects_[1] = {tabRects_[0].right, tabTop, tabRects_[0].right + du.X(44), tabTop + tabHeight};
    pageTop_ = tabTop + tabHeight + du.Y(1);

    const HWND close = CreateWindowExW(
        0, L"BUTTON", L"Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
        client.right - margin - du.X(50), client.bottom - du.Y(7) - du.Y(14), du.X(50), du.Y(14), hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdDetailClose)), GetModuleHandleW(nullptr), nullptr);
    ui::UseFont(close);
    pageBottom_ = client.bottom - du.Y(7) - du.Y(14) - du.Y(5);
    pageRect_ = {margin, pageTop_, client.right - margin, pageBottom_};

    FillDetails(du);
    FillModules(du);
    SetWindowTextW(hwnd(), DetailWindowTitle(path_, pid_).c_str());
    ShowPage(0);
  }

  void FillDetails(const ui::DialogUnits& du) {
    const VersionRecord version = ReadVersionRecord(path_);
    const ProcessDetail detail = ReadProcessDetail(pid_);
    const SignatureState signature = TestEmbeddedSignature(path_);
    const bool isSigned = EmbeddedSignatureValue(signature) == 1;

    const int left = pageRect_.left + du.X(8);
    const int right = pageRect_.right - du.X(8);
    int y = pageRect_.top + du.Y(8);

    // The file's icon, its name and the two further version lines.
    SHFILEINFOW info{};
    if (SHGetFileInfoW(path_.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_LARGEICON) != 0)
      fileIcon_ = info.hIcon;
    HWND icon = Static(L"", -1, SS_ICON | SS_REALSIZEIMAGE);
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(fileIcon_), 0);
    page0_.push_back(icon);
    MoveWindow(icon, left, y, 32, 32, FALSE);
    const int textLeft = left + 32 + du.X(8);
    page0_.push_back(Place(Static(FileNameOf(path_).c_str(), kIdFileName,
                                  SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ui::Font::Heading),
                           textLeft, y - du.Y(1), right - textLeft, du.Y(11)));
    page0_.push_back(Place(Static(version[VersionField::CompanyName].c_str(), kIdDetailCompany,
                                  SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS),
                           textLeft, y + du.Y(10), right - textLeft, du.Y(9)));
    page0_.push_back(Place(Static(version[VersionField::FileDescription].c_str(), kIdDetailDescription,
                                  SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS),
                           textLeft, y + du.Y(19), right - textLeft, du.Y(9)));
    y += du.Y(34);
    ruleY_[0] = y;
    y += du.Y(6);

    const std::wstring values[] = {
        path_,
        std::to_wstring(pid_),
        version[VersionField::FileVersion],
        FileSizeText(path_),
        FileCreationText(path_),
        detail.ownerAccount,
        std::to_wstring(detail.parentPid),
        ParentNameText(detail.parentName),
    };
    const int headingWidth = du.X(56);
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
      page0_.push_back(Place(Static(kFields[i].heading, -1), left, y, headingWidth, du.Y(9)));
      const DWORD style =
          SS_LEFT | SS_NOPREFIX | (kFields[i].id == kIdDetailPath ? SS_PATHELLIPSIS : SS_ENDELLIPSIS);
      page0_.push_back(Place(Static(values[i].c_str(), kFields[i].id, style), left + headingWidth, y,
                             right - left - headingWidth, du.Y(9)));
      y += du.Y(12);
    }
    y += du.Y(2);
    ruleY_[1] = y;
    y += du.Y(7);

    signatureIcon_ = LoadSignatureIcon(isSigned);
    HWND sigIcon = Static(L"", -1, SS_ICON | SS_REALSIZEIMAGE);
    SendMessageW(sigIcon, STM_SETICON, reinterpret_cast<WPARAM>(signatureIcon_), 0);
    page0_.push_back(Place(sigIcon, left, y, 32, 32));
    page0_.push_back(Place(Static(isSigned ? kSignedText : kNotSignedText, kIdDetailSignature), textLeft,
                           y + 16 - du.Y(4), right - textLeft, du.Y(9)));
    if (signature == SignatureState::SignedWithoutSignerSize) pendingSignatureReport_ = true;
  }

  void FillModules(const ui::DialogUnits& du) {
    modules_ = ListModules(pid_);
    descriptions_.clear();
    icons_.clear();
    for (const ModuleEntry& module : modules_) {
      descriptions_.push_back(ReadVersionRecord(module.path)[VersionField::FileDescription]);
      icons_.push_back(SystemIconIndex(module.path, true));
    }
    const int left = pageRect_.left + du.X(8);
    const int right = pageRect_.right - du.X(8);
    const int top = pageRect_.top + du.Y(7);
    page1_.push_back(Place(Static(ModuleCountText(modules_.size()).c_str(), kIdModuleCount,
                                  SS_LEFT | SS_NOPREFIX, ui::Font::BodyBold),
                           left, top, right - left, du.Y(10)));
    moduleList_ = CreateReportList(hwnd(), kIdModuleList, LVS_SHAREIMAGELISTS | LVS_SINGLESEL);
    ShowWindow(moduleList_, SW_HIDE);
    static constexpr ListColumn kColumns[] = {
        {L"Name", false, 120}, {L"Description", false, 170}, {L"Location", false, 300}};
    AddColumns(moduleList_, kColumns);
    ListView_SetImageList(moduleList_, SystemImageList(true), LVSIL_SMALL);
    SetCallbackRows(moduleList_, modules_.size());
    Place(moduleList_, left, top + du.Y(13), right - left, pageRect_.bottom - du.Y(7) - (top + du.Y(13)));
    FitColumn(moduleList_, 0);
    page1_.push_back(moduleList_);

    // The empty state: the list hidden, a picture and "Module not found.".
    emptyIcon_ = CopyIcon(LoadIconW(nullptr, IDI_INFORMATION));
    const int middle = (pageRect_.top + pageRect_.bottom) / 2;
    HWND picture = Static(L"", -1, SS_ICON | SS_REALSIZEIMAGE);
    SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(emptyIcon_), 0);
    emptyState_.push_back(Place(picture, (left + right) / 2 - 16, middle - du.Y(16), 32, 32));
    emptyState_.push_back(Place(Static(L"Module not found.", kIdModuleEmpty, SS_CENTER | SS_NOPREFIX), left,
                                middle + du.Y(8), right - left, du.Y(10)));
  }

  HWND Place(HWND control, int x, int y, int width, int height) {
    MoveWindow(control, x, y, width, height, FALSE);
    return control;
  }

  void ShowPage(int page) {
    page_ = page;
    for (HWND control : page0_) ShowWindow(control, page == 0 ? SW_SHOW : SW_HIDE);
    const bool empty = modules_.empty();
    for (HWND control : page1_) {
      const bool hiddenList = control == moduleList_ && empty;
      ShowWindow(control, page == 1 && !hiddenList ? SW_SHOW : SW_HIDE);
    }
    for (HWND control : emptyState_) ShowWindow(control, page == 1 && empty ? SW_SHOW : SW_HIDE);
    InvalidateRect(hwnd(), nullptr, TRUE);
  }

  void FillModuleCell(NMHDR* header) {
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
    const auto index = static_cast<std::size_t>(info->item.iItem);
    if (index >= modules_.size()) return;
    if ((info->item.mask & LVIF_TEXT) != 0 && info->item.cchTextMax > 0) {
      const std::wstring& text = info->item.iSubItem == 0   ? modules_[index].name
                                 : info->item.iSubItem == 1 ? descriptions_[index]
                                                            : modules_[index].path;
      lstrcpynW(info->item.pszText, text.c_str(), info->item.cchTextMax);
    }
    if ((info->item.mask & LVIF_IMAGE) != 0) info->item.iImage = icons_[index];
  }

  void Paint() {
    ui::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) {
      ui::FillSolid(dc, client, ui::kPageBackground);
      static constexpr const wchar_t* kTabs[] = {L"Details", L"Modules"};
      for (int page = 0; page < 2; ++page) {
        const RECT& tab = tabRects_[page];
        const bool current = page == page_;
        ui::DrawTextIn(dc, kTabs[page], tab, current ? ui::Font::BodyBold : ui::Font::Body,
                       current ? ui::kText : ui::kTextMuted, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (current) {
          const RECT underline = {tab.left + 4, tab.bottom - 3, tab.right - 4, tab.bottom};
          ui::FillSolid(dc, underline, ui::kAccent);
        }
      }
      ui::FrameSolid(dc, pageRect_, ui::kRule);
      if (page_ == 0) {
        for (const int y : ruleY_) {
          RECT rule = {pageRect_.left + 12, y, pageRect_.right - 12, y + 1};
          ui::FillSolid(dc, rule, ui::kRule);
        }
      }
    });
  }

  std::wstring path_;
  DWORD pid_;
  RECT tabRects_[2]{};
  HWND moduleList_ = nullptr;
  std::vector<HWND> page0_, page1_, emptyState_;
  int page_ = 0;
  int pageTop_ = 0, pageBottom_ = 0;
  RECT pageRect_{};
  int ruleY_[2] = {0, 0};
  HICON fileIcon_ = nullptr, signatureIcon_ = nullptr, emptyIcon_ = nullptr;
  std::vector<ModuleEntry> modules_;
  std::vector<std::wstring> descriptions_;
  std::vector<int> icons_;
  bool pendingSignatureReport_ = false;

 public:
  bool pendingSignatureReport() const { return pendingSignatureReport_; }
};

}  // namespace

HWND ShowProcessDetail(HWND owner, const std::wstring& programTitle, const std::wstring& path, DWORD pid) {
  if (static_cast<std::uint64_t>(std::max<std::int64_t>(0, FileSizeForText(path))) > kDetailSizeLimit) {
    MessageBoxW(owner, kTooLargeText, programTitle.c_str(), MB_OK | MB_ICONWARNING);
    return nullptr;
  }
  auto* window = new ModuleWindow(path, pid);
  HWND made = window->Make(owner);
  if (made == nullptr) return nullptr;
  const bool report = window->pendingSignatureReport();
  ShowWindow(made, SW_SHOW);
  if (report) ReportSignatureState(made, programTitle, SignatureState::SignedWithoutSignerSize);
  return made;
}

}  // namespace kestro::systools
