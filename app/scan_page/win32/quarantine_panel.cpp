// The "Quarantine List" panel of the tools page: the containers of the
// quarantine folder, "&Restore" and "&Clean / Delete" (its menu "Selected" and
// "All Selected"). The list is read again after every action.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <memory>

#include "app/scan_page/quarantine_actions.hpp"
#include "app/scan_page/scan_page.hpp"
#include "app/scan_page/win32/page_factory.hpp"
#include "app/scan_page/win32/scan_glue.hpp"
#include "app/scan_page/win32/wide_text.hpp"
#include "app/scan_page/win32/window_base.hpp"
#include "app/win32/ui_theme.hpp"
#include "platform/file_ops.hpp"
#include "platform/processes.hpp"

namespace kestro::app {
namespace scan_page {
namespace {

constexpr int kMenuCleanSelected = 1211;
constexpr int kMenuCleanAll = 1212;

// The panel's questions, asked with the page's dialogs over the main window.
class PanelPrompts final : public QuarantinePrompts {
 public:
  PanelPrompts(PageDialogs& dialogs, HWND owner, std::wstring caption)
      : dialogs_(dialogs), owner_(owner), caption_(std::move(caption)) {}
  std::optional<std::filesystem::path> ChooseFolder(std::string_view title) override {
    const auto folder = dialogs_.ChooseFolder(owner_, Wide(title));
    if (!folder) return std::nullopt;
    return std::filesystem::path(*folder);
  }
  bool AskYesNo(std::string_view text, platform::MessageIcon icon) override {
    return dialogs_.AskYesNo(owner_, caption_, Wide(text), MessageBoxIcon(icon));
  }
  void Show(std::string_view text, platform::MessageIcon icon) override {
    dialogs_.Message(owner_, caption_, Wide(text), MessageBoxIcon(icon));
  }

 private:
  PageDialogs& dialogs_;
  HWND owner_;
  std::wstring caption_;
};

// Message boxes of the store and the delete routine, on the window thread.
class PanelMessages final : public platform::UserMessages {
 public:
  PanelMessages(PageDialogs& dialogs, HWND owner) : dialogs_(dialogs), owner_(owner) {}
  void ShowMessage(const std::string& caption, const std::string& text, platform::MessageIcon icon) override {
    dialogs_.Message(owner_, Wide(caption), Wide(text), MessageBoxIcon(icon));
  }
  bool AskYesNo(const std::string& caption, const std::string& text, platform::MessageIcon icon) override {
    return dialogs_.AskYesNo(owner_, Wide(caption), Wide(text), MessageBoxIcon(icon));
  }

 private:
  PageDialogs& dialogs_;
  HWND owner_;
};

std::wstring SizeText(std::uintmax_t bytes) {
  wchar_t text[64] = {};
  if (bytes < 1024) {
    swprintf(text, 64, L"%llu bytes", static_cast<unsigned long long>(bytes));
  } else if (bytes < 1024 * 1024) {
    swprintf(text, 64, L"%.1f KB", static_cast<double>(bytes) / 1024.0);
  } else {
    swprintf(text, 64, L"%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  }
  return text;
}

std::wstring TimeText(const FILETIME& written) {
  FILETIME local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &time)) return L"";
  wchar_t date[96] = {};
  wchar_t clock[96] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 96);
  GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 96);
  return std::wstring(date) + L" " + clock;
}

class QuarantinePanel final : public WindowBase {
 public:
  QuarantinePanel(AppContext& ctx, PageServices services)
      : ctx_(ctx), dialogs_(services.dialogs != nullptr ? *services.dialogs : SystemDialogs()) {}
  HWND Make(HWND parent) {
    return Create(L"KestroQuarantinePanel", parent, WS_CHILD | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, PageBrush());
  }
  void Refresh();

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnCreate();
  void Layout();
  void OnRestore();
  void OnCleanMenu();
  void OnClean(bool all);
  std::optional<std::filesystem::path> Selected() const;
  HWND Owner() const { return ctx_.MainWindow != nullptr ? ctx_.MainWindow : GetAncestor(Handle(), GA_ROOT); }
  remedy::QuarantineStore Store();

