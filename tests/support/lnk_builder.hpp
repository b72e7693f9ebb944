#pragma once
// Builds Windows shell-link (.lnk) files for tests: the header, an optional
// target ID list (drive and file entries, with long names in their extension
// blocks), optional link information (local base path and common path suffix,
// ANSI or Unicode), an optional environment-variable block, and raw bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestro::test {

struct LnkIdEntry {
  std::string shortName;              // ANSI 8.3 name
  std::optional<std::string> longName;  // ASCII, stored as UTF-16 in a 0xBEEF0004 block
  bool folder = false;
  std::uint16_t extensionVersion = 8;  // 3 (XP), 7 (Vista), 8 (Windows 7), 9 (later)
};

struct LnkFile {
  bool validHeader = true;
  std::optional<std::string> idListDrive;     // e.g. "C:\\"; with entries below it
  std::vector<LnkIdEntry> idListEntries;
  std::optional<std::string> localBasePath;  // link information, ANSI form
  std::string commonPathSuffix;
  bool unicodeLinkInfo = false;               // also store the Unicode forms
  std::optional<std::string> networkShare;   // "\\\\server\\share" instead of a local path
  std::optional<std::string> environmentTarget;  // ANSI and Unicode forms
  bool forceNoLinkInfo = false;
  std::vector<std::uint8_t> trailing;         // bytes after the terminal block

  std::vector<std::uint8_t> Build() const;
};

}  // namespace kestro::test
