#pragma once
// The texts of the update page, exactly as the user sees them.

#include <string>
#include <string_view>

namespace kestro::update {

inline constexpr std::string_view kLineEnd = "\r\n";
inline const std::string kRule(25, '-');

inline constexpr std::string_view kErrorTitle = "Error !";
inline constexpr std::string_view kNotConnectedLine = "Your computer is not connected to Internet.";
inline constexpr std::string_view kCheckForUpdate = "Check for update";
inline constexpr std::string_view kUpdateFound = "Update found !";
inline constexpr std::string_view kSuccess = " SUCCESS";
inline constexpr std::string_view kDatabasesUpdated =
    "Update complete, please restart the program to take effect !";
inline constexpr std::string_view kDatabasesUpToDate = "Your all KESTRO database already up to date !";
inline constexpr std::string_view kDownloadingProgram = "Downloading program update ... ";
inline constexpr std::string_view kServerError = "Server error !";
inline constexpr std::string_view kErrorDownload = "Error Download ...";
inline constexpr std::string_view kProgramDownloaded = "Update complete !!";
inline constexpr std::string_view kAskInstall = "Are you sure want to install new update ?";
inline constexpr std::string_view kNotConnectedMessage =
    "Not Connected\r\nYour computer is not connected to Internet";

// "Downloading database update N ... " for N = 1, 2, 3.
inline std::string DownloadingDatabase(int number) {
  return "Downloading database update " + std::to_string(number) + " ... ";
}

inline std::string LatestVersionLine(std::string_view programName) {
  return "You already have the latest version of " + std::string(programName) + " program !";
}

// Where " SUCCESS" would stand when a step fails.
inline std::string Failed(std::string_view reason) {
  return " FAILED: " + std::string(reason);
}

inline constexpr std::string_view kDatabasesNotChanged = "Update failed, your databases were not changed !";
inline constexpr std::string_view kReplacingDatabases = "Replacing the databases ... ";
inline constexpr std::string_view kNoDatabaseDigest =
    "(the update index gives no SHA-256 digest for it: checked by loading only)";
inline constexpr std::string_view kNoProgramDigest =
    "(the update index gives no SHA-256 digest for it: checked for completeness only)";
inline constexpr std::string_view kVersionNotChecked = "Could not check for a newer program version: ";

}  // namespace kestro::update
