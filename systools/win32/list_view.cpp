#include "systools/win32/list_view.hpp"

#include <algorithm>

#include "systools/win32/ui_style.hpp"

namespace kestro::systools {

HWND CreateReportList(HWND parent, int id, DWORD extraStyle) {
  HWND list = CreateWindowExW(
      0, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS | extraStyle, 0, 0, 0,
      0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
  ui::UseFont(list);
  return list;
}

void AddColumns(HWND list, std::span<const ListColumn> columns) {
  int index = 0;
  for (const ListColumn& column : columns) {
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    lvc.fmt = column.rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
    lvc.cx = column.width;
    lvc.pszText = const_cast<wchar_t*>(column.heading);
    lvc.iSubItem = index;
    ListView_InsertColumn(list, index, &lvc);
    ++index;
  }
}

void SetCallbackRows(HWND list, std::size_t count) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  for (std::size_t i = 0; i < count; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.iImage = I_IMAGECALLBACK;
    item.lParam = static_cast<LPARAM>(i);
    ListView_InsertItem(list, &item);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void FitColumn(HWND list, int column) {
  // LVSCW_AUTOSIZE_USEHEADER would stretch a last column over the rest of the
  // list, so the heading's width is measured here.
  ListView_SetColumnWidth(list, column, LVSCW_AUTOSIZE);
  wchar_t heading[128] = {};
  LVCOLUMNW lvc{};
  lvc.mask = LVCF_TEXT;
  lvc.pszText = heading;
  lvc.cchTextMax = 128;
  ListView_GetColumn(list, column, &lvc);
  const int headingWidth = ListView_GetStringWidth(list, heading) + 18;
  if (ListView_GetColumnWidth(list, column) < headingWidth)
    ListView_SetColumnWidth(list, column, headingWidth);
}

void ShrinkToFit(HWND list, int elastic, int minimumWidth, int lastColumnShown) {
  HWND header = ListView_GetHeader(list);
  const int columns = header != nullptr ? Header_GetItemCount(header) : 0;
  int total = 0;
  for (int column = 0; column < columns; ++column) {
    const int width = ListView_GetColumnWidth(list, column);
    total += column + 1 == columns && lastColumnShown >= 0 ? std::min(width, lastColumnShown) : width;
  }
  RECT client;
  GetClientRect(list, &client);
  const int available = client.right - GetSystemMetrics(SM_CXVSCROLL);
  const int width = ListView_GetColumnWidth(list, elastic);
  if (total <= available || width <= minimumWidth) return;
  ListView_SetColumnWidth(list, elastic, std::max(minimumWidth, width - (total - available)));
}

int SelectedRow(HWND list) {
  return ListView_GetNextItem(list, -1, LVNI_SELECTED);
}

std::vector<int> SelectedRows(HWND list) {
  std::vector<int> rows;
  for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(list, i, LVNI_SELECTED)) {
    rows.push_back(i);
  }
  return rows;
}

void SelectRow(HWND list, int row) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list, row, FALSE);
}

}  // namespace kestro::systools
