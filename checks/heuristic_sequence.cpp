#include "checks/heuristic_sequence.hpp"

#include "checks/autorun_check.hpp"
#include "checks/script_checks.hpp"
#include "checks/win32_family_check.hpp"

namespace kestro::checks {

CheckResult HeuristicSequence(FileView& file, const HeuristicContext& context) {
  if (CheckResult hit = ScriptCheck(file)) return hit;
  if (CheckResult hit = AutorunCheck(file)) return hit;
  if (CheckResult hit = TestFileCheck(file)) return hit;
  if (CheckResult hit = ShortcutCheck(file, context.targets)) return hit;
  if (CheckResult hit = Win32FamilyCheck(file)) return hit;
  if (CheckResult hit = PeCheck(file, context.sectionHeads)) return hit;
  return ScriptInfectorCheck(file, context.healScriptInfector);
}

}  // namespace kestro::checks
