#pragma once
// Captions of the scan page and the rules of its folder tree, kept apart from
// the window code so that they are tested on their own.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro::app::scan_page {

inline constexpr std::string_view kTabDirectory = "Directory";
inline constexpr std::string_view kTabReport = "Current Report";
inline constexpr std::string_view kScanNowCaption = "&Scan Now !";
inline constexpr std::string_view kStopCaption = "&Stop Scanning";
inline constexpr std::string_view kPauseCaption = "&Pause";
inline constexpr std::string_view kResumeCaption = "&Resume";
inline constexpr std::string_view kLogCaption = "&Log";
inline constexpr std::string_view kShutdownCaption = "Shutdown PC when scanning is complete";
inline constexpr std::string_view kTargetLabel = "Scan target :";
inline constexpr std::string_view kAmountLabel = "Total files :";
inline constexpr std::string_view kFilesScannedLabel = "Files scanned :";
inline constexpr std::string_view kDetectedLabel = "Detected :";
inline constexpr std::string_view kArchiveLabelCaption = "Archive :";
inline constexpr std::string_view kStatusPaused = "STATUS : [ Scanning paused ]";

// The folder tree: the root, the drives below it, folders loaded when expanded.
inline constexpr std::string_view kMyComputer = "My Computer";

enum class DriveKind { Fixed, Optical, Removable, Network, Other };

// "Local Disk (C:)", "CD/DVD-Drive (D:)", ...
std::string DriveCaption(DriveKind kind, char letter);

// What selecting a tree node writes into the target box: the node's folder
// with a trailing backslash; the root writes "My Computer", which the Scan
// command refuses.
std::string TargetTextForNode(std::string_view folderPath, bool isRoot);

}  // namespace kestro::app::scan_page
