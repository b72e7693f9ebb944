// The process manager panel: lstProcess drawn from the process rows, the
// "Process Information" box below it and the pop-up menu mnuT.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>

#include "systools/path_normalise.hpp"
#include "systools/process_model.hpp"
#include "systools/win32/file_properties.hpp"
#include "systools/win32/list_view.hpp"
#include "systools/win32/module_window.hpp"
#include "systools/win32/panel_ids.hpp"
#include "systools/win32/process_tools.hpp"
#include "systools/win32/tools_panels.hpp"
#include "systools/win32/ui_style.hpp"
#include "systools/win32/window_base.hpp"

namespace kestro::systools {
namespace {

constexpr UINT kMsgShowInfo = WM_APP + 50;  // fill the information box for the selected row

// The system's Run dialog, shell32 export number 61.
using RunFileDialogFn = void(WINAPI*)(HWND, HICON, LPCWSTR, LPCWSTR, LPCWSTR, UINT);

void ShowRunDialog(HWND owner) {
  HMODULE shell = GetModuleHandleW(L"shell32.dll");
  if (shell == nullptr) shell = LoadLibraryW(L"shell32.dll");
  if (shell == nullptr) return;
  const auto runFileDialog =
      reinterpret_cast<RunFileDialogFn>(reinterpret_cast<void*>(GetProcAddress(shell, MAKEINTRESOURCEA(61))));
  if (runFileDialog == nullptr) return;
  runFileDialog(owner, nullptr, nullptr, L"Create Process ...",
                L"Type the name of a program, folder, document, or Internet resource.", 0);
}

UINT MenuFlags(bool enabled) { return static_cast<UINT>(MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED)); }

std::wstring Trimmed(const std::wstring& text) {
  const std::size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

class ProcessPanel final : public ToolWindow {
 public:
  explicit ProcessPanel(const ToolsPanelHost& host) : host_(host) {}

  HWND Make(HWND parent) {
    return Create(L"KestroProcessManagerPanel", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                  L"", 0, 0, 0, 0, parent, nullptr, true);
  }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CREATE:
        OnCreate();
        return 0;
      case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        return 0;
      case WM_PAINT:
        Paint();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
      case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
      case kMsgShowInfo:
        ShowInformation();
        return 0;
      case kMsgPrepareMenu:
        PrepareMenu();
        return reinterpret_cast<LRESULT>(menu_);
      case kMsgOpenDetail:
        return reinterpret_cast<LRESULT>(OpenDetail());
      case WM_DESTROY:
        if (menuBar_ != nullptr) DestroyMenu(menuBar_);
        menuBar_ = menu_ = nullptr;
        return 0;
      default:
        return Default(message, wParam, lParam);
    }
  }

 private:
  void OnCreate() {
    list_ = CreateReportList(hwnd(), kIdProcessList, LVS_SHAREIMAGELISTS);
    static constexpr ListColumn kColumns[] = {
        {kProcessColumns[0].heading, false, 120}, {kProcessColumns[1].heading, false, 260},
        {kProcessColumns[2].heading, true, 100},  {kProcessColumns[3].heading, true, 70},
        {kProcessColumns[4].heading, true, 50},   {kProcessColumns[5].heading, true, 90},
    };
    AddColumns(list_, kColumns);
    ListView_SetImageList(list_, SystemImageList(true), LVSIL_SMALL);
    BuildMenu();
    Refresh();
  }

