// `crc` and `head`: the sampled checksum and the last-section head text of files,
// the two values a database author needs to add a file to the databases.
#include <cstdio>
#include <iostream>

#include "io/mdl_pe.hpp"
#include "io/sampled_checksum.hpp"
#include "cli/common/entry.hpp"
#include "cli/common/named_file.hpp"
#include "cli/sigtool/commands.hpp"

namespace kestro::sigtool {

int RunCrc(const Args& args) {
  if (args.empty()) {
    std::cerr << "kestro-sigtool crc: no file given (usage: kestro-sigtool crc FILE...)\n";
    return kExitError;
  }
  int status = kExitOk;
  for (const std::string& arg : args) {
    const auto path = cli::PathFromArg(arg);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
      // The checksum of an unopenable file is still defined, but a user asking for
      // it almost certainly mistyped the name: say so, and still print the value.
      std::cerr << "kestro-sigtool crc: warning: cannot open " << cli::DisplayText(arg) << ": "
                << cli::NotARegularFile(path) << "\n";
      status = kExitError;
    }
    std::cout << checks::SampledFileChecksum(path) << ' ' << cli::DisplayText(arg) << '\n';
  }
  return status;
}

int RunHead(const Args& args) {
  if (args.empty()) {
    std::cerr << "kestro-sigtool head: no file given (usage: kestro-sigtool head FILE...)\n";
    return kExitError;
  }
  int status = kExitOk;
  for (const std::string& arg : args) {
    const auto path = cli::PathFromArg(arg);
    const std::int32_t handle = checks::mdlPE::OpenForChecking(path);
    if (handle <= 0) {
      const std::string problem = cli::NotARegularFile(path);
      std::cerr << "kestro-sigtool head: cannot open " << cli::DisplayText(arg)
                << (problem.empty() ? "" : ": " + problem) << "\n";
      std::cout << ' ' << cli::DisplayText(arg) << '\n';
      status = kExitError;
      continue;
    }
    const std::int32_t eLfanew = checks::mdlPE::ProbePE(handle);
    const std::string head = eLfanew != 0 ? checks::mdlPE::LastSectionHeadText(handle, eLfanew) : "";
    checks::mdlPE::CloseFile(handle);
    std::cout << head << ' ' << cli::DisplayText(arg) << '\n';
  }
  return status;
}

}  // namespace kestro::sigtool
