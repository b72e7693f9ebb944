#pragma once
// Scanning RAR archives during a folder scan: every member is extracted through
// the outside archive library into the extraction folder, run through the file
// check and deleted again. A hit becomes a detection record whose location names
// the archive and the member.

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "scan/archive_library.hpp"
#include "scan/scan_one_file.hpp"
#include "scan/scan_run.hpp"
#include "scan/scan_state.hpp"

namespace kestro::scan {

// Names of numbered volumes, as three joined texts. An archive whose last ten
// characters (upper-cased) occur anywhere in this text is never scanned.
inline constexpr std::string_view kVolumeList =
    ".PART1.RAR .PART2.RAR .PART3.RAR .PART4.RAR .PART5.RAR .PART6.RAR .PART7.RAR .PART8.RAR .PART9.RAR "
    "PART10.RAR"
    " PART11.RAR PART12.RAR PART13.RAR PART14.RAR PART15.RAR PART16.RAR PART17.RAR PART18.RAR PART19.RAR "
    "PART20.RAR"
    " PART21.RAR PART22.RAR PART23.RAR PART24.RAR PART25.RAR";

// Archives larger than this are skipped (5 MiB; exactly this size is scanned).
inline constexpr std::uintmax_t kArchiveSizeLimit = 5242880;

// Extraction operation of the archive library.
inline constexpr int kExtractOperation = 2;

// The volume test: true when the archive may be scanned.
bool IsScannableArchive(const std::filesystem::path& path);

struct ArchiveScanContext {
  ArchiveLibrary& library;
  ScanState& state;
  ScanObserver& observer;
  MessagePump& pump;
  ScanOneFileContext& member;  // the file check and what a hit does
  std::filesystem::path extractFolder;
  bool archiveSetting = true;  // the Archive setting
};

// Scans one archive; returns the number of archive members scanned so far.
std::int16_t ScanArchive(const std::filesystem::path& archive, std::string_view password,
                         ArchiveScanContext& context);

// The member check: file check of the extracted copy; on a hit a record located
// at "<archive>:<separator><member>" with the packer of the archive itself
// (`memberName` is UTF-8, like every text of the engine).
bool CheckArchiveMember(const std::filesystem::path& archive, const std::filesystem::path& extracted,
                        std::string_view memberName, ScanOneFileContext& context);

}  // namespace kestro::scan
