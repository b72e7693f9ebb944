#include "icon/cls_heuristic.hpp"

#include <optional>
#include <utility>

#include "icon/icon_extract.hpp"
#include "io/mdl_pe.hpp"

namespace kestro::checks {
namespace {

// Runs `use` on a reader over the file at `path`; nothing when it cannot be opened.
template <typename Use>
auto WithFile(const std::filesystem::path& path, Use use) -> std::optional<decltype(use(std::declval<PositionedReader&>()))> {
  const std::int32_t handle = mdlPE::OpenForChecking(path);
  if (handle <= 0) return std::nullopt;
  HandleReader reader(handle);
  auto result = use(reader);
  mdlPE::CloseFile(handle);
  return result;
}

}  // namespace

CheckResult clsHeuristic::CekHeuristic(PositionedReader& file) const {
  const std::optional<std::string> value = IconValueOf(file);
  if (!value) return CheckResult::Miss();
  // A linear scan from the first entry, first equal entry wins; it uses only the
  // list's inline accessors, so the checks library needs no link to sigdb.
  const auto& signatures = icons_.Signatures();
  for (std::size_t i = 0; i < signatures.size(); ++i) {
    if (signatures[i] == *value) {
      return CheckResult::Hit(std::string(kIconDetectionPrefix) + icons_.Names()[i]);
    }
  }
  return CheckResult::Miss();
}

CheckResult clsHeuristic::CekHeuristic(const std::filesystem::path& Alamatfile) const {
  return WithFile(Alamatfile, [this](PositionedReader& r) { return CekHeuristic(r); })
      .value_or(CheckResult::Miss());
}

std::string clsHeuristic::CalcIcon(const std::filesystem::path& lpFileName) {
  const auto value = WithFile(lpFileName, [](PositionedReader& r) { return IconValueOf(r); });
  return value && *value ? **value : std::string();
}

CheckResult IconHeuristicCheck::Check(const std::filesystem::path&, PositionedReader& file) const {
  return heuristic_.CekHeuristic(file);
}

}  // namespace kestro::checks
