#include "cli/scan/scan_options.hpp"

#include <charconv>
#include <optional>

#include "cli/common/entry.hpp"

namespace kestro::cli {
namespace {

struct ListedOption {
  std::string name;
  std::optional<std::string> inlineValue;  // "--name=value"
};

// "--name VALUE" or "--name=VALUE" for one of the repeatable options.
template <typename... Names>
std::optional<ListedOption> ListOption(const std::string& arg, const Names&... names) {
  std::optional<ListedOption> found;
  const auto test = [&](const char* name) {
    const std::string n = name;
    if (found) return;
    if (arg == n) found = ListedOption{n, std::nullopt};
    else if (arg.rfind(n + "=", 0) == 0) found = ListedOption{n, arg.substr(n.size() + 1)};
  };
  (test(names), ...);
  return found;
}

}  // namespace

ParseResult ParseScanOptions(const std::vector<std::string>& args) {
  ParseResult result;
  ScanOptions& o = result.options;
  bool onlyPaths = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* option) -> std::optional<std::string> {
      if (i + 1 >= args.size()) {
        result.error = std::string(option) + " needs a value";
        return std::nullopt;
      }
      return args[++i];
    };
    if (onlyPaths || a.empty() || a[0] != '-' || a == "-") {
      o.paths.push_back(a);
    } else if (a == "--") {
      onlyPaths = true;
    } else if (a == "-h" || a == "--help") {
      result.showHelp = true;
      return result;
    } else if (a == "--db") {
      const auto v = value("--db");
      if (!v) return result;
      o.dbFolder = PathFromArg(*v);
    } else if (a == "--log") {
      const auto v = value("--log");
      if (!v) return result;
      o.logFile = PathFromArg(*v);
    } else if (a == "--clean") {
      o.clean = true;
    } else if (a == "--quarantine") {
      o.quarantine = true;
    } else if (a.rfind("--quarantine=", 0) == 0) {
      o.quarantine = true;
      const std::string dir = a.substr(13);
      if (dir.empty()) {
        result.error = "--quarantine= needs a folder";
        return result;
      }
      o.quarantineFolder = PathFromArg(dir);
    } else if (a == "--no-archive") {
      o.archives = false;
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "--processes") {
      o.processes = true;
    } else if (a == "-j" || a.rfind("-j", 0) == 0 || a.rfind("--jobs=", 0) == 0) {
      std::string text;
      if (a == "-j") {
        const auto v = value("-j");
        if (!v) return result;
        text = *v;
      } else {
        text = a.rfind("--jobs=", 0) == 0 ? a.substr(7) : a.substr(2);
      }
      unsigned n = 0;
      const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
      if (ec != std::errc() || end != text.data() + text.size() || n < 1 || n > 64) {
        result.error = "-j takes a number of threads from 1 to 64, not '" + text + "'";
        return result;
      }
      o.jobs = n;
    } else if (a == "--version") {
      result.showVersion = true;
      return result;
    } else if (a == "-q" || a == "--quiet") {
      o.quiet = true;
    } else if (a == "--one-file-system") {
      o.oneFileSystem = true;
    } else if (const auto listed = ListOption(a, "--file-list", "--exclude", "--exclude-dir")) {
      std::string text;
      if (listed->inlineValue) {
        text = *listed->inlineValue;
      } else {
        const auto v = value(listed->name.c_str());
        if (!v) return result;
        text = *v;
      }
      if (text.empty()) {
        result.error = listed->name + " needs a value";
        return result;
      }
      if (listed->name == "--file-list") o.fileLists.push_back(text);
      else if (listed->name == "--exclude") o.excludes.push_back(text);
      else o.excludeDirs.push_back(text);
    } else {
      result.error = "unknown option '" + a + "'";
      return result;
    }
  }
  if (o.paths.empty() && o.fileLists.empty() && !o.processes) result.error = "no folder or file to scan";
  return result;
}

std::string ScanHelpText() {
  return R"(Usage: kestro-scan [OPTIONS] PATH...
       kestro-scan [OPTIONS] --file-list FILE [PATH...]
       kestro-scan --processes [OPTIONS] [PATH...]

Scans folders (recursively) and files with the KESTRO Antivirus checks and
signature databases. Candidate files are those the desktop scan examines: names
ending in EXE SYS OCX DLL VBS VBE PHP BAT CMD HTM HTML COM LNK EML (the last
three characters of the name, in any case) of at most 10,485,760 bytes, and RAR
archives of at most 5,242,880 bytes (members are checked whatever their name;
numbered volumes such as .part1.rar are skipped).

Output:
  stdout   one line per detection: the detection name, blanks up to the log's
           column, the location (archive members as ARCHIVE:/MEMBER)
  stderr   a live progress line when stderr is a terminal, and a summary

Options:
  --db DIR            folder of DB_0x.avn, DB_1x.avn, DB_2x.avn (default: the
                      program's folder, then ../share/kestro beside it, then
                      /usr/local/share/kestro and /usr/share/kestro)
  --log FILE          write the scan log in the product's format to FILE
  --clean             delete detected files with the delete routine
  --quarantine[=DIR]  quarantine detected files (default folder: the product's
                      quarantine folder); the file is deleted only after its
                      container was written and verified
  --no-archive        do not look inside RAR archives
  -j N, --jobs=N      check files with N threads; detections, their order and
                      the log are the same as with -j 1
  --json              one JSON object per detection (name, location, path,
                      path_bytes when needed, packer, time) instead of the
                      column layout
  --file-list FILE    also scan the paths listed in FILE, one per line ("-"
                      reads them from standard input)
  --exclude GLOB      pass over files whose path or name matches GLOB
  --exclude-dir GLOB  do not enter folders whose path or name matches GLOB
                      (both repeatable; "*" matches any run of characters,
                      "/" included, "?" one character, "[a-z]" a set)
  --one-file-system   do not enter folders on another file system than the
                      folder given (mounted disks, /proc)
  --processes         first check the executable of every running process,
                      whatever its name (each file once; executables other
                      than 32-bit Windows programs, such as 64-bit or Linux
                      ones, are looked up in the checksum list too); a
                      detection is reported like a file, its location the
                      executable's path. Processes are never suspended,
                      asked about or ended, and --clean/--quarantine leave
                      these files alone. Processes the tool may not look into
                      (other users', protected ones) are counted on stderr.
  -q, --quiet         print detections only: no progress, summary or warnings
  --version           show the version
  -h, --help          show this help

Names are printed as they are, except that control characters (line breaks,
tabs, escapes) are shown as "?"; the JSON output keeps every name exactly
(valid UTF-8 always; a name that is not UTF-8 also carries its bytes in
"path_bytes", base64). Only regular files are read: a named pipe, device or
socket given by name is refused with a message, and one met in a folder is
passed over.

Exit status: 0 no detection, 1 detections, 2 an error (bad arguments,
databases missing, a path that does not exist or is not a regular file or
folder; detections outrank errors), 130 interrupted (Ctrl-C).

On Linux, shortcut (.lnk) targets are Windows paths whose existence cannot be
judged: the missing-target check answers no there, and the byte markers of
shortcuts still run. Processes are never terminated on Linux.
)";
}

}  // namespace kestro::cli
