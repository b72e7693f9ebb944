// `check`: runs the file check of the scanner on files, with the loaded
// databases, and prints the hits.
#include <iostream>
#include <optional>

#include "icon/cls_heuristic.hpp"
#include "checks/extension_list.hpp"
#include "checks/shortcut_check.hpp"
#include "cli/common/entry.hpp"
#include "cli/common/named_file.hpp"
#include "cli/sigtool/commands.hpp"
#include "scan/file_check.hpp"
#include "sigdb/database_format.hpp"
#include "sigdb/database_loader.hpp"

namespace kestro::sigtool {
namespace {

constexpr const char* kUsage = "usage: kestro-sigtool check [--db DIR] [--heal] FILE...";

}  // namespace

int RunCheck(const Args& args) {
  std::optional<std::filesystem::path> databaseFolder;
  bool heal = false;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--db") {
      if (i + 1 >= args.size()) {
        std::cerr << "kestro-sigtool check: --db needs a folder (" << kUsage << ")\n";
        return kExitError;
      }
      databaseFolder = cli::PathFromArg(args[++i]);
    } else if (args[i] == "--heal") {
      heal = true;
    } else if (args[i].starts_with("--")) {
      std::cerr << "kestro-sigtool check: unknown option " << args[i] << " (" << kUsage << ")\n";
      return kExitError;
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.empty()) {
    std::cerr << "kestro-sigtool check: no file given (" << kUsage << ")\n";
    return kExitError;
  }

  sigdb::SignatureLists lists;
  if (databaseFolder) {
    sigdb::DatabaseValues values;
    const sigdb::LoadAllOutcome outcome = sigdb::LoadDatabases(*databaseFolder, lists, values);
    if (outcome.status == sigdb::LoadStatus::Missing) {
      std::cerr << "kestro-sigtool check: " << sigdb::DatabaseFileName(outcome.missingKind) << " not found in "
                << cli::PathText(*databaseFolder) << "\n";
      return kExitError;
    }
  }

  const checks::IconHeuristicCheck icon(lists.icons);
  const checks::PlatformTargetExistence targets;
  const scan::FileCheckContext context{lists, icon, targets, heal};
  bool anyHit = false;
  bool anyError = false;
  for (const std::string& arg : files) {
    const auto path = cli::PathFromArg(arg);
    const std::string problem = cli::NotARegularFile(path);
    if (!problem.empty()) {
      std::cerr << "kestro-sigtool check: cannot open " << cli::DisplayText(arg) << ": " << problem << "\n";
      anyError = true;
      continue;
    }
    const checks::CheckResult result = scan::FileCheck(path, context);
    if (result) {
      std::cout << result.detectionName << '\t' << cli::DisplayText(arg) << '\n';
      anyHit = true;
    }
  }
  if (anyHit) return kExitFound;
  return anyError ? kExitError : kExitOk;
}

}  // namespace kestro::sigtool
