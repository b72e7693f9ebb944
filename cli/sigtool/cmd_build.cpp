// `build`: compiles a source file of `name;signature` lines into a database file.
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

#include "cli/common/entry.hpp"
#include "cli/common/named_file.hpp"
#include "cli/sigtool/commands.hpp"
#include "sigdb/database_writer.hpp"

namespace kestro::sigtool {
namespace {

constexpr const char* kBuildUsage =
    "usage: kestro-sigtool build --kind 0|1|2 [--version TEXT] [--date DD-MMM-YY] SOURCE OUT";

int Fail(const std::string& message) {
  std::cerr << "kestro-sigtool build: " << message << "\n" << kBuildUsage << "\n";
  return kExitError;
}

}  // namespace

int RunBuild(const Args& args) {
  std::optional<sigdb::DatabaseKind> kind;
  std::optional<std::string> version;
  std::optional<std::string> dateText;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--kind" || a == "--version" || a == "--date") {
      if (i + 1 >= args.size()) return Fail(a + " needs a value");
      const std::string& value = args[++i];
      if (a == "--kind") {
        kind = value.size() == 1 ? sigdb::DatabaseKindFromNumber(value[0] - '0') : std::nullopt;
        if (!kind) return Fail("--kind must be 0, 1 or 2, not '" + value + "'");
      } else if (a == "--version") {
        version = value;
      } else {
        dateText = value;
      }
    } else if (a.starts_with("--")) {
      return Fail("unknown option '" + a + "'");
    } else {
      files.push_back(a);
    }
  }
  if (!kind) return Fail("--kind is required");
  if (files.size() != 2) return Fail("expected SOURCE and OUT");

  sigdb::DatabaseHeader header{.version = {}, .date = sigdb::LocalToday()};
  if (dateText) {
    const auto date = sigdb::ParseDatabaseDate(*dateText);
    if (!date) {
      return Fail("date '" + *dateText + "' is not a day, an English month name and a year (for example 09-Dec-26)");
    }
    header.date = *date;
  }
  header.version = version ? *version : sigdb::FormatVersionDate(header.date);
  if (*kind != sigdb::DatabaseKind::FileChecksum && (version || dateText)) {
    std::cerr << "kestro-sigtool build: note: only kind 0 has a header; --version and --date are ignored\n";
  }

  if (const std::string problem = cli::NotARegularFile(cli::PathFromArg(files[0])); !problem.empty()) {
    return Fail(files[0] + ": " + problem);
  }
  std::ifstream in(cli::PathFromArg(files[0]), std::ios::binary);
  if (!in) return Fail("cannot read " + files[0]);
  const std::string sourceText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return Fail("cannot read " + files[0]);

  const sigdb::SourceOutcome source = sigdb::ParseSourceText(sourceText);
  if (!source.error.empty()) return Fail(files[0] + ": " + source.error);
  const sigdb::BuildOutcome built = sigdb::BuildDatabase(*kind, header, source.records);
  if (!built.error.empty()) return Fail(files[0] + ": " + built.error);

  std::ofstream out(cli::PathFromArg(files[1]), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(built.bytes.data()), static_cast<std::streamsize>(built.bytes.size()));
  out.close();
  if (!out) return Fail("cannot write " + files[1]);
  return kExitOk;
}

}  // namespace kestro::sigtool
