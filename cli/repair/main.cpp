// kestro-repair: the registry repair pass from the console, with its undo file.
#include <cstdio>
#include <ctime>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/common/entry.hpp"
#include "engine/identity.hpp"
#include "platform/quarantine_location.hpp"
#include "platform/registry.hpp"
#include "remedy/file_bytes.hpp"
#include "remedy/reg_file.hpp"
#include "remedy/registry_undo.hpp"

namespace kestro::repair_tool {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr const char* kTool = "kestro-repair";

using cli::PathFromArg;
using cli::PathText;

// Messages of the quarantine store go to standard error; nothing is asked.
class ConsoleMessages final : public platform::UserMessages {
 public:
  void ShowMessage(const std::string&, const std::string& text, platform::MessageIcon) override {
    std::string line = text;
    for (std::size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, " ");
    std::cerr << kTool << ": " << line << "\n";
  }
  bool AskYesNo(const std::string& caption, const std::string& text, platform::MessageIcon icon) override {
    ShowMessage(caption, text, icon);
    return false;
  }
};

std::filesystem::path DefaultBackupFolder() {
  return remedy::BackupFolderBeside(cli::ExecutableFolder() / "Log" / "kestro.log");
}

void PrintHelp(std::ostream& out) {
  out << "Usage: kestro-repair [--dry-run | --undo FILE] [--backup-dir DIR] [--quarantine DIR]\n\n"
         "Undoes, in one fixed pass of 103 steps, the registry changes that common worms make:\n"
         "hijacked open commands of program files, hidden-file settings, the Winlogon shell and\n"
         "user-init entries, policies that disable the registry editor, System Restore or the\n"
         "installer, debugger hijacks of system tools, worm autostart values and files, and the\n"
         "Safe Mode driver lists. The pass is the same on every machine: it also resets settings\n"
         "of Windows and of the user (registered owner and organisation, pending file renames,\n"
         "the current user's system policy key, the ctfmon autostart value, the Internet Explorer\n"
         "start page).\n\n"
         "Before it changes anything it writes an undo file (registry editor format) into the\n"
         "backup folder and prints its path; `kestro-repair --undo FILE` or `regedit /s FILE`\n"
         "puts back everything the pass changed. The four worm files it removes go to the\n"
         "quarantine folder; kestro-quarantine restores them.\n\n"
         "Options:\n"
         "  --dry-run          list the steps that would change something; change nothing\n"
         "  --undo FILE        import an undo file written by an earlier run\n"
         "  --backup-dir DIR   where undo files go (default: "
      << PathText(DefaultBackupFolder())
      << ")\n"
         "  --quarantine DIR   the quarantine folder (default: "
      << PathText(platform::DefaultQuarantineFolder())
      << ")\n"
         "  -h, --help         show this help\n"
         "  --version          show the version\n\n"
         "A run prints one line per step: its number, what it does and its outcome (changed,\n"
         "already so, absent, kept: the key has subkeys, quarantined as NAME, failed: REASON).\n"
         "Without administrator rights the machine-wide steps fail with \"access denied\".\n"
         "Exit status: 0 done, 1 a step or an import line failed or the undo file could not be\n"
         "written (then nothing was changed), 2 wrong usage.\n";
}

int Usage(const std::string& problem) {
  std::cerr << kTool << ": " << problem << " (see kestro-repair --help)\n";
  return kExitUsage;
}

int Fail(const std::string& problem) {
  std::cerr << kTool << ": " << problem << "\n";
  return kExitFailed;
}

remedy::BackupStamp Now() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) return {};
  return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec};
}

void PrintStep(int number, const std::string& description, const std::string& outcome) {
  char head[8];
  std::snprintf(head, sizeof head, "%3d  ", number);
  std::cout << head << description << "  ->  " << outcome << "\n";
}

int DryRun() {
  const remedy::RepairValues values = remedy::RepairValuesOfThisMachine(std::string(engine::kSite));
  const auto steps = remedy::ResolveSteps(values);
  const auto plan = remedy::PlanRegistryRepair(platform::NativeRegistry(), platform::NativeFileOps(), values);
  int changes = 0;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const bool quarantine = plan[i].outcome == remedy::StepOutcome::Quarantined;
    if (plan[i].outcome != remedy::StepOutcome::Changed && !quarantine) continue;
    PrintStep(plan[i].number, remedy::StepDescription(steps[i]), quarantine ? "would quarantine" : "would change");
    ++changes;
  }
  std::cout << changes << " of " << plan.size() << " steps would change something (nothing was changed).\n";
  return kExitOk;
}

