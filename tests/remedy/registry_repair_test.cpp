// The registry repair pass against the in-memory registry: the machine a worm
// left behind and a clean one, refusals on HKLM and HKCR, what each step
// reports, the undo file that brings the whole registry back, the worm files
// in quarantine, and the dry run.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/memory_registry.hpp"
#include "remedy/reg_file.hpp"
#include "remedy/registry_undo.hpp"
#include "tests/support/remedy_fakes.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::remedy {
namespace {

using platform::kRegOk;
using platform::MemoryRegistry;
using platform::RegistryRoot;
constexpr RegistryRoot HKCR = RegistryRoot::ClassesRoot;
constexpr RegistryRoot HKCU = RegistryRoot::CurrentUser;
constexpr RegistryRoot HKLM = RegistryRoot::LocalMachine;
constexpr RegistryRoot HKU = RegistryRoot::Users;

constexpr const char* kWinlogon = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRestorePolicy = "Software\\Policies\\Microsoft\\Windows NT\\SystemRestore";
constexpr const char* kUserPolicy = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* kAdvanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
constexpr const char* kSite = "http://www.kestro-antivirus.example/";

std::vector<std::string> DumpAll(const MemoryRegistry& registry) {
  std::vector<std::string> lines;
  for (const RegistryRoot root : {HKCR, HKCU, HKLM, HKU}) {
    for (const std::string& line : registry.Dump(root)) lines.push_back(std::string(RootName(root)) + "\\" + line);
  }
  return lines;
}

std::string Text(MemoryRegistry& registry, RegistryRoot root, const std::string& key, const std::string& name) {
  std::string text;
  return registry.ReadText(root, key, name, text) == kRegOk ? text : "<missing>";
}

std::uint32_t Number(MemoryRegistry& registry, RegistryRoot root, const std::string& key, const std::string& name) {
  std::uint32_t number = 0xFFFFFFFF;
  registry.ReadNumber(root, key, name, number);
  return number;
}

void Raw(MemoryRegistry& registry, RegistryRoot root, const std::string& key, const std::string& name,
         std::uint32_t type, std::vector<std::uint8_t> data) {
  ASSERT_EQ(registry.CreateKey(root, key), kRegOk);
  ASSERT_EQ(registry.SetValue(root, key, name, type, data), kRegOk);
}

// What worms and the user leave on a machine, in the forms Windows stores them.
void SeedInfected(MemoryRegistry& r) {
  ASSERT_EQ(r.SetText(HKLM, kWinlogon, "Shell", "Explorer.exe C:\\WINDOWS\\system32\\worm.exe"), kRegOk);
  ASSERT_EQ(r.SetText(HKLM, kWinlogon, "UserInit", "C:\\WINDOWS\\system32\\userinit.exe,C:\\worm.exe"), kRegOk);
  ASSERT_EQ(r.SetText(HKLM, kWinlogon, "DefaultUserName", "alice"), kRegOk);
  ASSERT_EQ(r.SetText(HKCR, "exefile\\shell\\open\\command", "", "worm.exe \"%1\" %*"), kRegOk);
  ASSERT_EQ(r.SetText(HKCR, "exefile", "NeverShowExt", ""), kRegOk);
  ASSERT_EQ(r.SetNumber(HKCU, kAdvanced, "Hidden", 0), kRegOk);
  ASSERT_EQ(r.SetNumber(HKCU, kAdvanced, "HideFileExt", 0), kRegOk);
  ASSERT_EQ(r.SetText(HKLM, "Software\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOwner", "Alice Example"),
            kRegOk);
  ASSERT_EQ(r.SetText(HKLM, "Software\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOrganization",
                      "Example \"Quoted\" Ltd \xC3\xA9"),
            kRegOk);
  Raw(r, HKLM, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", "PendingFileRenameOperations",
      platform::kRegMultiSz, {'\\', 0, '?', 0, '?', 0, '\\', 0, 'a', 0, 0, 0, 0, 0, 0, 0});
  Raw(r, HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\Hidden", "Bitmap",
      platform::kRegExpandSz, platform::TextData("%SystemRoot%\\system32\\SHELL32.dll,4"));
  ASSERT_EQ(r.SetText(HKCU, kRun, "ctfmon.exe", "C:\\WINDOWS\\system32\\ctfmon.exe"), kRegOk);
  ASSERT_EQ(r.SetText(HKCU, kRun, "Serviceuser1", "C:\\worm.exe"), kRegOk);
  ASSERT_EQ(r.SetText(HKCU, kRun, "Serviceuser2", "C:\\theirs.exe"), kRegOk);
  ASSERT_EQ(r.SetText(HKCU, kRun, "MSMSGS", "C:\\worm.exe"), kRegOk);
  ASSERT_EQ(r.SetText(HKLM, kRun, "Logonuser1", "C:\\worm.exe"), kRegOk);
  ASSERT_EQ(r.SetText(HKLM, kRun, "System Monitoring", "C:\\worm.exe"), kRegOk);
  ASSERT_EQ(r.SetText(HKLM, kRun, "Keep Me", "C:\\tool.exe"), kRegOk);
  ASSERT_EQ(r.SetNumber(HKCU, kUserPolicy, "DisableRegistryTools", 1), kRegOk);
  ASSERT_EQ(r.SetNumber(HKCU, std::string(kUserPolicy) + "\\Sub", "Inner", 5), kRegOk);
  ASSERT_EQ(r.SetNumber(HKLM, kUserPolicy, "EnableLUA", 0), kRegOk);
  ASSERT_EQ(r.SetNumber(HKLM, kUserPolicy, "ConsentPromptBehaviorAdmin", 5), kRegOk);
  ASSERT_EQ(r.SetNumber(HKLM, kRestorePolicy, "DisableConfig", 1), kRegOk);
  ASSERT_EQ(r.SetNumber(HKLM, kRestorePolicy, "DisableSR", 1), kRegOk);
  ASSERT_EQ(r.SetText(HKLM, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\MSCONFIG.EXE",
                      "Debugger", "worm.exe"),
            kRegOk);
  ASSERT_EQ(r.SetText(HKCU, "Software\\Microsoft\\Internet Explorer\\Main", "Start Page", "http://home.example/"),
            kRegOk);
  ASSERT_EQ(r.SetText(HKCU, "Software\\Microsoft\\Internet Explorer\\Main", "Window Title", "Hacked"), kRegOk);
  ASSERT_EQ(r.SetText(HKLM, "Software\\lutil\\FMR", "svchost", "worm"), kRegOk);
  ASSERT_EQ(r.SetText(HKLM, "System\\CurrentControlSet\\Control\\SafeBoot\\Minimal\\keep.sys", "", "Driver"), kRegOk);
  ASSERT_EQ(r.SetText(HKU, "S-1-5-21-839522115-2052111302-2147137731-500\\Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache",
                      "C:\\WINDOWS\\system32\\ctfmon.exe", "ctfmon"),
            kRegOk);
}

struct Recorder final : RepairObserver {
  explicit Recorder(std::filesystem::path backup) : backupFolder(std::move(backup)) {}
  void StatusText(std::string_view text) override { events.push_back("text " + std::string(text)); }
  void StatusColour(std::uint32_t bgr) override { events.push_back("colour " + std::to_string(bgr)); }
  void StepDone(const ResolvedStep& step, const StepResult& result) override {
    if (steps.empty()) {
      undoThereAtFirstStep = std::filesystem::exists(backupFolder) && !std::filesystem::is_empty(backupFolder);
    }
    steps.push_back(step.step->number);
    outcomes.push_back(OutcomeText(result));
  }
  void UndoFileWritten(const std::filesystem::path& file) override {
    events.push_back("undo " + file.filename().string() + (std::filesystem::exists(file) ? "" : " (not there)"));
  }
  void ProcessEvents() override { events.push_back("events"); }
  std::filesystem::path backupFolder;
  std::vector<std::string> events;
  std::vector<int> steps;
  std::vector<std::string> outcomes;
  bool undoThereAtFirstStep = false;
};

class RegistryRepairTest : public ::testing::Test {
 protected:
  RegistryRepairTest() : store_(dir_ / "[ KESTRO ]", fake_.context, nullptr) {
    values_.userName = "user1";
    values_.computerName = "KESTRO-PC";
    values_.systemFolder = "C:\\WINDOWS\\system32\\";
    values_.siteAddress = kSite;
    values_.specialFolders = {{platform::SpecialFolder::MyPictures, dir_ / "Pictures"},
                              {platform::SpecialFolder::LocalAppData, dir_ / "Local"},
                              {platform::SpecialFolder::Startup, dir_ / "Startup"},
                              {platform::SpecialFolder::AppData, dir_ / "Roaming"}};
    for (const auto& [folder, path] : values_.specialFolders) std::filesystem::create_directories(path);
  }

