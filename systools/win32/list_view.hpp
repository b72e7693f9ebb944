// Report-view list helpers: columns from a table, rows with callback texts
// (filled on LVN_GETDISPINFO from the panel's model), selection.
#pragma once

#include <windows.h>
// The Windows headers below build on the types above.
#include <commctrl.h>

#include <span>
#include <vector>

namespace kestro::systools {

struct ListColumn {
  const wchar_t* heading;
  bool rightAligned;
  int width;  // pixels until the column is fitted
};

HWND CreateReportList(HWND parent, int id, DWORD extraStyle = 0);
void AddColumns(HWND list, std::span<const ListColumn> columns);
// Replaces the rows by `count` callback rows (text and image asked on
// LVN_GETDISPINFO, lParam = the model index), with redraw off meanwhile.
void SetCallbackRows(HWND list, std::size_t count);
// Fits a column to the wider of its contents and its heading.
void FitColumn(HWND list, int column);
// Narrows `elastic` (not below `minimumWidth`) so that every column shows
// within the list's width, where it can; the last column counts with at most
// `lastColumnShown` pixels when that is not negative (it may run off the right).
void ShrinkToFit(HWND list, int elastic, int minimumWidth, int lastColumnShown = -1);
int SelectedRow(HWND list);  // -1 when none
std::vector<int> SelectedRows(HWND list);
void SelectRow(HWND list, int row);

}  // namespace kestro::systools
