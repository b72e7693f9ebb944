#include "app/scan_page/detection_actions.hpp"

#include "checks/extension_list.hpp"
#include "platform/ansi_text.hpp"

namespace kestro::app::scan_page {

bool DetectionMenuAllowed(std::size_t rows, bool scanRunning) { return rows > 0 && !scanRunning; }

ActionOutcome CleanDetection(const DetectionRow& row, bool selected, remedy::DeleteRoutine& routine,
                             const log::ScanLog* log) {
  ActionOutcome outcome;
  if (!selected) return outcome;
  const std::filesystem::path& path = row.record.tag;
  if (!routine.Delete(path)) return outcome;
  outcome.acted = true;
  outcome.newState = RowState::Cleaned;
  outcome.clearSelection = true;
  outcome.statusText = kStatusCleaned;
  outcome.statusColour = kStatusBlue;
  if (log != nullptr) log->WriteLine(log::ColumnLine("* Cure", platform::AnsiPathText(path)));
  return outcome;
}

ActionOutcome QuarantineDetection(const DetectionRow& row, bool selected, remedy::QuarantineStore& store) {
  ActionOutcome outcome;
  if (!selected) return outcome;
  const remedy::QuarantineResult result = store.Quarantine(row.record.tag);
  switch (result.status) {
    case remedy::QuarantineStatus::Quarantined:
      outcome.acted = true;
      outcome.newState = RowState::Quarantined;
      outcome.clearSelection = true;
      outcome.statusText = kStatusQuarantined;
      outcome.statusColour = kStatusBlue;
      break;
    case remedy::QuarantineStatus::DeleteFailed:
      // The verified container stays; the file is still there and the row too.
      break;
    case remedy::QuarantineStatus::SourceMissing:
    case remedy::QuarantineStatus::EncodeFailed:
    case remedy::QuarantineStatus::VerifyFailed:
    case remedy::QuarantineStatus::NoFreeName:
      outcome.acted = true;
      outcome.statusText = kStatusError;
      outcome.statusColour = kStatusRed;
      break;
  }
  return outcome;
}

std::optional<std::string> ExploreParameters(std::string_view path) {
  const auto first = path.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  const auto last = path.find_last_not_of(" \t");
  // Quoted, so that a path with spaces or commas reaches Explorer whole.
  return "/select,\"" + std::string(path.substr(first, last - first + 1)) + "\"";
}

std::string TagText(const std::filesystem::path& tag) { return checks::PathUtf8(tag); }

}  // namespace kestro::app::scan_page
