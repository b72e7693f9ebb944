#pragma once
// The text-based checks: script markers and the character statistic, the
// industry-standard test file, and the encoded script appended to HTML and VBE
// files (with the repair of HTML files).

#include <string>
#include <string_view>
#include <vector>

#include "checks/check_result.hpp"
#include "io/file_view.hpp"

namespace kestro::checks {

// Script check: "PHP.BACKDOOR" or "MAL.SCRIPT." + the extension.
CheckResult ScriptCheck(FileView& file);

// Test-file check: "EICAR-AV-TEST".
CheckResult TestFileCheck(FileView& file);

// Script-infector check: "VBS.ALICE.A", or "VBS.ALICE.A [HEALED]" when an HTML
// file was repaired. With `heal` false the file is never changed and a file that
// would be repaired is reported as "VBS.ALICE.A".
CheckResult ScriptInfectorCheck(FileView& file, bool heal);

// The marker tables, in their order (exposed for the tests).
struct ScriptGroup {
  std::vector<std::string> markers;  // all must occur
};
const std::vector<ScriptGroup>& PhpGroups();
const std::vector<ScriptGroup>& GeneralScriptGroups();

inline constexpr std::string_view kEicarTestString =
    "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";
inline constexpr std::string_view kEncodedScriptHead = "#@~^bx4AAA==GaYrKx,+6aVb^kD@#@&Nb:~W2!";
// Bytes the infector appends; the repair cuts them off.
inline constexpr std::int64_t kAppendedScriptBytes = 8276;

}  // namespace kestro::checks
