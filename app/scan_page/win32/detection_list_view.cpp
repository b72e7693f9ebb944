#include "app/scan_page/win32/detection_list_view.hpp"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

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
  // A virtual list: it keeps only the count and the selection; texts and icons
  // come from the model when a row is drawn, so a new row costs nothing however
  // long the list grows.
  list_ = MakeControl(parent, WC_LISTVIEWW, L"",
                      LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_CLIPSIBLINGS, id,
                      WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
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
  ListView_SetItemCountEx(list_, 0, 0);
}

void DetectionListView::Append(std::vector<scan::DetectionRecord> records) {
  if (records.empty()) return;
  for (auto& record : records) {
    texts_.push_back({Wide(record.infection), Wide(record.location), Wide(record.detectionTime), Wide(record.packer)});
    rows_.Append(std::move(record));
  }
  // The view is not scrolled to the new rows: the user may be reading the list,
  // and repainting it for every few rows made the window slow to answer. The
  // finished scan shows its last row.
  ListView_SetItemCountEx(list_, static_cast<int>(rows_.Size()), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void DetectionListView::FitAndShowLast() {
  FitColumns();
  if (rows_.Empty()) return;
  const int last = static_cast<int>(rows_.Size() - 1);
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list_, last, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, last, FALSE);
}

void DetectionListView::FitColumns() {
  // The list's own fitting asks for and measures every cell, which takes seconds
  // for thousands of rows; the widest texts are among the longest ones, so only
  // those (and the caption) are measured.
  constexpr std::size_t kMeasured = 24;
  HDC dc = GetDC(list_);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0)));
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  const auto textWidth = [&](const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  for (std::size_t column = 0; column < 4; ++column) {
    std::vector<const std::wstring*> longest;
    for (const auto& row : texts_) longest.push_back(&row[column]);
    const std::size_t measured = std::min(kMeasured, longest.size());
    std::partial_sort(longest.begin(), longest.begin() + static_cast<std::ptrdiff_t>(measured), longest.end(),
                      [](const std::wstring* a, const std::wstring* b) { return a->size() > b->size(); });
    int width = textWidth(Wide(kDetectionColumns[column]));
    for (std::size_t i = 0; i < measured; ++i) width = std::max(width, textWidth(*longest[i]));
    width += GetSystemMetrics(SM_CXEDGE) * 2 + 12;
    if (column == 0) width += GetSystemMetrics(SM_CXSMICON) + 4;
    ListView_SetColumnWidth(list_, static_cast<int>(column), width);
  }
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  SelectObject(dc, old);
  ReleaseDC(list_, dc);
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
  ListView_RedrawItems(list_, row, row);
}

void DetectionListView::FillDisplayInfo(NMLVDISPINFOW& info) {
  if (info.item.iItem < 0) return;
  const auto row = static_cast<std::size_t>(info.item.iItem);
  if (row >= texts_.size()) return;
  if ((info.item.mask & LVIF_IMAGE) != 0) info.item.iImage = RowIconNumber(rows_.At(row).state) - 1;
  const auto column = static_cast<std::size_t>(info.item.iSubItem);
  if ((info.item.mask & LVIF_TEXT) != 0 && column < 4 && info.item.cchTextMax > 0) {
    lstrcpynW(info.item.pszText, texts_[row][column].c_str(), info.item.cchTextMax);
  }
}

}  // namespace kestro::app::scan_page