  AppContext& ctx_;
  PageDialogs& dialogs_;
  std::unique_ptr<PanelMessages> messages_;
  std::unique_ptr<remedy::RemedyContext> remedy_;
  std::vector<std::filesystem::path> names_;
  HWND heading_ = nullptr, hint_ = nullptr, list_ = nullptr, count_ = nullptr, restore_ = nullptr, clean_ = nullptr;
};

LRESULT QuarantinePanel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_SHOWWINDOW:
      if (wParam) Refresh();
      return Default(message, wParam, lParam);
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kRestore: OnRestore(); break;
        case kCleanDelete: OnCleanMenu(); break;
        case kMenuCleanSelected: OnClean(false); break;
        case kMenuCleanAll: OnClean(true); break;
        default: break;
      }
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const HWND control = reinterpret_cast<HWND>(lParam);
      SetBkColor(dc, ui::kPageBackground);
      SetTextColor(dc, control == heading_ ? ui::kAccentDark : ui::kTextMuted);
      if (control == count_) SetTextColor(dc, ui::kText);
      return reinterpret_cast<LRESULT>(PageBrush());
    }
    default:
      return Default(message, wParam, lParam);
  }
}

void QuarantinePanel::OnCreate() {
  const HWND panel = Handle();
  heading_ = MakeControl(panel, L"STATIC", L"Quarantine List", SS_LEFT, 0);
  SendMessageW(heading_, WM_SETFONT, reinterpret_cast<WPARAM>(PageHeadingFont()), FALSE);
  hint_ = MakeControl(panel, L"STATIC",
                      L"Quarantined files are packed so that they cannot run. Restore them or delete them here.",
                      SS_LEFT, 0);
  list_ = MakeControl(panel, WC_LISTVIEWW, L"",
                      LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, kQuarantineList, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  SetWindowTheme(list_, L"Explorer", nullptr);
  const DialogUnits u = PageDialogUnits();
  const wchar_t* captions[] = {L"Quarantined file", L"Size", L"Quarantined on"};
  const int widths[] = {170, 60, 90};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = i == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.pszText = const_cast<wchar_t*>(captions[i]);
    column.cx = u.X(widths[i]);
    ListView_InsertColumn(list_, i, &column);
  }
  count_ = MakeControl(panel, L"STATIC", L"", SS_LEFT, 0);
  restore_ = MakeControl(panel, L"BUTTON", Wide(kRestoreCaption), BS_PUSHBUTTON | WS_TABSTOP, kRestore);
  clean_ = MakeControl(panel, L"BUTTON", Wide(kCleanCaption), BS_PUSHBUTTON | WS_TABSTOP, kCleanDelete);
  Refresh();
}

void QuarantinePanel::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const DialogUnits u = PageDialogUnits();
  const int left = u.X(6);
  const int right = client.right - u.X(6);
  const int top = u.Y(5);
  const int line = u.Y(10);
  const int buttonHeight = u.Y(14);
  const int buttonsTop = client.bottom - u.Y(5) - buttonHeight;
  Place(heading_, left, top, right - left, line);
  Place(hint_, left, top + u.Y(11), right - left, line);
  const int listTop = top + u.Y(25);
  Place(list_, left, listTop, right - left, buttonsTop - u.Y(5) - listTop);
  // The name takes half the width, size and date share the rest.
  RECT listClient{};
  GetClientRect(list_, &listClient);
  const int width = listClient.right - GetSystemMetrics(SM_CXVSCROLL) - 2;
  if (width > 0) {
    ListView_SetColumnWidth(list_, 0, width / 2);
    ListView_SetColumnWidth(list_, 1, width / 5);
    ListView_SetColumnWidth(list_, 2, width - width / 2 - width / 5);
  }
  const int cleanWidth = u.X(66);
  const int restoreWidth = u.X(54);
  Place(clean_, right - cleanWidth, buttonsTop, cleanWidth, buttonHeight);
  Place(restore_, right - cleanWidth - u.X(4) - restoreWidth, buttonsTop, restoreWidth, buttonHeight);
  Place(count_, left, buttonsTop + u.Y(3), right - left - cleanWidth - restoreWidth - u.X(8), line);
}