  std::filesystem::path Backup() const { return dir_ / "Log" / "Backup"; }

  RepairRun Run(Recorder& recorder, BackupStamp stamp = {2024, 5, 1, 13, 45, 7}) {
    RepairServices services{registry_, fake_.files, &store_};
    return RepairRegistry(services, values_, Backup(), stamp, recorder);
  }
  RepairRun Run() {
    Recorder recorder(Backup());
    return Run(recorder);
  }

  // Applies an undo file the way the console tool does.
  RegImport Undo(const std::filesystem::path& file) {
    const RegFileParse parse = ParseRegFile(test::ReadFile(file));
    EXPECT_TRUE(parse.recognised);
    EXPECT_TRUE(parse.problems.empty());
    return ApplyRegFile(registry_, parse.keys);
  }

  test::TempDir dir_;
  test::FakeRemedy fake_;
  QuarantineStore store_;
  MemoryRegistry registry_;
  RepairValues values_;
};

TEST(RegistryRepairStepsTest, HundredAndThreeStepsInOrder) {
  const auto steps = RepairSteps();
  ASSERT_EQ(steps.size(), 103u);
  for (std::size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(steps[i].number, static_cast<int>(i) + 1);
  EXPECT_EQ(steps[9].key, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\");  // as it stands
}

TEST_F(RegistryRepairTest, ACleanRegistryGetsEveryWriteAndTheOrderDecidesTheEnd) {
  const RepairRun run = Run();
  ASSERT_TRUE(run.ran);
  EXPECT_EQ(Text(registry_, HKLM, kWinlogon, "Shell"), "Explorer.exe ");  // step 39 after step 1
  EXPECT_EQ(Text(registry_, HKLM, kWinlogon, "UserInit"), "C:\\WINDOWS\\system32\\userinit.exe,");
  EXPECT_FALSE(registry_.KeyExists(HKLM, kRestorePolicy));  // written by step 31, deleted whole by step 64
  EXPECT_TRUE(registry_.KeyExists(HKLM, "Software\\Policies\\Microsoft\\Windows NT"));
  EXPECT_TRUE(registry_.KeyExists(HKLM, kRun));
  EXPECT_EQ(Text(registry_, HKLM, "Software\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOwner"), "user1");
  EXPECT_EQ(Text(registry_, HKLM, "Software\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOrganization"),
            "KESTRO-PC");
  EXPECT_EQ(Number(registry_, HKCU, kAdvanced, "HideFileExt"), 1u);
  EXPECT_EQ(Number(registry_, HKCU, kAdvanced, "Hidden"), 2u);
  EXPECT_EQ(Number(registry_, HKCU, kAdvanced, "ShowSuperHidden"), 0u);
  EXPECT_EQ(Text(registry_, HKCR, "scrfile\\shell\\open\\command", ""), "\"%1\" /S");
  EXPECT_EQ(Text(registry_, HKCU, "Software\\Microsoft\\Internet Explorer\\Main", "Start Page"), kSite);
  EXPECT_EQ(Text(registry_, HKLM, "Software\\Microsoft\\Internet Explorer\\Main", "Start Page"), kSite);
  EXPECT_EQ(Text(registry_, HKLM, "System\\CurrentControlSet\\Control\\SafeBoot\\Minimal\\sr.sys", ""),
            "FSFilter System Recovery");
  EXPECT_EQ(Text(registry_, HKLM, "System\\CurrentControlSet\\Control\\SafeBoot\\Network\\dmiot.sys", ""), "Driver");
  EXPECT_EQ(Text(registry_, HKU,
                 "S-1-5-21-1417001333-1060284298-725345543-500\\Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache",
                 "@shell32.dll,-30508"),
            "Hide protected operating system files (Recommended)");
  for (const StepResult& result : run.results) EXPECT_NE(result.outcome, StepOutcome::Failed) << result.number;
}

TEST_F(RegistryRepairTest, AnInfectedRegistryIsRepairedAndTheUndoFileBringsAllOfItBack) {
  SeedInfected(registry_);
  const std::vector<std::string> before = DumpAll(registry_);
  const RepairRun run = Run();
  ASSERT_TRUE(run.ran);

  EXPECT_EQ(Text(registry_, HKLM, kWinlogon, "Shell"), "Explorer.exe ");
  EXPECT_EQ(Text(registry_, HKLM, kWinlogon, "DefaultUserName"), "alice");
  EXPECT_EQ(Text(registry_, HKCR, "exefile\\shell\\open\\command", ""), "\"%1\" %*");
  EXPECT_EQ(Text(registry_, HKCU, kRun, "Serviceuser1"), "<missing>");
  EXPECT_EQ(Text(registry_, HKLM, kRun, "Logonuser1"), "<missing>");
  EXPECT_EQ(Text(registry_, HKCU, kRun, "Serviceuser2"), "C:\\theirs.exe");
  EXPECT_EQ(Text(registry_, HKLM, kRun, "Keep Me"), "C:\\tool.exe");
  EXPECT_EQ(Text(registry_, HKCU, kRun, "ctfmon.exe"), "<missing>");
  EXPECT_EQ(Number(registry_, HKCU, kUserPolicy, "DisableRegistryTools"), 1u);  // a key with subkeys stays whole
  EXPECT_EQ(run.results[27].outcome, StepOutcome::Kept);
  EXPECT_EQ(Number(registry_, HKLM, kUserPolicy, "EnableLUA"), 0xFFFFFFFFu);
  EXPECT_EQ(Number(registry_, HKLM, kUserPolicy, "ConsentPromptBehaviorAdmin"), 5u);
  EXPECT_FALSE(registry_.KeyExists(HKLM, kRestorePolicy));
  EXPECT_FALSE(registry_.KeyExists(
      HKLM, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\msconfig.exe"));

  EXPECT_EQ(run.undoFile, Backup() / "RegistryUndo-20240501-134507.reg");
  const RegImport undone = Undo(run.undoFile);
  EXPECT_TRUE(undone.failures.empty());
  EXPECT_EQ(DumpAll(registry_), before);
}

TEST_F(RegistryRepairTest, TheUndoFileRemovesWhatThePassMadeAndNothingThatCameLater) {
  const std::string imageOptions = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
  ASSERT_EQ(registry_.CreateKey(HKLM, imageOptions), kRegOk);
  ASSERT_EQ(registry_.CreateKey(HKLM, kRun), kRegOk);
  std::vector<std::string> expected = DumpAll(registry_);
  const RepairRun run = Run();
  ASSERT_TRUE(run.ran);
  ASSERT_NE(DumpAll(registry_), expected);

  // Made after the pass, where the pass only deletes: an undo must leave them.
  ASSERT_EQ(registry_.SetText(HKLM, imageOptions + "\\procexp.exe", "Debugger", "theirs.exe"), kRegOk);
  ASSERT_EQ(registry_.SetText(HKLM, kRun, "System Monitoring", "theirs.exe"), kRegOk);
  for (const std::string& line : {imageOptions + "\\procexp.exe", imageOptions + "\\procexp.exe|Debugger=theirs.exe",
                                 std::string(kRun) + "|System Monitoring=theirs.exe"}) {
    expected.push_back("HKEY_LOCAL_MACHINE\\" + line);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_TRUE(Undo(run.undoFile).failures.empty());
  EXPECT_EQ(DumpAll(registry_), expected);
}

TEST_F(RegistryRepairTest, WithoutAdministratorRightsOnlyTheUserStepsTakeEffect) {
  SeedInfected(registry_);
  const std::vector<std::string> before = DumpAll(registry_);
  const auto machine = registry_.Dump(HKLM);
  const auto classes = registry_.Dump(HKCR);
  registry_.FailChangesUnder(HKLM, "", platform::kRegAccessDenied);
  registry_.FailChangesUnder(HKCR, "", platform::kRegAccessDenied);
  const RepairRun run = Run();
  ASSERT_TRUE(run.ran);
  EXPECT_EQ(registry_.Dump(HKLM), machine);
  EXPECT_EQ(registry_.Dump(HKCR), classes);
  EXPECT_EQ(Text(registry_, HKCU, kRun, "Serviceuser1"), "<missing>");
  EXPECT_EQ(Number(registry_, HKCU, kAdvanced, "HideFileExt"), 1u);
  EXPECT_EQ(OutcomeText(run.results[0]), "failed: access denied");   // HKLM set
  EXPECT_EQ(OutcomeText(run.results[1]), "failed: access denied");   // HKCR set
  EXPECT_EQ(OutcomeText(run.results[44]), "failed: access denied");  // an HKLM value that is there
  EXPECT_EQ(OutcomeText(run.results[45]), "absent");                 // an HKLM value that is not
  EXPECT_EQ(OutcomeText(run.results[9]), "changed");                 // HKCU

  const RegImport undone = Undo(run.undoFile);  // the HKLM and HKCR sections are refused again
  EXPECT_FALSE(undone.failures.empty());
  EXPECT_EQ(DumpAll(registry_), before);
}

TEST_F(RegistryRepairTest, EachStepReportsWhatItDidAndTheObserverSeesThePassInOrder) {
  Run();
  Recorder recorder(Backup());
  const RepairRun second = Run(recorder);
  ASSERT_TRUE(second.ran);
  EXPECT_TRUE(recorder.undoThereAtFirstStep);
  EXPECT_EQ(recorder.events,
            (std::vector<std::string>{"text STATUS : [ Fixing registry ... ]", "colour 32768",
                                      "undo RegistryUndo-20240501-134507-2.reg", "events"}));
  ASSERT_EQ(recorder.steps.size(), 103u);
  for (std::size_t i = 0; i < recorder.steps.size(); ++i) {
    const int step = recorder.steps[i];
    EXPECT_EQ(step, static_cast<int>(i) + 1);
    // The shell is written twice with two texts, and the restore policy is made
    // and deleted again on every run; everything else is already so or absent.
    const bool changes = step == 1 || step == 31 || step == 39 || step == 64;
    if (changes) {
      EXPECT_EQ(recorder.outcomes[i], "changed") << step;
    } else {
      EXPECT_TRUE(recorder.outcomes[i] == "already so" || recorder.outcomes[i] == "absent")
          << step << " " << recorder.outcomes[i];
    }
  }
}

TEST_F(RegistryRepairTest, TheWormFilesGoToQuarantineAndCanBeRestored) {
  const std::vector<std::uint8_t> worm(3000, 0x4D);
  test::WriteFile(dir_ / "Pictures" / "XxXLove.exe", worm);
  test::WriteFile(dir_ / "Startup" / "Fuckme.com", worm);
  test::WriteFile(dir_ / "Roaming" / "TuGas.exe", worm);
  fake_.files.locked.insert(dir_ / "Roaming" / "TuGas.exe");  // in use: it cannot go
  const RepairRun run = Run();
  EXPECT_EQ(OutcomeText(run.results[52]), "quarantined as XxXLove.exe.vir");
  EXPECT_EQ(OutcomeText(run.results[53]), "absent");
  EXPECT_EQ(OutcomeText(run.results[54]), "quarantined as Fuckme.com.vir");
  EXPECT_EQ(OutcomeText(run.results[55]), "failed: stored in quarantine as TuGas.exe.vir but the file could not be deleted");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "Pictures" / "XxXLove.exe"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "Startup" / "Fuckme.com"));

  const RestoreResult restored = store_.Restore("XxXLove.exe.vir", dir_ / "Pictures", false);
  ASSERT_EQ(restored.status, RestoreStatus::Restored);
  EXPECT_EQ(test::ReadFile(dir_ / "Pictures" / "XxXLove.exe"), worm);
}

TEST_F(RegistryRepairTest, UndoFilesAreNeverReplacedAndWithoutOneNothingChanges) {
  const RepairRun first = Run();
  const std::vector<std::uint8_t> firstBytes = test::ReadFile(first.undoFile);
  SeedInfected(registry_);
  const RepairRun second = Run();  // the same second of the same day
  EXPECT_EQ(second.undoFile, Backup() / "RegistryUndo-20240501-134507-2.reg");
  EXPECT_EQ(test::ReadFile(first.undoFile), firstBytes);
  EXPECT_NE(test::ReadFile(second.undoFile), firstBytes);

  MemoryRegistry untouched;
  SeedInfected(untouched);
  const auto expected = DumpAll(untouched);
  test::WriteFile(dir_ / "NotAFolder", "x");
  Recorder recorder(dir_ / "NotAFolder" / "Backup");
  RepairServices services{untouched, fake_.files, &store_};
  const RepairRun refused = RepairRegistry(services, values_, dir_ / "NotAFolder" / "Backup", {}, recorder);
  EXPECT_FALSE(refused.ran);
  EXPECT_TRUE(refused.results.empty());
  EXPECT_EQ(DumpAll(untouched), expected);
  EXPECT_EQ(recorder.events,
            (std::vector<std::string>{"text STATUS : [ Fixing registry ... ]", "colour 32768",
                                      "text STATUS : Error Detected !", "colour 255", "events"}));
}

TEST_F(RegistryRepairTest, TheDryRunForeseesTheRealRunAndChangesNothing) {
  SeedInfected(registry_);
  test::WriteFile(dir_ / "Local" / "MakeLove.exe", std::vector<std::uint8_t>(100, 1));
  const auto before = DumpAll(registry_);
  const std::vector<StepResult> plan = PlanRegistryRepair(registry_, fake_.files, values_);
  EXPECT_EQ(DumpAll(registry_), before);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "Local" / "MakeLove.exe"));

  const RepairRun run = Run();
  ASSERT_EQ(plan.size(), run.results.size());
  for (std::size_t i = 0; i < plan.size(); ++i) {
    EXPECT_EQ(plan[i].number, run.results[i].number);
    EXPECT_EQ(plan[i].outcome, run.results[i].outcome) << plan[i].number;
  }
}

TEST(UndoFileNameTest, DateTimeAndCopyNumber) {
  EXPECT_EQ(UndoFileName({2024, 12, 31, 9, 5, 0}, 1), "RegistryUndo-20241231-090500.reg");
  EXPECT_EQ(UndoFileName({2024, 12, 31, 9, 5, 0}, 3), "RegistryUndo-20241231-090500-3.reg");
  EXPECT_EQ(BackupFolderBeside(std::filesystem::path("prog") / "Log" / "kestro.log"),
            std::filesystem::path("prog") / "Log" / "Backup");
}

}  // namespace
}  // namespace kestro::remedy
