// kestro-sigtool: the signature database author's tool.
#include <array>
#include <iostream>

#include "cli/common/entry.hpp"
#include "cli/sigtool/commands.hpp"

namespace kestro::sigtool {
namespace {

constexpr std::array kCommands = {
    Command{"crc", "crc FILE...",
            "Print the sampled checksum of each file, one per line: <checksum> <path>.", RunCrc},
    Command{"head", "head FILE...",
            "Print the last-section head text of each 32-bit PE image: <head> <path>\n"
            "      (the head part is empty when the file has none).",
            RunHead},
};

void PrintHelp(std::ostream& out) {
  out << "Usage: kestro-sigtool COMMAND [ARGS...]\n\n"
         "Builds, inspects and tests KESTRO Antivirus signature databases.\n\nCommands:\n";
  for (const Command& c : kCommands) out << "  " << c.usage << "\n      " << c.summary << "\n";
  out << "\nOptions:\n  -h, --help   show this help\n\n"
         "Exit status: 0 success, 1 a `check` found something, 2 an error.\n";
}

}  // namespace
}  // namespace kestro::sigtool

int kestro::cli::ToolMain(const std::vector<std::string>& args) {
  using namespace kestro::sigtool;
  if (args.empty()) {
    PrintHelp(std::cerr);
    return kExitError;
  }
  if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
    PrintHelp(std::cout);
    return kExitOk;
  }
  for (const Command& c : kCommands) {
    if (args[0] == c.name) return c.run(Args(args.begin() + 1, args.end()));
  }
  std::cerr << "kestro-sigtool: unknown command '" << args[0] << "' (see kestro-sigtool --help)\n";
  return kExitError;
}