remedy::QuarantineStore QuarantinePanel::Store() {
  if (!messages_) messages_ = std::make_unique<PanelMessages>(dialogs_, Owner());
  if (!remedy_) {
    remedy_ = std::make_unique<remedy::RemedyContext>(
        remedy::RemedyContext{platform::NativeFileOps(), platform::NativeProcessTerminator(), *messages_, ""});
  }
  remedy_->programTitle = Utf8(ctx_.ProgramTitle);
  return remedy::QuarantineStore(ctx_.QuarantineFolder, *remedy_, ctx_.ScanLog ? &*ctx_.ScanLog : nullptr);
}

void QuarantinePanel::Refresh() {
  if (list_ == nullptr) return;
  const std::optional<std::filesystem::path> keep = Selected();
  names_ = Store().List();
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list_);
  int select = -1;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    const std::wstring name = names_[i].wstring();
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<wchar_t*>(name.c_str());
    const int index = ListView_InsertItem(list_, &item);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW((ctx_.QuarantineFolder / names_[i]).c_str(), GetFileExInfoStandard, &data)) {
      const std::uintmax_t size = (static_cast<std::uintmax_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      std::wstring sizeText = SizeText(size);
      std::wstring timeText = TimeText(data.ftLastWriteTime);
      ListView_SetItemText(list_, index, 1, sizeText.data());
      ListView_SetItemText(list_, index, 2, timeText.data());
    }
    if (keep && *keep == names_[i]) select = index;
  }
  if (select < 0 && !names_.empty()) select = 0;
  if (select >= 0) {
    ListView_SetItemState(list_, select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
  const bool enabled = QuarantineButtonsEnabled(names_.size());
  EnableWindow(restore_, enabled ? TRUE : FALSE);
  EnableWindow(clean_, enabled ? TRUE : FALSE);
  const std::wstring count = names_.empty()         ? L"The quarantine is empty."
                             : names_.size() == 1 ? L"1 object in quarantine"
                                                  : std::to_wstring(names_.size()) + L" objects in quarantine";
  SetWindowTextW(count_, count.c_str());
}

std::optional<std::filesystem::path> QuarantinePanel::Selected() const {
  const int index = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  if (index < 0 || static_cast<std::size_t>(index) >= names_.size()) return std::nullopt;
  return names_[static_cast<std::size_t>(index)];
}

void QuarantinePanel::OnRestore() {
  PanelPrompts prompts(dialogs_, Owner(), ctx_.ProgramTitle);
  remedy::QuarantineStore store = Store();
  RestoreSelected(store, Selected(), prompts, platform::NativeFileOps());
  Refresh();
}

void QuarantinePanel::OnCleanMenu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kMenuCleanSelected, Wide(kCleanSelectedCaption).c_str());
  AppendMenuW(menu, MF_STRING, kMenuCleanAll, Wide(kCleanAllCaption).c_str());
  RECT button{};
  GetWindowRect(clean_, &button);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, button.left, button.bottom, 0, Handle(), nullptr);
  DestroyMenu(menu);
}

void QuarantinePanel::OnClean(bool all) {
  PanelPrompts prompts(dialogs_, Owner(), ctx_.ProgramTitle);
  remedy::QuarantineStore store = Store();
  const bool cleaned = all ? CleanAll(store, Selected(), prompts) : CleanSelected(store, Selected(), prompts);
  Refresh();
  if (all && cleaned) EnableWindow(clean_, FALSE);
}

}  // namespace

HWND CreateQuarantinePanelWith(HWND parent, AppContext& ctx, PageServices services) {
  auto* panel = new QuarantinePanel(ctx, services);
  HWND hwnd = panel->Make(parent);
  if (hwnd == nullptr) delete panel;
  return hwnd;
}

}  // namespace scan_page

HWND CreateQuarantinePanel(HWND parent, AppContext& ctx) {
  return scan_page::CreateQuarantinePanelWith(parent, ctx, {});
}

void RefreshQuarantineList(HWND quarantinePanel) {
  if (auto* panel = scan_page::WindowBase::FromHandle<scan_page::QuarantinePanel>(quarantinePanel)) panel->Refresh();
}

}  // namespace kestro::app
