// kestro-repair on the real registry of the test prefix: a machine seeded with
// worm traces is repaired, and the undo file the run wrote brings back every
// key and value the pass touched, imported by the tool itself and by regedit.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "platform/registry.hpp"
#include "platform/system_values.hpp"
#include "remedy/reg_file.hpp"
#include "remedy/registry_repair.hpp"
#include "tests/support/run_program.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {

using platform::RegistryRoot;
constexpr RegistryRoot HKCU = RegistryRoot::CurrentUser;
constexpr RegistryRoot HKLM = RegistryRoot::LocalMachine;

constexpr const char* kWinlogon = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kUserPolicy = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* kRestorePolicy = "Software\\Policies\\Microsoft\\Windows NT\\SystemRestore";
constexpr const char* kMsconfigHijack =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\msconfig.exe";
constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

platform::RegistryAccess& Registry() { return platform::NativeRegistry(); }

std::string Hex(const std::vector<std::uint8_t>& data) {
  std::string text;
  char byte[4];
  for (const std::uint8_t b : data) {
    std::snprintf(byte, sizeof byte, "%02x", b);
    text += byte;
  }
  return text;
}

std::string Parent(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The values of a key and the names of its subkeys; with `deep`, its subkeys'
// contents too.
void DumpKey(RegistryRoot root, const std::string& path, bool deep, std::vector<std::string>& lines) {
  const std::string prefix = std::string(remedy::RootName(root)) + "\\" + path;
  std::vector<platform::RegistryValue> values;
  if (Registry().ListValues(root, path, values) != platform::kRegOk) {
    lines.push_back(prefix + " (missing)");
    return;
  }
  for (const auto& value : values) {
    lines.push_back(prefix + "|" + value.name + "|" + std::to_string(value.type) + "|" + Hex(value.data));
  }
  std::vector<std::string> subkeys;
  Registry().ListSubkeys(root, path, subkeys);
  for (const std::string& subkey : subkeys) {
    lines.push_back(prefix + "\\" + subkey);
    if (deep) DumpKey(root, path + "\\" + subkey, true, lines);
  }
}

// Everything the pass can change: each step's key (whole, for a key it
// deletes), and the subkey names of the first key on its path that exists, so
// that a key made or deleted shows.
std::vector<std::string> Snapshot() {
  std::vector<std::string> lines;
  for (const remedy::RepairStep& step : remedy::RepairSteps()) {
    if (step.action == remedy::RepairAction::DeleteFile) continue;
    const std::string key = remedy::NormalisedKeyPath(std::string(step.key) + std::string(step.keyTail));
    DumpKey(step.root, key, step.action == remedy::RepairAction::DeleteKey, lines);
    std::string existing = Parent(key);
    while (!existing.empty() && !Registry().KeyExists(step.root, existing)) existing = Parent(existing);
    DumpKey(step.root, existing, false, lines);
  }
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

// The lines only one side has, marked "-" (before only) and "+" (now only).
std::string Difference(const std::vector<std::string>& before, const std::vector<std::string>& now) {
  std::vector<std::string> gone;
  std::vector<std::string> added;
  std::set_difference(before.begin(), before.end(), now.begin(), now.end(), std::back_inserter(gone));
  std::set_difference(now.begin(), now.end(), before.begin(), before.end(), std::back_inserter(added));
  std::string text;
  for (const auto& line : gone) text += "- " + line + "\n";
  for (const auto& line : added) text += "+ " + line + "\n";
  return text;
}

std::string Text(RegistryRoot root, const std::string& key, const std::string& name) {
  std::string text;
  return Registry().ReadText(root, key, name, text) == platform::kRegOk ? text : "<missing>";
}

std::string UndoFileOf(const std::string& out) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("undo file: ", 0) == 0) return line.substr(11);
  }
  return {};
}

bool RunRegedit(const std::string& file) {
  std::wstring command = L"regedit.exe /s \"" + std::filesystem::path(std::u8string(file.begin(), file.end())).wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended;
}

class RepairToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Wine makes its volatile display key (Control\Video) when the first program
    // of a session opens the display; open it here, so that the key is there
    // before the first snapshot and not made by the tools run later.
    DISPLAY_DEVICEW device{};
    device.cb = sizeof device;
    EnumDisplayDevicesW(nullptr, 0, &device, 0);
    _putenv_s("USERNAME", "user1");
    originalShell_ = Text(HKLM, kWinlogon, "Shell");
    originalUserInit_ = Text(HKLM, kWinlogon, "UserInit");
    // What worms leave behind, in the forms Windows keeps.
    ASSERT_EQ(Registry().SetText(HKLM, kWinlogon, "Shell", "Explorer.exe C:\\windows\\worm.exe"), platform::kRegOk);
    ASSERT_EQ(Registry().SetText(HKLM, kWinlogon, "UserInit", "C:\\windows\\system32\\userinit.exe,C:\\worm.exe"),
              platform::kRegOk);
    ASSERT_EQ(Registry().SetText(HKCU, kRun, "Serviceuser1", "C:\\worm.exe"), platform::kRegOk);
    ASSERT_EQ(Registry().SetText(HKCU, kRun, "Serviceuser2", "C:\\theirs.exe"), platform::kRegOk);
    ASSERT_EQ(Registry().SetText(HKLM, kRun, "Logonuser1", "C:\\worm.exe"), platform::kRegOk);
    ASSERT_EQ(Registry().SetNumber(HKCU, kUserPolicy, "DisableRegistryTools", 1), platform::kRegOk);
    ASSERT_EQ(Registry().SetNumber(HKLM, kRestorePolicy, "DisableSR", 1), platform::kRegOk);
    ASSERT_EQ(Registry().SetText(HKLM, kMsconfigHijack, "Debugger", "C:\\worm.exe"), platform::kRegOk);
    const std::vector<std::uint8_t> renames = {'\\', 0, '?', 0, '?', 0, '\\', 0, 'C', 0, ':', 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(Registry().SetValue(HKLM, kSessionManager, "PendingFileRenameOperations", platform::kRegMultiSz, renames),
              platform::kRegOk);
    const std::vector<std::uint8_t> expand = platform::TextData("%SystemRoot%\\worm.exe");
    ASSERT_EQ(Registry().SetValue(HKCU, kRun, "Walpaper", platform::kRegExpandSz, expand), platform::kRegOk);
    worm_ = platform::SpecialFolderPath(platform::SpecialFolder::AppData) / "TuGas.exe";
    test::WriteFile(worm_, std::vector<std::uint8_t>(4000, 0x5A));
    seeded_ = Snapshot();
  }

  void TearDown() override {
    Registry().SetText(HKLM, kWinlogon, "Shell", originalShell_);
    Registry().SetText(HKLM, kWinlogon, "UserInit", originalUserInit_);
    for (const char* name : {"Serviceuser1", "Serviceuser2", "Walpaper"}) Registry().DeleteValue(HKCU, kRun, name);
    Registry().DeleteValue(HKLM, kRun, "Logonuser1");
    Registry().DeleteTree(HKCU, kUserPolicy);
    Registry().DeleteTree(HKLM, kRestorePolicy);
    Registry().DeleteTree(HKLM, kMsconfigHijack);
    Registry().DeleteValue(HKLM, kSessionManager, "PendingFileRenameOperations");
    std::error_code ec;
    std::filesystem::remove(worm_, ec);
  }

  std::string Repair() {
    const test::ProgramResult run = test::RunTool(
        "kestro-repair", {"--backup-dir", (dir_ / "Backup").string(), "--quarantine", (dir_ / "Quarantine").string()});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find(" 39  set HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon \"Shell\" = "
                           "\"Explorer.exe \"  ->  changed\n"),
              std::string::npos)
        << run.out;
    const std::string undo = UndoFileOf(run.out);
    EXPECT_FALSE(undo.empty()) << run.out;
    EXPECT_LT(run.out.find("undo file: "), run.out.find("  1  set "));
    return undo;
  }

  test::TempDir dir_;
  std::string originalShell_;
  std::string originalUserInit_;
  std::filesystem::path worm_;
  std::vector<std::string> seeded_;
};

TEST_F(RepairToolTest, RepairsTheTracesAndItsUndoFileBringsThemBackThroughTheToolAndThroughRegedit) {
  const std::string undo = Repair();
  EXPECT_EQ(Text(HKLM, kWinlogon, "Shell"), "Explorer.exe ");
  EXPECT_EQ(Text(HKLM, kWinlogon, "UserInit"), platform::SystemFolderText() + "userinit.exe,");
  EXPECT_EQ(Text(HKCU, kRun, "Serviceuser1"), "<missing>");
  EXPECT_EQ(Text(HKCU, kRun, "Serviceuser2"), "C:\\theirs.exe");
  EXPECT_EQ(Text(HKLM, kRun, "Logonuser1"), "<missing>");
  EXPECT_FALSE(Registry().KeyExists(HKCU, kUserPolicy));
  EXPECT_FALSE(Registry().KeyExists(HKLM, kRestorePolicy));
  EXPECT_FALSE(Registry().KeyExists(HKLM, kMsconfigHijack));
  EXPECT_FALSE(std::filesystem::exists(worm_));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "Quarantine" / "TuGas.exe.vir"));
  EXPECT_NE(Snapshot(), seeded_);

  const test::ProgramResult undone = test::RunTool("kestro-repair", {"--undo", undo});
  EXPECT_EQ(undone.exitCode, 0) << undone.out;
  EXPECT_EQ(Difference(seeded_, Snapshot()), "");

  const std::string second = Repair();
  EXPECT_NE(second, undo);  // an earlier undo file is never replaced
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(std::u8string(undo.begin(), undo.end()))));
  ASSERT_TRUE(RunRegedit(second));
  EXPECT_EQ(Difference(seeded_, Snapshot()), "");
}

TEST(RepairToolDryRunTest, ListsOnlyWhatWouldChangeAndChangesNothing) {
  const auto before = Snapshot();
  const test::ProgramResult run = test::RunTool("kestro-repair", {"--dry-run"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find(" 39  set HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon \"Shell\" = "
                         "\"Explorer.exe \"  ->  would change\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("already so"), std::string::npos);
  EXPECT_NE(run.out.find("(nothing was changed)"), std::string::npos);
  EXPECT_EQ(Difference(before, Snapshot()), "");
}

TEST(RepairToolUsageTest, HelpAndWrongUse) {
  const test::ProgramResult help = test::RunTool("kestro-repair", {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--undo FILE"), std::string::npos);
  EXPECT_EQ(test::RunTool("kestro-repair", {"--bogus"}).exitCode, 2);
  EXPECT_EQ(test::RunTool("kestro-repair", {"--dry-run", "--undo", "x.reg"}).exitCode, 2);
  test::TempDir dir;
  test::WriteFile(dir / "not.reg", "hello");
  EXPECT_EQ(test::RunTool("kestro-repair", {"--undo", (dir / "not.reg").string()}).exitCode, 1);
}

}  // namespace
}  // namespace kestro
