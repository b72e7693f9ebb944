#include "checks/script_checks.hpp"

#include <algorithm>
#include <fstream>
#include <map>
#include <system_error>

#include "checks/extension_list.hpp"
#include "checks/marker_matcher.hpp"
#include "checks/script_statistic.hpp"

namespace kestro::checks {
namespace {

constexpr std::int64_t kWholeScriptLimit = 512000;
constexpr std::int32_t kScriptBlock = 4500;
constexpr std::int64_t kSecondBlockBack = 256000;
constexpr std::int64_t kTestFileLimit = 10240;

// PHP groups, in order; any complete group is "PHP.BACKDOOR".
const std::vector<ScriptGroup> kPhpGroups = {
    {{"@exec", "@system", "@ob_end_clean"}},
    {{"backdoor", "system32\\cmd.exe", "kernel32.dll"}},
    // The \n pairs are the two characters backslash and n.
    {{R"($a5\n$b33\n$c87\n$d23\n$e09\n$f23\n$g32\n$h65)", "shell($cmd)"}},
    {{"$deldir", "$SERVER_SOFTWARE"}},
};

// General groups, in order; the first complete group is a hit.
const std::vector<ScriptGroup> kGeneralGroups = {
    {{"LOVE-LETTER-FOR-YOU", "ILOVEYOU"}},                                           // 1
    {{"AUTORUN", "WSCRIPT"}},                                                        // 2
    {{"WIN-BUGSFIX", "LOVE-LETTER-FOR-YOU"}},                                        // 3
    {{"VgqKsXMXsc", "HEWPfqDHCp"}},                                                  // 4
    {{MarkerBytes({0x88, 0x52, 0x69, 0x63, 0x68, 0xCB, 0xEB}), "P3MDKDP"}},          // 5
    {{"Blank3971486091", "wXjbfxrQeI.drivetype = 1", "wXjbfxrQeI.drivetype = 2"}},   // 6
    {{MarkerBytes({0x88, 0xCA, 0xEB, 0x97, 0x88, 0x52, 0x69, 0x63, 0x68, 0xCB, 0xEB, 0x97, 0x88}),
      MarkerBytes({0x88, 0xCA, 0xEB, 0x97, 0x88, 0xA2, 0xF4, 0x9E, 0x88, 0xCA, 0xEB, 0x97, 0x88})}},  // 7
    {{"VHORU@SU"}},                                                                  // 8
    {{"Execute UnCrypt"}},                                                           // 9
    {{"dim driveconnected"}},                                                        // 10
    {{"FSO2.Write mywin3"}},                                                         // 11
    {{"tracking.php"}},                                                              // 12
    // A worm author's mailbox at a free-mail domain, 18 characters (data, not a rule).
    {{"vbsworm1@gmail.com"}},                                                        // 13
    {{"while (ie.Busy)"}},                                                           // 14
    {{"wwwjsp Atom Feed"}},                                                          // 15
    {{"colCDROMs.Item(i).Eject"}},                                                   // 16
    {{"autorun.inf"}},                                                               // 17
    {{"shakira.jpeg.vbs"}},                                                          // 18
    {{"Cacing.regwrite"}},                                                           // 19
    {{"ENTICE"}},                                                                    // 20
    {{"shutdown -s -f -t"}},                                                         // 21
    {{"remember dis day us_3?"}},                                                    // 22
    {{"%qwxykjsi%", "%vrsa%%aa%"}},                                                  // 23
    {{"%windir%\\system32", "Merlin", "GINGO"}},                                     // 24
    {{"REGWRITE", "WSCRIPT"}},                                                       // 25
    {{"WSCRIPT.SCRIPTFULLNAME"}},                                                    // 26
    {{"FORMAT C:\\"}},                                                               // 27
    {{"FORMAT D:\\"}},                                                               // 28
    {{"AUTOEXEC.BAT"}},                                                              // 29
    {{"SAD1C"}},                                                                     // 30
    {{"DISABLEREGISTRYTOOLS"}},                                                      // 31
    {{"OPTION\\REGEDIT.EXE"}},                                                       // 32
    {{"OPTION\\MSCONFIG.EXE"}},                                                      // 33
    {{"DISABLETASKMGR"}},                                                            // 34
    {{"PROGRAMS\\STARTUP\\"}},                                                       // 35
    {{"VERSION\\RUN", ".BAT"}},                                                      // 36
    {{"VERSION\\RUN", ".VBS"}},                                                      // 37
    {{"VERSION\\RUN", ".CMD"}},                                                      // 38
    {{"VERSION\\RUN", ".PIF"}},                                                      // 39
    {{"KILL EXPLORER.EXE"}},                                                         // 40
    {{"DEL EXPLORER.EXE"}},                                                          // 41
    {{"ASSOC .EXE="}},                                                               // 42
    {{"TASKKILL"}},                                                                  // 43
    {{"REG ADD"}},                                                                   // 44
    {{"SCHTASK"}},                                                                   // 45
};

// The groups of one table over one automaton of their distinct markers.
class GroupTable {
 public:
  explicit GroupTable(const std::vector<ScriptGroup>& groups) : matcher_(Collect(groups)) {}

  // Index of the first complete group, or -1.
  int FirstComplete(const MarkerHits& hits) const {
    for (std::size_t g = 0; g < groupIds_.size(); ++g) {
      bool complete = true;
      for (const std::size_t id : groupIds_[g]) complete = complete && hits[id];
      if (complete) return static_cast<int>(g);
    }
    return -1;
  }
  const MarkerMatcher& Matcher() const { return matcher_; }

