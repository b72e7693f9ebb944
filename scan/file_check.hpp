#pragma once
// The file check: the one malware decision shared by the folder scan, the
// archive scanner and the process scan. The file is opened once; the size
// limit, the heuristic sequence, the icon step for names ending in EXE and the
// sampled-checksum lookup all read it through one view.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "checks/check_result.hpp"
#include "io/file_view.hpp"
#include "icon/icon_check.hpp"
#include "checks/pe_checks.hpp"
#include "checks/shortcut_check.hpp"
#include "sigdb/signature_list.hpp"

namespace kestro::scan {

// Only files strictly smaller are examined (10 MiB).
inline constexpr std::int64_t kFileCheckSizeLimit = 10485760;

// The section-head signature list as the PE check looks it up.
class SignatureListHeads final : public checks::SectionHeadLookup {
 public:
  explicit SignatureListHeads(const sigdb::SignatureList& list) : list_(list) {}
  std::optional<std::string> NameOf(std::string_view headText) const override;

 private:
  const sigdb::SignatureList& list_;
};

// What the file check works with, supplied by its caller.
struct FileCheckContext {
  const sigdb::SignatureLists& lists;
  const checks::IconCheck& icon;
  const checks::TargetExistence& targets;
  bool healScriptInfector = true;
};

// Checks an open view of the file.
checks::CheckResult FileCheck(checks::FileView& file, const FileCheckContext& context);

// The last step alone: the file's sampled checksum looked up in the
// file-checksum signature list, the first equal entry's name.
checks::CheckResult FileChecksumLookup(checks::PositionedReader& file, const sigdb::SignatureList& fileChecksums);

// Opens the file and checks it.
checks::CheckResult FileCheck(const std::filesystem::path& path, const FileCheckContext& context);

}  // namespace kestro::scan