// Prints the undo file's path first, then one line per step, and counts failures.
class PrintingObserver final : public remedy::RepairObserver {
 public:
  void UndoFileWritten(const std::filesystem::path& file) override {
    std::cout << "undo file: " << PathText(file) << "\n";
  }
  void StepDone(const remedy::ResolvedStep& step, const remedy::StepResult& result) override {
    PrintStep(result.number, remedy::StepDescription(step), remedy::OutcomeText(result));
    if (result.outcome == remedy::StepOutcome::Failed) ++failed;
  }
  int failed = 0;
};

int RealRun(const std::filesystem::path& backupFolder, const std::filesystem::path& quarantineFolder) {
  ConsoleMessages messages;
  remedy::RemedyContext context{platform::NativeFileOps(), platform::NativeProcessTerminator(), messages,
                                std::string(engine::kProgram)};
  remedy::QuarantineStore store(quarantineFolder, context, nullptr);
  remedy::RepairServices services{platform::NativeRegistry(), platform::NativeFileOps(), &store};
  PrintingObserver observer;
  const remedy::RepairRun run = remedy::RepairRegistry(
      services, remedy::RepairValuesOfThisMachine(std::string(engine::kSite)), backupFolder, Now(), observer);
  if (!run.ran) {
    return Fail("the undo file could not be written into " + PathText(backupFolder) +
                "; the registry was not changed");
  }
  for (const std::string& key : run.notCovered) {
    std::cerr << kTool << ": warning: " << key << " could not be read, so the undo file does not cover it\n";
  }
  std::cout << run.results.size() << " steps done, " << observer.failed << " failed. To put everything back: "
            << kTool << " --undo \"" << PathText(run.undoFile) << "\"\n";
  return observer.failed == 0 ? kExitOk : kExitFailed;
}

int Undo(const std::filesystem::path& file) {
  const auto bytes = remedy::ReadWholeFile(file);
  if (!bytes) return Fail(PathText(file) + ": cannot be read");
  const remedy::RegFileParse parse = remedy::ParseRegFile(*bytes);
  if (!parse.recognised) {
    return Fail(PathText(file) + ": not a registry file (\"" + std::string(remedy::kRegFileHeader) + "\" expected)");
  }
  for (const std::string& problem : parse.problems) std::cerr << kTool << ": skipped " << problem << "\n";
  const remedy::RegImport imported = remedy::ApplyRegFile(platform::NativeRegistry(), parse.keys);
  for (const std::string& failure : imported.failures) std::cerr << kTool << ": failed " << failure << "\n";
  std::cout << "imported " << PathText(file) << ": " << imported.applied << " keys and values put back, "
            << imported.failures.size() + parse.problems.size() << " failed\n";
  return imported.failures.empty() && parse.problems.empty() ? kExitOk : kExitFailed;
}

}  // namespace
}  // namespace kestro::repair_tool

int kestro::cli::ToolMain(const std::vector<std::string>& args) {
  using namespace kestro::repair_tool;
  bool dryRun = false;
  std::optional<std::string> undoFile;
  std::filesystem::path backupFolder = DefaultBackupFolder();
  std::filesystem::path quarantineFolder = platform::DefaultQuarantineFolder();
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      PrintHelp(std::cout);
      return kExitOk;
    } else if (arg == "--version") {
      std::cout << kestro::cli::VersionLine(kTool) << "\n";
      return kExitOk;
    } else if (arg == "--dry-run") {
      dryRun = true;
    } else if (arg == "--undo" || arg == "--backup-dir" || arg == "--quarantine") {
      if (i + 1 >= args.size()) return Usage(arg + " needs a value");
      const std::string& given = args[++i];
      if (arg == "--undo") {
        undoFile = given;
      } else if (arg == "--backup-dir") {
        backupFolder = PathFromArg(given);
      } else {
        quarantineFolder = PathFromArg(given);
      }
    } else {
      return Usage("unknown argument " + arg);
    }
  }
  if (dryRun && undoFile) return Usage("--dry-run and --undo cannot go together");
  if (undoFile) return Undo(PathFromArg(*undoFile));
  if (dryRun) return DryRun();
  if (quarantineFolder.empty()) return Fail("the quarantine folder is unknown; give it with --quarantine DIR");
  return RealRun(backupFolder, quarantineFolder);
}
