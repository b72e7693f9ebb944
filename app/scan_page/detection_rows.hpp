#pragma once
// The detection list as the scan page shows it: the rows of the current scan
// with their columns, the tag (the path as it was scanned) and the state that
// picks the row's icon. The list view draws from this model (callback texts).

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scan/scan_one_file.hpp"

namespace kestro::app::scan_page {

inline constexpr std::array<std::string_view, 4> kDetectionColumns = {"Infection", "Location", "Detection Time",
                                                                      "Packer"};

// A row's state and its icon number in the list's image lists: 2 while
// detected, 1 once cleaned, 3 once quarantined.
enum class RowState { Detected, Cleaned, Quarantined };
int RowIconNumber(RowState state);

struct DetectionRow {
  scan::DetectionRecord record;
  RowState state = RowState::Detected;
};

class DetectionRows {
 public:
  // A new scan run empties the list.
  void Clear() { rows_.clear(); }
  void Append(scan::DetectionRecord record);
  std::size_t Size() const { return rows_.size(); }
  bool Empty() const { return rows_.empty(); }
  const DetectionRow& At(std::size_t index) const { return rows_.at(index); }
  // The text of a column (0 to 3); empty outside the list.
  const std::string& CellText(std::size_t row, std::size_t column) const;
  void SetState(std::size_t row, RowState state);

 private:
  std::vector<DetectionRow> rows_;
};

}  // namespace kestro::app::scan_page
