#pragma once
// The checks for traces of file-infecting viruses in 32-bit PE images: the
// section-head signature list, byte patterns at the entry point, and the ranked
// section-table heuristics ("HEUR[PE]." names).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "checks/check_result.hpp"
#include "io/file_view.hpp"

namespace kestro::checks {

// Looks up the head text of a last section in the section-head signature list:
// the detection name of the first equal entry.
class SectionHeadLookup {
 public:
  virtual ~SectionHeadLookup() = default;
  virtual std::optional<std::string> NameOf(std::string_view headText) const = 0;
};

class NoSectionHeads final : public SectionHeadLookup {
 public:
  std::optional<std::string> NameOf(std::string_view) const override { return std::nullopt; }
};

// PE check: the section-head list, then the entry-point patterns, then the
// section heuristics.
CheckResult PeCheck(FileView& file, const SectionHeadLookup& heads);

// "[INF].TENGA", "[INF].RUNONCE", "[INF].SALITY".
CheckResult EntryPointPatternCheck(FileView& file);

// The ranked "HEUR[PE]." rules.
CheckResult SectionHeuristics(FileView& file);

// An entry-point pattern: read length and the required (index, byte) pairs.
struct EntryPointPattern {
  const char* name;
  std::int32_t length;
  std::vector<std::pair<std::size_t, std::uint8_t>> bytes;
};
const std::vector<EntryPointPattern>& EntryPointPatterns();

}  // namespace kestro::checks
