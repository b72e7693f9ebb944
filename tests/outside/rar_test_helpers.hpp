#pragma once
// Calls into RARExtract through the scanner's binding, the way the archive
// scanner uses it, with small conveniences for the tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "scan/archive_library.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::test {

// An ANSI text for a path (the tests use ASCII paths only).
inline std::string Ansi(const std::filesystem::path& path) { return path.string(); }

inline std::unique_ptr<scan::ArchiveLibrary> BindBuiltLibrary() { return scan::BindArchiveLibrary(OutputDir()); }

// One member as listed: its header, and the result of the operation on it.
struct ListedMember {
  std::string name;
  std::uint32_t flags = 0;
  std::uint32_t size = 0;
  std::uint32_t version = 0;
  std::string archiveName;
  int result = -1;
  std::filesystem::path written;  // where it was extracted (empty when skipped)
};

struct ArchiveWalk {
  int openResult = -1;
  std::vector<ListedMember> members;
  int endResult = -1;  // the last ReadHeader result
};

// Opens `archive`, reads every header and extracts each member to
// `extractTo / <index>` (or skips it when `extractTo` is empty), then closes.
inline ArchiveWalk WalkArchive(scan::ArchiveLibrary& library, const std::filesystem::path& archive,
                               const std::filesystem::path& extractTo, const char* password = nullptr) {
  ArchiveWalk walk;
  const std::string path = Ansi(archive);
  scan::ArchiveOpenRecord open{};
  open.ArcName = path.c_str();
  open.OpenMode = KESTRO_RAR_OM_EXTRACT;
  const auto handle = library.OpenArchive(open);
  walk.openResult = static_cast<int>(open.OpenResult);
  if (open.OpenResult != 0) return walk;
  if (password != nullptr) library.SetPassword(handle, password);
  scan::ArchiveHeaderRecord header{};
  while ((walk.endResult = library.ReadHeader(handle, header)) == 0) {
    ListedMember member;
    member.name = header.FileName;
    member.flags = header.Flags;
    member.size = header.UnpSize;
    member.version = header.UnpVer;
    member.archiveName = header.ArcName;
    if (extractTo.empty()) {
      member.result = library.ProcessFile(handle, KESTRO_RAR_SKIP, "", "");
    } else {
      member.written = extractTo / std::to_string(walk.members.size());
      const std::string dest = Ansi(member.written);
      member.result = library.ProcessFile(handle, KESTRO_RAR_EXTRACT, "", dest.c_str());
    }
    walk.members.push_back(member);
    if (walk.members.size() > 100000) break;  // a runaway listing is a failure, not a hang
  }
  library.CloseArchive(handle);
  return walk;
}

}  // namespace kestro::test
