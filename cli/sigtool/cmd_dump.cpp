// `dump`: prints a database file as the loader sees it, in the source form that
// `build` reads, so that build and dump round-trip.
#include <iostream>
#include <optional>

#include "cli/common/entry.hpp"
#include "cli/common/named_file.hpp"
#include "cli/sigtool/commands.hpp"
#include "sigdb/database_loader.hpp"

namespace kestro::sigtool {
namespace {

constexpr const char* kDumpUsage = "usage: kestro-sigtool dump FILE [--kind 0|1|2]";

int Fail(const std::string& message) {
  std::cerr << "kestro-sigtool dump: " << message << "\n" << kDumpUsage << "\n";
  return kExitError;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// DB_0x.avn, DB_1x.avn, DB_2x.avn (any letter case) name their own kind.
std::optional<sigdb::DatabaseKind> KindFromFileName(const std::filesystem::path& path) {
  const std::string name = cli::PathText(path.filename());
  for (int k = 0; k < 3; ++k) {
    const std::string_view expected = sigdb::DatabaseFileName(static_cast<sigdb::DatabaseKind>(k));
    if (name.size() != expected.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size(); ++i) same = same && Upper(name[i]) == Upper(expected[i]);
    if (same) return static_cast<sigdb::DatabaseKind>(k);
  }
  return std::nullopt;
}

}  // namespace

int RunDump(const Args& args) {
  std::optional<sigdb::DatabaseKind> kind;
  std::optional<std::string> file;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--kind") {
      const std::string value = i + 1 < args.size() ? args[++i] : "";
      kind = value.size() == 1 ? sigdb::DatabaseKindFromNumber(value[0] - '0') : std::nullopt;
      if (!kind) return Fail("--kind must be 0, 1 or 2");
    } else if (args[i].starts_with("--")) {
      return Fail("unknown option '" + args[i] + "'");
    } else if (file) {
      return Fail("only one FILE can be dumped at a time");
    } else {
      file = args[i];
    }
  }
  if (!file) return Fail("no file given");
  const auto path = cli::PathFromArg(*file);
  if (!kind) kind = KindFromFileName(path);
  if (!kind) return Fail("cannot tell the kind of " + *file + " from its name: give --kind");
  if (const std::string problem = cli::NotARegularFile(path); !problem.empty()) return Fail(*file + ": " + problem);

  sigdb::SignatureList list;
  sigdb::DatabaseValues values;
  const sigdb::LoadOutcome outcome = sigdb::LoadDatabaseFile(path, *kind, list, values);
  switch (outcome.status) {
    case sigdb::LoadStatus::Loaded: break;
    case sigdb::LoadStatus::Missing: return Fail(*file + ": no such file");
    case sigdb::LoadStatus::TooManyLines:
      return Fail(*file + ": more than 32768 lines, the loader loads no record of it");
    case sigdb::LoadStatus::TooLarge: return Fail(*file + ": too large to be a database");
    case sigdb::LoadStatus::ReadError: return Fail(*file + ": cannot be read");
  }

  if (*kind == sigdb::DatabaseKind::FileChecksum) {
    std::cout << "# version: " << values.DatabaseVersion << "\n# date: "
              << (values.DatabaseDate ? sigdb::FormatDatabaseDate(*values.DatabaseDate) : "(unset)") << "\n";
  }
  for (std::size_t k = 1; k <= list.Count(); ++k) std::cout << list.Name(k) << ';' << list.Signature(k) << '\n';
  std::cout.flush();

  switch (outcome.stop) {
    case sigdb::LoadStop::EndOfFile:
    case sigdb::LoadStop::FinalLineEnd: return kExitOk;
    case sigdb::LoadStop::BadRecord:
      std::cerr << "kestro-sigtool dump: " << *file << ": loading stops at line " << outcome.stopLine + 1
                << " of " << outcome.lines << " (an empty record or one without ';')\n";
      return kExitError;
    case sigdb::LoadStop::BadHeaderDate:
      std::cerr << "kestro-sigtool dump: " << *file << ": the header date does not parse; no record loads\n";
      return kExitError;
  }
  return kExitError;
}

}  // namespace kestro::sigtool
