#include "app/scan_page/detection_rows.hpp"

namespace kestro::app::scan_page {

int RowIconNumber(RowState state) {
  switch (state) {
    case RowState::Cleaned: return 1;
    case RowState::Quarantined: return 3;
    case RowState::Detected: break;
  }
  return 2;
}

void DetectionRows::Append(scan::DetectionRecord record) {
  rows_.push_back(DetectionRow{std::move(record), RowState::Detected});
}

const std::string& DetectionRows::CellText(std::size_t row, std::size_t column) const {
  static const std::string kNone;
  if (row >= rows_.size()) return kNone;
  const scan::DetectionRecord& r = rows_[row].record;
  switch (column) {
    case 0: return r.infection;
    case 1: return r.location;
    case 2: return r.detectionTime;
    case 3: return r.packer;
    default: return kNone;
  }
}

void DetectionRows::SetState(std::size_t row, RowState state) {
  if (row < rows_.size()) rows_[row].state = state;
}

}  // namespace kestro::app::scan_page