 private:
  std::vector<std::string> Collect(const std::vector<ScriptGroup>& groups) {
    std::map<std::string, std::size_t> ids;
    std::vector<std::string> distinct;
    for (const ScriptGroup& group : groups) {
      std::vector<std::size_t> row;
      for (const std::string& marker : group.markers) {
        auto [it, added] = ids.emplace(marker, distinct.size());
        if (added) distinct.push_back(marker);
        row.push_back(it->second);
      }
      groupIds_.push_back(std::move(row));
    }
    return distinct;
  }
  std::vector<std::vector<std::size_t>> groupIds_;
  MarkerMatcher matcher_;
};

const GroupTable& PhpTable() {
  static const GroupTable table(kPhpGroups);
  return table;
}
const GroupTable& GeneralTable() {
  static const GroupTable table(kGeneralGroups);
  return table;
}

// Characters 32 to 57 against all others, NUL bytes not counted (they are removed).
bool StatisticHit(std::initializer_list<std::span<const std::uint8_t>> blocks) {
  std::int64_t inRange = 0;
  std::int64_t others = 0;
  for (const auto& block : blocks) {
    const ScriptCharacterCounts counts = CountScriptCharacters(block);
    inRange += counts.inRange;
    others += counts.others;
  }
  return inRange > others;
}

std::string ScriptName(const std::filesystem::path& path) {
  const std::string text = PathUtf8(path);
  const std::size_t dot = text.rfind('.');
  return "MAL.SCRIPT." + UpperAscii(dot == std::string::npos ? text : text.substr(dot + 1));
}

// The single markers of the test-file and script-infector checks, searched in
// the file text (NULs removed) with matchers built once.
bool HasEicarString(std::span<const std::uint8_t> bytes) {
  static const MarkerMatcher matcher({std::string(kEicarTestString)});
  return matcher.Find(bytes, true)[0];
}

bool HasEncodedScriptHead(std::span<const std::uint8_t> bytes) {
  static const MarkerMatcher matcher({std::string(kEncodedScriptHead)});
  return matcher.Find(bytes, true)[0];
}

// Writes `content` over the file at `path` safely: into a temporary file in the
// same folder first, then replacing the original only when that write succeeded.
bool ReplaceFileContent(const std::filesystem::path& path, std::span<const std::uint8_t> content) {
  std::filesystem::path temp = path;
  temp += ".kestro-heal.tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    out.write("\r\n", 2);
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return false;
  }
  return true;
}

}  // namespace

const std::vector<ScriptGroup>& PhpGroups() { return kPhpGroups; }
const std::vector<ScriptGroup>& GeneralScriptGroups() { return kGeneralGroups; }

CheckResult ScriptCheck(FileView& file) {
  if (!PassesExtensionListText(file.PathText(), "VBS VBE PHP BAT COM CMD")) return CheckResult::Miss();
  const std::int64_t size = file.Size();
  std::span<const std::uint8_t> first;
  std::span<const std::uint8_t> second;
  if (size <= kWholeScriptLimit) {
    first = file.Window(1, static_cast<std::int32_t>(std::max<std::int64_t>(size, 0)));
  } else if (size <= INT32_MAX) {
    first = file.Window(1, kScriptBlock);
    second = file.Window(static_cast<std::int32_t>(size - kSecondBlockBack), kScriptBlock);
  }

  if (PassesExtensionListText(file.PathText(), "PHP")) {
    const MarkerHits hits = PhpTable().Matcher().Find({first, second}, true);
    return PhpTable().FirstComplete(hits) >= 0 ? CheckResult::Hit("PHP.BACKDOOR") : CheckResult::Miss();
  }
  const MarkerHits hits = GeneralTable().Matcher().Find({first, second}, true);
  if (GeneralTable().FirstComplete(hits) >= 0 || StatisticHit({first, second})) {
    return CheckResult::Hit(ScriptName(file.Path()));
  }
  return CheckResult::Miss();
}

CheckResult TestFileCheck(FileView& file) {
  if (!PassesExtensionListText(file.PathText(), "COM")) return CheckResult::Miss();
  const std::int64_t size = file.Size();
  if (size > kTestFileLimit) return CheckResult::Miss();
  const auto text = file.Window(1, static_cast<std::int32_t>(std::max<std::int64_t>(size, 0)));
  return HasEicarString(text) ? CheckResult::Hit("EICAR-AV-TEST") : CheckResult::Miss();
}

CheckResult ScriptInfectorCheck(FileView& file, bool heal) {
  const bool htmlFour = PassesExtensionListText(file.PathText(), "HTML", 4);
  if (!htmlFour && !PassesExtensionListText(file.PathText(), "VBE HTM")) return CheckResult::Miss();
  const std::span<const std::uint8_t> whole = file.Whole();
  if (!HasEncodedScriptHead(whole)) return CheckResult::Miss();

  const bool repairable = htmlFour || PassesExtensionListText(file.PathText(), "HTM");
  // A file not longer than the appended part would be cut to nothing: it is
  // reported and left as it is.
  if (!repairable || !heal || file.Size() <= kAppendedScriptBytes) return CheckResult::Hit("VBS.ALICE.A");

  const auto keep = whole.first(
      std::min(whole.size(), static_cast<std::size_t>(file.Size() - kAppendedScriptBytes)));
  file.ReleaseHandle();
  if (!ReplaceFileContent(file.Path(), keep)) return CheckResult::Hit("VBS.ALICE.A");
  return CheckResult::Hit("VBS.ALICE.A [HEALED]");
}

}  // namespace kestro::checks
