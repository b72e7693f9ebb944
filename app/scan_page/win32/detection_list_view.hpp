#pragma once
// The detection list "lstDetect": a virtual report list view over the
// DetectionRows model. The view holds the row count, the selected marks (its
// selection) and the current row (the focused one); texts and icons come from
// the model on LVN_GETDISPINFO.

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "app/scan_page/detection_rows.hpp"

namespace kestro::app::scan_page {

class DetectionListView {
 public:
  // Creates the list as a child of `parent` with control id `id`.
  HWND Create(HWND parent, int id);
  HWND Handle() const { return list_; }
  const DetectionRows& Rows() const { return rows_; }

  void Clear();
  void Append(std::vector<scan::DetectionRecord> records);
  // Fits every column to its contents, selects the last row and shows it.
  void FitAndShowLast();
  // Fits every column to its contents.
  void FitColumns();
  // Shares the list's width among the columns (after a resize).
  void SpreadColumns();

  // The current row (the focused one), or -1.
  int Current() const;
  bool IsSelected(int row) const;
  void SetSelected(int row, bool selected);
  void SetAllSelected(bool selected);
  void SetState(int row, RowState state);

  // Answers LVN_GETDISPINFO of this list.
  void FillDisplayInfo(NMLVDISPINFOW& info);

 private:
  HWND list_ = nullptr;
  DetectionRows rows_;
  std::vector<std::array<std::wstring, 4>> texts_;  // the rows' texts as the list shows them
  int spreadWidth_ = 0;                              // the width the columns were last spread over
};

}  // namespace kestro::app::scan_page
