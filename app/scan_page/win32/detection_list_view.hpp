#pragma once
// The detection list "lstDetect": a report list view that draws from the
// DetectionRows model. Rows are inserted with callback texts, in batches with
// redraw off; the texts come from the model on LVN_GETDISPINFO. The list
// carries the selected marks (the view's selection) and the current row (the
// focused one).

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
