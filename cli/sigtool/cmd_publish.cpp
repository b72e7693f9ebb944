// `publish`: writes an update server folder from three databases.
#include <iostream>

#include "cli/common/entry.hpp"
#include "cli/sigtool/commands.hpp"
#include "update/publish.hpp"

namespace kestro::sigtool {
namespace {

constexpr const char* kPublishUsage =
    "usage: kestro-sigtool publish OUTDIR --version X.Y --program URL [--program-file FILE]\n"
    "                              [--url BASE] [--changelog FILE] DB_0x.avn DB_1x.avn DB_2x.avn";

int Fail(const std::string& message) {
  std::cerr << "kestro-sigtool publish: " << message << "\n" << kPublishUsage << "\n";
  return kExitError;
}

}  // namespace

int RunPublish(const Args& args) {
  update::PublishRequest request;
  bool haveVersion = false;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--version" || a == "--program" || a == "--program-file" || a == "--url" || a == "--changelog") {
      if (i + 1 >= args.size()) return Fail(a + " needs a value");
      const std::string& value = args[++i];
      if (a == "--version") {
        request.version = value;
        haveVersion = true;
      } else if (a == "--program") {
        request.programUrl = value;
      } else if (a == "--program-file") {
        request.programFile = cli::PathFromArg(value);
      } else if (a == "--url") {
        request.baseUrl = value;
      } else {
        request.changeLog = cli::PathFromArg(value);
      }
    } else if (a.starts_with("--")) {
      return Fail("unknown option '" + a + "'");
    } else {
      positional.push_back(a);
    }
  }
  if (!haveVersion) return Fail("--version is required");
  if (request.programUrl.empty() && !request.programFile)
    return Fail("--program URL or --program-file FILE is required");
  if (positional.size() != 4)
    return Fail("expected OUTDIR and the three databases DB_0x.avn DB_1x.avn DB_2x.avn");
  request.outFolder = cli::PathFromArg(positional[0]);
  for (std::size_t k = 0; k < 3; ++k) request.databases[k] = cli::PathFromArg(positional[k + 1]);

  const update::PublishOutcome outcome = update::PublishUpdate(request);
  for (const std::string& line : outcome.lines) std::cout << line << "\n";
  if (!outcome.error.empty()) {
    std::cerr << "kestro-sigtool publish: " << outcome.error << "\n";
    return kExitError;
  }
  return kExitOk;
}

}  // namespace kestro::sigtool
