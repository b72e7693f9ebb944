#include "app/scan_page/win32/detection_list_view.hpp"

#include <commctrl.h>
#include <uxtheme.h>

#include "app/scan_page/win32/row_icons.hpp"
#include "app/scan_page/win32/wide_text.hpp"
#include "app/scan_page/win32/window_base.hpp"

namespace kestro::app::scan_page {
namespace {

constexpr COLORREF kHeaderText = RGB(217, 0, 0);
// The columns' shares of the list's width, in percent.
constexpr int kColumnShares[4] = {22, 46, 20, 12};

// The header draws its captions red on white.
LRESULT CALLBACK ListSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom == ListView_GetHeader(hwnd) && header->code == NM_CUSTOMDRAW) {
      auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
      if (draw->dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
      if (draw->dwDrawStage == CDDS_ITEMPREPAINT) {
        SetTextColor(draw->hdc, kHeaderText);
        return CDRF_DODEFAULT;
      }
    }
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

HWND DetectionListView::Create(HWND parent, int id) {
  list_ = MakeControl(parent, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_CLIPSIBLINGS, id,
                      WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
  SetWindowTheme(list_, L"Explorer", nullptr);
  ListView_SetBkColor(list_, RGB(255, 255, 255));
  ListView_SetImageList(list_, MakeRowIcons(GetSystemMetrics(SM_CXSMICON)), LVSIL_SMALL);
  SetWindowSubclass(list_, &ListSubclass, 1, 0);
  for (int i = 0; i < 4; ++i) {
    const std::wstring caption = Wide(kDetectionColumns[static_cast<std::size_t>(i)]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(caption.c_str());
    column.cx = 100;
    column.iSubItem = i;
    ListView_InsertColumn(list_, i, &column);
  }
  return list_;
}

void DetectionListView::Clear() {
  rows_.Clear();
  texts_.clear();
  ListView_DeleteAllItems(list_);
}

void DetectionListView::Append(std::vector<scan::DetectionRecord> records) {
  if (records.empty()) return;
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  for (auto& record : records) {
    texts_.push_back({Wide(record.infection), Wide(record.location), Wide(record.detectionTime), Wide(record.packer)});
    rows_.Append(std::move(record));
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(rows_.Size() - 1);
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.iImage = RowIconNumber(RowState::Detected) - 1;
    ListView_InsertItem(list_, &item);
  }
  ListView_EnsureVisible(list_, static_cast<int>(rows_.Size() - 1), FALSE);
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, FALSE);
}

void DetectionListView::FitAndShowLast() {
  for (int i = 0; i < 4; ++i) {
    ListView_SetColumnWidth(list_, i, LVSCW_AUTOSIZE_USEHEADER);
  }
  if (rows_.Empty()) return;
  const int last = static_cast<int>(rows_.Size() - 1);
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list_, last, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, last, FALSE);
}

void DetectionListView::SpreadColumns() {
  RECT client{};
  GetClientRect(list_, &client);
  const int width = client.right - GetSystemMetrics(SM_CXVSCROLL) - 2;
  // A page shown again keeps the widths a finished scan fitted to the contents.
  if (width <= 0 || width == spreadWidth_) return;
  spreadWidth_ = width;
  int used = 0;
  for (int i = 0; i < 3; ++i) {
    const int share = width * kColumnShares[i] / 100;
    ListView_SetColumnWidth(list_, i, share);
    used += share;
  }
  ListView_SetColumnWidth(list_, 3, width - used);
}

int DetectionListView::Current() const { return ListView_GetNextItem(list_, -1, LVNI_FOCUSED); }

bool DetectionListView::IsSelected(int row) const {
  return row >= 0 && (ListView_GetItemState(list_, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void DetectionListView::SetSelected(int row, bool selected) {
  ListView_SetItemState(list_, row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void DetectionListView::SetAllSelected(bool selected) {
  ListView_SetItemState(list_, -1, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void DetectionListView::SetState(int row, RowState state) {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.Size()) return;
  rows_.SetState(static_cast<std::size_t>(row), state);
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iImage = RowIconNumber(state) - 1;
  ListView_SetItem(list_, &item);
}

void DetectionListView::FillDisplayInfo(NMLVDISPINFOW& info) {
  if ((info.item.mask & LVIF_TEXT) == 0) return;
  const auto row = static_cast<std::size_t>(info.item.iItem);
  const auto column = static_cast<std::size_t>(info.item.iSubItem);
  if (row >= texts_.size() || column >= 4 || info.item.cchTextMax <= 0) return;
  lstrcpynW(info.item.pszText, texts_[row][column].c_str(), info.item.cchTextMax);
}

}  // namespace kestro::app::scan_page
