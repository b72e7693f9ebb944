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
    Command{"icon", "icon FILE... | icon --bmp OUT.bmp FILE",
            "Print the icon value of each executable: <value> <path> (the value is empty\n"
            "      when the file shows no icon); with --bmp, write the 32x32 canvas the value\n"
            "      is computed from to OUT.bmp.",
            RunIcon},
    Command{"build", "build --kind 0|1|2 [--version TEXT] [--date DD-MMM-YY] SOURCE OUT",
            "Compile SOURCE (lines of name;signature, blank lines and # comments ignored)\n"
            "      into the database file OUT: kind 0 DB_0x.avn (with the version and date\n"
            "      header; defaults: today, version yyyy.mm.dd), 1 DB_1x.avn, 2 DB_2x.avn.",
            RunBuild},
    Command{"dump", "dump FILE [--kind 0|1|2]",
            "Print a database file as the program loads it, in the SOURCE form of `build`\n"
            "      (kind from the file name DB_0x/1x/2x.avn unless given).",
            RunDump},
    Command{"check", "check [--db DIR] [--heal] FILE...",
            "Run the scanner's file check on each file and print each hit: <name>TAB<path>.\n"
            "      --db loads DB_0x/1x/2x.avn from DIR (without it, only the heuristics and\n"
            "      byte markers run). Files are never changed unless --heal is given (then an\n"
            "      HTML file carrying the VBS.ALICE.A script is repaired as the scanner does).\n"
            "      Shortcut targets can be judged only on Windows. Exit 1 on any hit.",
            RunCheck},
    Command{"publish",
            "publish OUTDIR --version X.Y --program URL [--program-file FILE] [--url BASE]\n"
            "          [--changelog FILE] DB_0x.avn DB_1x.avn DB_2x.avn",
            "Write an update server folder that any static web server can serve:\n"
            "      OUTDIR/files/update.txt (the index: version X.Y at character 23, the\n"
            "      program address, the database addresses and their SHA-256 digests),\n"
            "      the three databases and ChangeLog.txt (from FILE, or a short text).\n"
            "      Serve OUTDIR and point the updater at http://HOST/files/. Database\n"
            "      addresses are relative to the index unless --url BASE is given (older\n"
            "      readers need --url). --program-file copies the installer beside the\n"
            "      index and records its digest. Databases that do not load are refused.",
            RunPublish},
};

void PrintHelp(std::ostream& out) {
  out << "Usage: kestro-sigtool COMMAND [ARGS...]\n\n"
         "Builds, inspects and tests KESTRO Antivirus signature databases.\n\nCommands:\n";
  for (const Command& c : kCommands) out << "  " << c.usage << "\n      " << c.summary << "\n";
  out << "\nOptions:\n  -h, --help   show this help\n  --version    show the version\n\n"
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
  if (args[0] == "--version") {
    std::cout << kestro::cli::VersionLine("kestro-sigtool") << "\n";
    return kExitOk;
  }
  for (const Command& c : kCommands) {
    if (args[0] == c.name) return c.run(Args(args.begin() + 1, args.end()));
  }
  std::cerr << "kestro-sigtool: unknown command '" << args[0] << "' (see kestro-sigtool --help)\n";
  return kExitError;
}
