#include "scan/file_check.hpp"

#include "checks/extension_list.hpp"
#include "checks/heuristic_sequence.hpp"
#include "io/sampled_checksum.hpp"

namespace kestro::scan {

std::optional<std::string> SignatureListHeads::NameOf(std::string_view headText) const {
  const std::size_t index = list_.Find(headText);
  if (index == 0) return std::nullopt;
  return list_.Name(index);
}

checks::CheckResult FileCheck(checks::FileView& file, const FileCheckContext& context) {
  // A file that cannot be opened has size -1: it passes the size test, reads
  // nothing and probes as not PE.
  if (file.Size() >= kFileCheckSizeLimit) return checks::CheckResult::Miss();
  const std::int32_t probe = file.Opened() ? file.PeProbe() : 0;

  const SignatureListHeads heads(context.lists.sectionHeads);
  const checks::HeuristicContext heuristics{heads, context.targets, context.healScriptInfector};
  if (checks::CheckResult hit = checks::HeuristicSequence(file, heuristics)) return hit;

  if (probe < 1) return checks::CheckResult::Miss();
  if (checks::PassesExtensionListText(file.PathText(), "EXE")) {
    if (checks::CheckResult hit = context.icon.Check(file.Path(), file)) return hit;
  }
  return FileChecksumLookup(file, context.lists.fileChecksums);
}

checks::CheckResult FileChecksumLookup(checks::PositionedReader& file, const sigdb::SignatureList& fileChecksums) {
  const std::size_t index = fileChecksums.Find(checks::SampledFileChecksum(file));
  if (index != 0) return checks::CheckResult::Hit(fileChecksums.Name(index));
  return checks::CheckResult::Miss();
}

checks::CheckResult FileCheck(const std::filesystem::path& path, const FileCheckContext& context) {
  checks::FileView file = checks::FileView::Open(path);
  return FileCheck(file, context);
}

}  // namespace kestro::scan
