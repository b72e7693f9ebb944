#pragma once
// The one way the program removes files and folders: clear the attributes, end
// processes running a file of that name, rescue an Office document a worm has
// hidden inside an executable, then try the direct deletions and a forced one,
// and tell the user when all fail. The folder-tree delete cleans the archive
// extraction folder without ever leaving the tree through a link.

#include <filesystem>
#include <string>

#include "remedy/remedy_context.hpp"

namespace kestro::remedy {

inline constexpr const char* kUnableToDeleteText =
    "Unable to delete this file !\r\nMaybe this file is running in system process.";

class DeleteRoutine {
 public:
  explicit DeleteRoutine(RemedyContext& context) : context_(context) {}

  // True when the file existed and is gone afterwards. When it still exists the
  // user gets the two-line message and the answer is false; a path that names
  // no file, or names a folder (which stays), answers false silently.
  bool Delete(const std::filesystem::path& path);

  // Ends every process running a file of this name (see platform/processes.hpp).
  int TerminateProcessesByFileName(const std::filesystem::path& path);

  // For a path ending in lower-case "exe" that holds the legacy Office document
  // signature: writes the bytes from its first occurrence to the end into
  // <path without ".exe">_Repaired.doc (or .xls). Never reports errors.
  void RepairHiddenDocument(const std::filesystem::path& path);

  // Removes the folder and everything below it. Links, junctions and other
  // reparse points are removed themselves, never followed. Errors are skipped.
  void DeleteFolderTree(const std::filesystem::path& folder);

 private:
  RemedyContext& context_;
};

// Reads as many bytes as the pattern has space-separated items at the 1-based
// position and compares their "XX XX" upper-case text with the pattern exactly.
bool CompareFileBytes(const std::filesystem::path& path, const std::string& hexPattern, std::int32_t position);

// The legacy Office document (OLE2 compound file) signature.
inline constexpr std::uint8_t kDocumentSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
// 1-based position of the probe that tells a Word document from a workbook.
inline constexpr std::int32_t kDocumentTypePosition = 330774;

}  // namespace kestro::remedy
