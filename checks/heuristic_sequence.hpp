#pragma once
// The fixed order in which the content checks run on one file; the first hit
// ends the sequence and gives its detection name.

#include "checks/check_result.hpp"
#include "io/file_view.hpp"
#include "checks/pe_checks.hpp"
#include "checks/shortcut_check.hpp"

namespace kestro::checks {

struct HeuristicContext {
  const SectionHeadLookup& sectionHeads;
  const TargetExistence& targets;
  bool healScriptInfector = true;  // repair HTML files carrying the appended script
};

// Script, autorun, test-file, shortcut, Win32 family, PE and script-infector checks.
CheckResult HeuristicSequence(FileView& file, const HeuristicContext& context);

}  // namespace kestro::checks
