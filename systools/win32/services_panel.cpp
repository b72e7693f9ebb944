// The service manager panel: lstService drawn from the service records and the
// pop-up menu mnuSer (Start, Stop, Uninstall).
#include <algorithm>

#include "systools/service_model.hpp"
#include "systools/win32/list_view.hpp"
#include "systools/win32/panel_ids.hpp"
#include "systools/win32/service_tools.hpp"
#include "systools/win32/tools_panels.hpp"
#include "systools/win32/ui_style.hpp"
#include "systools/win32/window_base.hpp"

namespace kestro::systools {
namespace {

UINT MenuFlags(bool enabled) {
  return static_cast<UINT>(MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

class ServicesPanel final : public ToolWindow {
 public:
  explicit ServicesPanel(const ToolsPanelHost& host) : host_(host) {}

  HWND Make(HWND parent) {
    return Create(L"KestroServicesPanel", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
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
      case kMsgPrepareMenu:
        PrepareMenu();
        return reinterpret_cast<LRESULT>(menu_);
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
    list_ = CreateReportList(hwnd(), kIdServiceList, LVS_SINGLESEL);
    static constexpr ListColumn kColumns[] = {{L"Service Name", false, 120},
                                              {L"Description", false, 200},
                                              {L"Status", false, 70},
                                              {L"Path", false, 300}};
    AddColumns(list_, kColumns);
    menuBar_ = CreateMenu();
    menu_ = CreatePopupMenu();
    AppendMenuW(menu_, MF_STRING, kCmdServiceBase + static_cast<int>(ServiceMenuItem::Start), L"Start");
    AppendMenuW(menu_, MF_STRING, kCmdServiceBase + static_cast<int>(ServiceMenuItem::Stop), L"Stop");
    AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_, MF_STRING, kCmdServiceBase + static_cast<int>(ServiceMenuItem::Uninstall),
                L"Uninstall");
    AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(menu_), L"&Service");
    Rebuild(-1);
  }

  HWND Owner() const { return host_.mainWindow != nullptr ? host_.mainWindow : GetAncestor(hwnd(), GA_ROOT); }

  void Layout(int width, int height) {
    const ui::DialogUnits du = ui::DialogUnits::ForBodyFont();
    const int margin = du.X(6);
    footer_ = {margin, height - margin - du.Y(10), width - margin, height - margin};
    MoveWindow(list_, margin, margin, std::max(0, width - 2 * margin),
               std::max(0, static_cast<int>(footer_.top) - margin - du.Y(2)), TRUE);
    if (!sized_ && width > 0) {
      sized_ = true;
      for (int column = 0; column < 4; ++column) FitColumn(list_, column);
      ShrinkToFit(list_, 1, du.X(70), du.X(90));
    }
    InvalidateRect(hwnd(), nullptr, TRUE);
  }

  // The list builder: rows in enumeration order, columns fitted, and the row
  // `select` selected when it is not negative.
  void Rebuild(int select) {
    ServiceListing listing = ListServices();
    records_ = std::move(listing.records);
    SetCallbackRows(list_, records_.size());
    for (int column = 0; column < 4; ++column) FitColumn(list_, column);
    // The description gives way first, so the state and the path stay in sight.
    ShrinkToFit(list_, 1, ui::DialogUnits::ForBodyFont().X(70), ui::DialogUnits::ForBodyFont().X(90));
    if (select >= 0 && static_cast<std::size_t>(select) < records_.size()) SelectRow(list_, select);
    InvalidateRect(hwnd(), &footer_, FALSE);
    if (!listing.errorText.empty())
      MessageBoxW(Owner(), listing.errorText.c_str(), host_.programTitle.c_str(), MB_OK);
  }

  const ServiceRecord* Selected() const {
    const int row = SelectedRow(list_);
    if (row < 0 || static_cast<std::size_t>(row) >= records_.size()) return nullptr;
    return &records_[static_cast<std::size_t>(row)];
  }

  LRESULT OnNotify(NMHDR* header) {
    if (header->idFrom != kIdServiceList) return 0;
    if (header->code == LVN_GETDISPINFOW) {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      const auto index = static_cast<std::size_t>(info->item.iItem);
      if (index < records_.size() && (info->item.mask & LVIF_TEXT) != 0 && info->item.cchTextMax > 0) {
        const ServiceRecord& record = records_[index];
        const std::wstring* texts[] = {&record.serviceName, &record.displayName, &record.stateText,
                                       &record.executablePath};
        const auto column = static_cast<std::size_t>(std::clamp(info->item.iSubItem, 0, 3));
        lstrcpynW(info->item.pszText, texts[column]->c_str(), info->item.cchTextMax);
      }
    } else if (header->code == NM_RCLICK) {
      PrepareMenu();
      POINT at{};
      GetCursorPos(&at);
      TrackPopupMenuEx(menu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, hwnd(), nullptr);
    }
    return 0;
  }

  void PrepareMenu() {
    const ServiceRecord* record = Selected();
    const auto state = ServiceMenuStateFor(record != nullptr ? record->stateText : std::wstring{});
    if (state) {
      EnableMenuItem(menu_, kCmdServiceBase + static_cast<int>(ServiceMenuItem::Start),
                     MenuFlags(state->startEnabled));
      EnableMenuItem(menu_, kCmdServiceBase + static_cast<int>(ServiceMenuItem::Stop),
                     MenuFlags(state->stopEnabled));
    }
    // Without a selected row there is nothing to uninstall.
    EnableMenuItem(menu_, kCmdServiceBase + static_cast<int>(ServiceMenuItem::Uninstall),
                   MenuFlags(record != nullptr));
    SetMenuDefaultItem(menu_, kCmdServiceBase + static_cast<int>(ServiceMenuItem::Uninstall), FALSE);
  }

  void OnCommand(int command) {
    const ServiceRecord* record = Selected();
    if (record == nullptr) return;
    const std::wstring name = record->serviceName;
    const int row = SelectedRow(list_);
    switch (static_cast<ServiceMenuItem>(command - kCmdServiceBase)) {
      case ServiceMenuItem::Start:
        StartServiceNamed(name);
        break;
      case ServiceMenuItem::Stop:
        StopServiceNamed(name);
        break;
      case ServiceMenuItem::Uninstall: {
        const std::wstring question = UninstallQuestion(name);
        if (MessageBoxW(Owner(), question.c_str(), host_.programTitle.c_str(), MB_YESNO | MB_ICONWARNING) !=
            IDYES) {
          return;
        }
        DeleteServiceNamed(name);
        break;
      }
      default:
        return;
    }
    Rebuild(row);
  }

  void Paint() {
    ui::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) {
      ui::FillSolid(dc, client, ui::kPageBackground);
      std::size_t running = 0;
      for (const ServiceRecord& record : records_) running += record.stateText == L"RUNNING" ? 1u : 0u;
      const std::wstring text = std::to_wstring(records_.size()) + L" services, " + std::to_wstring(running) +
                                L" running. Right-click a service to start, stop or uninstall it.";
      ui::DrawTextIn(dc, text, footer_, ui::Font::Small, ui::kTextMuted);
    });
  }

  ToolsPanelHost host_;
  HWND list_ = nullptr;
  HMENU menuBar_ = nullptr;
  HMENU menu_ = nullptr;
  std::vector<ServiceRecord> records_;
  bool sized_ = false;
  RECT footer_{};
};

}  // namespace

HWND CreateServicesPanel(HWND parent, const ToolsPanelHost& host) {
  return (new ServicesPanel(host))->Make(parent);
}

}  // namespace kestro::systools