  void BuildMenu() {
    // "&Processes / Tools" (mnuT) in its order; the bar keeps the pop-up alive.
    menuBar_ = CreateMenu();
    menu_ = CreatePopupMenu();
    HMENU actions = CreatePopupMenu();
    AppendMenuW(actions, MF_STRING, kCmdSuspendProcess, L"Suspend Process");
    AppendMenuW(actions, MF_STRING, kCmdResumeProcess, L"Resume Process");
    AppendMenuW(actions, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(actions, MF_STRING, kCmdEndProcess, L"End Process");
    priorityMenu_ = CreatePopupMenu();
    for (const PriorityItem& item : kPriorityItems) {
      AppendMenuW(priorityMenu_, MF_STRING, static_cast<UINT_PTR>(kCmdPriorityBase + item.index), item.caption);
    }
    AppendMenuW(menu_, MF_STRING, kCmdCreateProcess, L"Create Process");
    AppendMenuW(menu_, MF_STRING, kCmdRefreshProcess, L"Refresh Process");
    AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(actions), L"Actions");
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(priorityMenu_), L"Set Priority");
    AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_, MF_STRING, kCmdProcessInformation, L"Process Information");
    AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_, MF_STRING, kCmdExplore, L"Explore ...");
    AppendMenuW(menu_, MF_STRING, kCmdProperties, L"Properties");
    SetMenuDefaultItem(menu_, kCmdProcessInformation, FALSE);
    AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(menu_), L"&Processes / Tools");
    actionsMenu_ = actions;
  }

  HWND Root() const { return GetAncestor(hwnd(), GA_ROOT); }
  HWND Owner() const { return host_.mainWindow != nullptr ? host_.mainWindow : Root(); }

  void Layout(int width, int height) {
    const ui::DialogUnits du = ui::DialogUnits::ForBodyFont();
    const int margin = du.X(6);
    infoHeight_ = du.Y(40);
    infoRect_ = {margin, height - margin - infoHeight_, width - margin, height - margin};
    MoveWindow(list_, margin, margin, std::max(0, width - 2 * margin),
               std::max(0, static_cast<int>(infoRect_.top) - margin - du.Y(4)), TRUE);
    if (!sized_ && width > 0) {
      // The first real size: fit the columns to it.
      sized_ = true;
      FitColumns();
    }
    InvalidateRect(hwnd(), nullptr, TRUE);
  }

  // The rows, rebuilt from a new snapshot. The selection follows its processes.
  void Refresh() {
    std::vector<std::uint32_t> selectedPids;
    for (const int row : SelectedRows(list_)) {
      if (static_cast<std::size_t>(row) < rows_.size()) selectedPids.push_back(rows_[static_cast<std::size_t>(row)].pid);
    }
    ProcessListing listing = ListProcesses();
    rows_ = std::move(listing.rows);
    icons_.clear();
    for (const ProcessRow& row : rows_) icons_.push_back(SystemIconIndex(row.path, true));
    SetCallbackRows(list_, rows_.size());
    FitColumns();
    // Selecting the same processes again is not a new choice of the user's: it
    // does not refill the information box (which could refresh again).
    restoringSelection_ = true;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (std::find(selectedPids.begin(), selectedPids.end(), rows_[i].pid) != selectedPids.end()) {
        ListView_SetItemState(list_, static_cast<int>(i), LVIS_SELECTED, LVIS_SELECTED);
      }
    }
    restoringSelection_ = false;
    for (std::size_t i = 0; i < listing.signatureStates.size(); ++i) {
      ReportSignatureState(Owner(), host_.programTitle, static_cast<SignatureState>(listing.signatureStates[i]));
    }
  }

  // "Process Name", "Directory", "Size" and "PID" fitted to their contents;
  // a very long name and then the path give way so the other columns show.
  void FitColumns() {
    const ui::DialogUnits du = ui::DialogUnits::ForBodyFont();
    for (const int column : {0, 1, 3, 4}) FitColumn(list_, column);
    if (ListView_GetColumnWidth(list_, 0) > du.X(80)) ListView_SetColumnWidth(list_, 0, du.X(80));
    ShrinkToFit(list_, static_cast<int>(ProcessColumn::Directory), du.X(90));
  }

  const ProcessRow* SelectedProcess() const {
    const int row = SelectedRow(list_);
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return nullptr;
    return &rows_[static_cast<std::size_t>(row)];
  }

  LRESULT OnNotify(NMHDR* header) {
    if (header->idFrom != kIdProcessList) return 0;
    switch (header->code) {
      case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        const auto index = static_cast<std::size_t>(info->item.iItem);
        if (index >= rows_.size()) return 0;
        if ((info->item.mask & LVIF_TEXT) != 0 && info->item.cchTextMax > 0) {
          const std::wstring text = ProcessCellText(rows_[index], static_cast<ProcessColumn>(info->item.iSubItem));
          lstrcpynW(info->item.pszText, text.c_str(), info->item.cchTextMax);
        }
        if ((info->item.mask & LVIF_IMAGE) != 0) info->item.iImage = icons_[index];
        return 0;
      }
      case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if (!restoringSelection_ && (change->uNewState & LVIS_SELECTED) != 0 &&
            (change->uOldState & LVIS_SELECTED) == 0) {
          PostMessageW(hwnd(), kMsgShowInfo, 0, 0);
        }
        return 0;
      }
      case NM_RCLICK:
        ShowMenu();
        return 0;
      case NM_DBLCLK:
        if (SelectedProcess() != nullptr) OnCommand(kCmdProcessInformation);
        return 0;
      case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
        if (key == VK_DELETE) OnCommand(kCmdEndProcess);
        if (key == VK_F5) OnCommand(kCmdRefreshProcess);
        if (key == VK_RETURN) OnCommand(kCmdProcessInformation);
        return 0;
      }
      default:
        return 0;
    }
  }

  void PrepareMenu() {
    const ProcessRow* process = SelectedProcess();
    exploreTarget_ = process != nullptr ? process->path : std::wstring{};
    const std::optional<DWORD> priorityClass = process != nullptr ? ProcessPriorityClass(process->pid) : std::nullopt;
    const std::optional<int> checked = priorityClass ? CheckedPriorityItem(*priorityClass) : std::nullopt;
    for (const PriorityItem& item : kPriorityItems) {
      CheckMenuItem(priorityMenu_, static_cast<UINT>(kCmdPriorityBase + item.index),
                    static_cast<UINT>(MF_BYCOMMAND | (checked == item.index ? MF_CHECKED : MF_UNCHECKED)));
    }
    EnableMenuItem(actionsMenu_, kCmdSuspendProcess, MenuFlags(suspendState_.suspendEnabled));
    EnableMenuItem(actionsMenu_, kCmdResumeProcess, MenuFlags(suspendState_.resumeEnabled));
    SetMenuDefaultItem(menu_, kCmdProcessInformation, FALSE);
  }

  void ShowMenu() {
    if (ListView_GetItemCount(list_) == 0) return;
    PrepareMenu();
    POINT at{};
    GetCursorPos(&at);
    TrackPopupMenuEx(menu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, hwnd(), nullptr);
  }

  void OnCommand(int command) {
    if (command > kCmdPriorityBase && command <= kCmdPriorityBase + 4) {
      SetPriority(command - kCmdPriorityBase);
      return;
    }
    const ProcessRow* process = SelectedProcess();
    switch (command) {
      case kCmdCreateProcess:
        ShowRunDialog(Owner());
        break;
      case kCmdRefreshProcess:
        Refresh();
        break;
      case kCmdSuspendProcess:
        if (process != nullptr) SuspendProcessThreads(process->pid, process->creationTime, false);
        suspendState_.AfterSuspend();
        break;
      case kCmdResumeProcess:
        if (process != nullptr) SuspendProcessThreads(process->pid, process->creationTime, true);
        suspendState_.AfterResume();
        break;
      case kCmdEndProcess:
        EndProcess();
        break;
      case kCmdProcessInformation:
        OpenDetail();
        break;
      case kCmdExplore:
        if (!Trimmed(exploreTarget_).empty()) {
          const std::wstring parameters = L"/select, \"" + exploreTarget_ + L"\"";
          ShellExecuteW(Owner(), L"open", L"explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL);
        }
        break;
      case kCmdProperties:
        if (process != nullptr) ShowFileProperties(Owner(), process->path);
        break;
      default:
        break;
    }
  }

  void EndProcess() {
    const ProcessRow* process = SelectedProcess();
    if (process == nullptr) return;
    // Copies: the list may be rebuilt while the question is open.
    const ProcessRow target = *process;
    const std::wstring question = TerminateQuestion(target.path);
    if (MessageBoxW(Owner(), question.c_str(), host_.programTitle.c_str(), MB_YESNO | MB_ICONWARNING) != IDYES) return;
    if (target.name.empty()) return;
    TerminateProcessById(target.pid, target.creationTime);
    Refresh();
  }

  void SetPriority(int itemIndex) {
    for (const PriorityItem& item : kPriorityItems) {
      if (item.index != itemIndex) continue;
      for (const int row : SelectedRows(list_)) {
        if (static_cast<std::size_t>(row) >= rows_.size()) continue;
        const ProcessRow& process = rows_[static_cast<std::size_t>(row)];
        SetProcessPriority(process.pid, process.creationTime, item.priorityClass);
      }
    }
    Refresh();
  }

  HWND OpenDetail() {
    const ProcessRow* process = SelectedProcess();
    if (process == nullptr) return nullptr;
    return ShowProcessDetail(Owner(), host_.programTitle, process->path, process->pid);
  }

  void ShowInformation() {
    const ProcessRow* process = SelectedProcess();
    if (process == nullptr) return;
    const std::wstring path = process->path;
    if (path.empty() || !FileExists(path)) {
      infoPath_.clear();
      InvalidateRect(hwnd(), &infoRect_, FALSE);
      MessageBoxW(Owner(), FileNotFoundText(path).c_str(), host_.programTitle.c_str(), MB_OK | MB_ICONERROR);
      Refresh();
      return;
    }
    infoPath_ = path;
    infoVersion_ = ReadVersionRecord(path);
    InvalidateRect(hwnd(), &infoRect_, FALSE);
  }

  void Paint() {
    ui::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) {
      ui::FillSolid(dc, client, ui::kPageBackground);
      const ui::DialogUnits du = ui::DialogUnits::ForBodyFont();
      ui::FillSolid(dc, infoRect_, ui::kCardBackground);
      ui::FrameSolid(dc, infoRect_, ui::kRule);
      const int pad = du.X(4);
      RECT title = {infoRect_.left + pad, infoRect_.top + du.Y(2), infoRect_.right - pad, infoRect_.top + du.Y(11)};
      ui::DrawTextIn(dc, L"Process Information", title, ui::Font::BodyBold, ui::kText);
      const int iconTop = static_cast<int>(title.bottom) + du.Y(2);
      const int textLeft = infoRect_.left + pad + 32 + du.X(6);
      const int line = du.Y(9);
      if (infoPath_.empty()) {
        RECT hint = {infoRect_.left + pad, iconTop, infoRect_.right - pad, iconTop + line};
        ui::DrawTextIn(dc, L"Select a process to see its file details. Right-click a process for its actions.", hint,
                       ui::Font::Body, ui::kTextMuted);
        return;
      }
      DrawFileIcon(dc, infoPath_, infoRect_.left + pad, iconTop);
      const std::wstring lines[3] = {infoVersion_[VersionField::CompanyName], infoPath_,
                                     infoVersion_[VersionField::FileDescription]};
      for (int i = 0; i < 3; ++i) {
        RECT r = {textLeft, iconTop + i * line - du.Y(1), infoRect_.right - pad, iconTop + (i + 1) * line - du.Y(1)};
        ui::DrawTextIn(dc, lines[i], r, i == 0 ? ui::Font::BodyBold : ui::Font::Body, i == 1 ? ui::kText : ui::kTextMuted,
                       DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
      }
    });
  }

  ToolsPanelHost host_;
  HWND list_ = nullptr;
  HMENU menuBar_ = nullptr;
  HMENU menu_ = nullptr;
  HMENU actionsMenu_ = nullptr;
  HMENU priorityMenu_ = nullptr;
  std::vector<ProcessRow> rows_;
  std::vector<int> icons_;
  SuspendMenuState suspendState_;
  std::wstring exploreTarget_;
  bool sized_ = false;
  bool restoringSelection_ = false;
  RECT infoRect_{};
  int infoHeight_ = 0;
  std::wstring infoPath_;
  VersionRecord infoVersion_;
};

}  // namespace

HWND CreateProcessManagerPanel(HWND parent, const ToolsPanelHost& host) {
  EnableDebugPrivilege();
  return (new ProcessPanel(host))->Make(parent);
}

}  // namespace kestro::systools
