#pragma once
// The detection list's popup menu and what its items do: Clean, Quarantine,
// Select All, Unselect and Explore. The rules and texts live here; the page only
// shows the menu, reads the list's selection and applies the outcome.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/scan_page/detection_rows.hpp"
#include "log/scan_log.hpp"
#include "remedy/delete_routine.hpp"
#include "remedy/quarantine_store.hpp"

namespace kestro::app::scan_page {

enum class DetectionCommand { Clean, Quarantine, SelectAll, Unselect, Explore, Separator };

struct DetectionMenuItem {
  DetectionCommand command;
  std::string_view caption;
  bool isDefault = false;
};

// The popup "&Virus", in its order; "Explore .." is the default item.
inline constexpr std::string_view kDetectionMenuCaption = "&Virus";
inline constexpr DetectionMenuItem kDetectionMenu[] = {
    {DetectionCommand::Clean, "Clean"},
    {DetectionCommand::Quarantine, "Quarantine"},
    {DetectionCommand::Separator, ""},
    {DetectionCommand::SelectAll, "Select All"},
    {DetectionCommand::Unselect, "Unselect"},
    {DetectionCommand::Separator, ""},
    {DetectionCommand::Explore, "Explore ..", true},
};

inline constexpr std::string_view kStatusCleaned = "STATUS : Object Cleaned.";
inline constexpr std::string_view kStatusQuarantined = "STATUS : Object Quarantined.";
inline constexpr std::string_view kStatusError = "STATUS : Error Detected !";
inline constexpr std::uint32_t kStatusBlue = 0xFF0000u;  // BGR
inline constexpr std::uint32_t kStatusRed = 0x0000FFu;

// The popup is offered on a right click when the list holds a row and no scan runs.
bool DetectionMenuAllowed(std::size_t rows, bool scanRunning);

// What an action did to the current row.
struct ActionOutcome {
  bool acted = false;                // false: nothing changed
  std::optional<RowState> newState;  // the row's new icon
  bool clearSelection = false;       // the row's selected mark goes
  std::string statusText;            // empty: the status line stays
  std::uint32_t statusColour = kStatusBlue;
};

// Clean: acts only on a current row that is marked selected; deletes its file
// with the delete routine (which tells the user when it cannot), then the row
// shows icon 1 and the log gets "* Cure".
ActionOutcome CleanDetection(const DetectionRow& row, bool selected, remedy::DeleteRoutine& routine,
                             const log::ScanLog* log);

// Quarantine: acts only on a selected current row; the store writes the
// container, verifies it and deletes the file. A container that cannot be
// written turns the status red; a file that cannot be deleted leaves the row as
// it was (the delete routine has told the user).
ActionOutcome QuarantineDetection(const DetectionRow& row, bool selected, remedy::QuarantineStore& store);

// The parameters for "explorer.exe" that open the file's folder with the file
// selected (the path quoted); nothing when the path, trimmed, is empty.
std::optional<std::string> ExploreParameters(std::string_view path);

// The text of a path as the tag holds it (UTF-8).
std::string TagText(const std::filesystem::path& tag);

}  // namespace kestro::app::scan_page
