#pragma once
// The texts a scan run shows: status lines, messages, and the shortened forms of
// long paths for the scan-path and archive labels.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro::scan {

inline constexpr std::string_view kStatusWaiting = "STATUS : [ Waiting For Instructions ]";
inline constexpr std::string_view kStatusScanning = "STATUS : [ Scanning files ... ]";
inline constexpr std::string_view kStatusExtracting = "STATUS : [ Extracting files ... ]";
inline constexpr std::string_view kScanCompleted = "Scanning completed !";
inline constexpr std::string_view kScanAborted = "Scanning aborted !";
inline constexpr std::string_view kPathNotFound = "Path not found !";
inline constexpr std::string_view kArchiveLabelIdle = "-";

// Status line colours as BGR values.
inline constexpr std::uint32_t kColourBlue = 0xFF0000u;
inline constexpr std::uint32_t kColourRed = 0x0000FFu;

// Extensions handed to the file check, and the archive extension.
inline constexpr std::string_view kScanExtensions = "EXE SYS OCX DLL VBS VBE PHP BAT CMD HTM HTML COM LNK EML";
inline constexpr std::string_view kArchiveExtension = "RAR";
// Files larger than this are counted but never opened.
inline constexpr std::uint64_t kWalkSizeLimit = 10485760;

// "STATUS : [ Buffering <files> Files, <folders> directories ]"
std::string BufferingStatus(std::uint32_t files, std::uint32_t folders);

// "STATUS : [ <message> ]"
std::string FinishStatus(std::string_view message);

// Lengths here are characters of UTF-8 text, and a cut never splits one.
//
// The scan-path label for a file: whole when shorter than 41 characters;
// otherwise the folder up to and including its first separator from the fourth
// character on, then "...\", then the file name when it has at most 19
// characters, else "..." and its last 15 characters. `separator` is "\" on
// Windows and "/" elsewhere.
std::string ShortenScanPath(std::string_view folder, std::string_view fileName, char separator);

// True for a member name longer than 40 characters: the archive label shows it
// shortened; shorter names go to the scan-path label as they are.
bool IsLongMemberName(std::string_view memberName);

// The label for an archive member longer than 40 characters: its first path
// component, "\...\", its last component. Shorter names are shown as they are.
std::string ShortenMemberName(std::string_view memberName);

// "VirusDetected" value for a detection count: 1 none, 2 one to five, 3 more.
std::uint32_t VirusDetectedValue(std::uint32_t detections);

}  // namespace kestro::scan
