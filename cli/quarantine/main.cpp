// kestro-quarantine: the quarantine store and the HE3 container from the console.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli/common/entry.hpp"
#include "cli/common/named_file.hpp"
#include "platform/quarantine_location.hpp"
#include "remedy/cls_huffman.hpp"
#include "remedy/quarantine_store.hpp"

namespace kestro::quarantine_tool {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr const char* kTool = "kestro-quarantine";

using cli::PathFromArg;
using cli::PathText;

// The operations' messages go to standard error; questions are answered on the
// command line (--overwrite, --yes), never interactively.
class ConsoleMessages final : public platform::UserMessages {
 public:
  void ShowMessage(const std::string&, const std::string& text, platform::MessageIcon) override {
    std::string line = text;
    for (std::size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, " ");
    std::cerr << kTool << ": " << cli::DisplayText(line) << "\n";
  }
  bool AskYesNo(const std::string& caption, const std::string& text, platform::MessageIcon icon) override {
    ShowMessage(caption, text, icon);
    return false;
  }
};

void PrintHelp(std::ostream& out) {
  out << "Usage: kestro-quarantine [--dir DIR] COMMAND [ARGS...]\n\n"
         "Keeps detected files in the KESTRO Antivirus quarantine: each file is stored as a\n"
         "compressed HE3 container named after it with \".vir\" appended, and deleted from\n"
         "its place only after the container was written and decodes to the same bytes.\n\n"
         "Commands:\n"
         "  list                            list the containers in the quarantine folder\n"
         "  add FILE...                     quarantine each file, then delete it\n"
         "  restore NAME DESTDIR [--overwrite]\n"
         "                                  decode container NAME into DESTDIR (as NAME without\n"
         "                                  \".vir\") and remove the container; an existing file\n"
         "                                  is replaced only with --overwrite\n"
         "  delete NAME                     delete one container\n"
         "  delete-all --yes                delete every container\n"
         "  pack SRC DST                    write the HE3 container of SRC to DST\n"
         "  unpack SRC DST                  decode the container SRC to DST\n\n"
         "Options:\n"
         "  --dir DIR    the quarantine folder (default: "
      << PathText(platform::DefaultQuarantineFolder())
      << ")\n"
         "  -h, --help   show this help\n"
         "  --version    show the version\n\n"
         "A second file of the same name gets its own container (\"setup (2).exe.vir\").\n"
         "pack and unpack never replace an existing DST.\n"
         "Exit status: 0 success, 1 an operation failed, 2 wrong usage.\n";
}

int Usage(const std::string& problem) {
  std::cerr << kTool << ": " << problem << " (see kestro-quarantine --help)\n";
  return kExitUsage;
}

int Fail(const std::string& problem) {
  std::cerr << kTool << ": " << cli::DisplayText(problem) << "\n";
  return kExitFailed;
}

struct Tool {
  std::filesystem::path folder;
  ConsoleMessages messages;
  remedy::RemedyContext context{platform::NativeFileOps(), platform::NativeProcessTerminator(), messages,
                                "KESTRO Antivirus"};
  remedy::QuarantineStore store{folder, context, nullptr};

  explicit Tool(std::filesystem::path dir) : folder(std::move(dir)) {}

  bool FolderThere() { return context.files.IsFolder(folder); }

  int List() {
    if (!FolderThere()) return kExitOk;  // nothing quarantined yet
    for (const auto& name : store.List()) std::cout << cli::DisplayText(PathText(name)) << "\n";
    return kExitOk;
  }

  int Add(const std::vector<std::string>& files) {
    if (files.empty()) return Usage("add needs at least one FILE");
    if (!store.PrepareFolder()) return Fail("cannot create the quarantine folder " + PathText(folder));
    int status = kExitOk;
    for (const auto& arg : files) {
      const auto path = PathFromArg(arg);
      // Only regular files: a pipe or device is refused before anything opens it.
      if (const std::string problem = cli::NotARegularFile(path); !problem.empty() && problem != "no such file") {
        Fail(arg + ": " + problem + "; not quarantined");
        status = kExitFailed;
        continue;
      }
      const auto result = store.Quarantine(path);
      switch (result.status) {
        case remedy::QuarantineStatus::Quarantined:
          std::cout << "quarantined " << cli::DisplayText(arg) << " -> "
                    << cli::DisplayText(PathText(result.container.filename())) << "\n";
          continue;
        case remedy::QuarantineStatus::SourceMissing:
          Fail(arg + ": no such file");
          break;
        case remedy::QuarantineStatus::EncodeFailed:
          Fail(arg + ": the container could not be written (unreadable, empty or too large); the file is kept");
          break;
        case remedy::QuarantineStatus::VerifyFailed:
          Fail(arg + ": the written container did not decode to the file; the file is kept");
          break;
        case remedy::QuarantineStatus::DeleteFailed:
          Fail(arg + ": stored as " + PathText(result.container.filename()) + " but the file could not be deleted");
          break;
        case remedy::QuarantineStatus::NoFreeName:
          Fail(arg + ": no free container name left for this file name");
          break;
      }
      status = kExitFailed;
    }
    return status;
  }

  int Restore(const std::vector<std::string>& args) {
    bool overwrite = false;
    std::vector<std::string> rest;
    for (const auto& a : args) {
      if (a == "--overwrite") overwrite = true;
      else rest.push_back(a);
    }
    if (rest.size() != 2) return Usage("restore needs NAME and DESTDIR");
    const auto destination = PathFromArg(rest[1]);
    if (!context.files.IsFolder(destination)) return Fail(rest[1] + ": no such folder");
    // The name must be one the list shows, as in the Quarantine List.
    const auto name = PathFromArg(rest[0]);
    const auto listed = FolderThere() ? store.List() : std::vector<std::filesystem::path>{};
    if (std::find(listed.begin(), listed.end(), name) == listed.end()) {
      return Fail(rest[0] + ": no such container in " + PathText(folder));
    }
    if (const std::string problem = cli::NotARegularFile(folder / name); !problem.empty()) {
      return Fail(rest[0] + ": " + problem);
    }
    const auto result = store.Restore(name, destination, overwrite);
    switch (result.status) {
      case remedy::RestoreStatus::Restored:
        std::cout << "restored " << cli::DisplayText(rest[0]) << " -> " << cli::DisplayText(PathText(result.restored))
                  << "\n";
        return kExitOk;
      case remedy::RestoreStatus::NotFound:
        return Fail(rest[0] + ": no such container in " + PathText(folder));
      case remedy::RestoreStatus::SealInvalid:
        return Fail(rest[0] + ": the container is damaged and cannot be restored; it is kept");
      case remedy::RestoreStatus::DestinationExists:
        return Fail("not restored: use --overwrite to replace the existing file");
      case remedy::RestoreStatus::WriteFailed:
        return Fail("not restored: " + std::string(platform::FileErrorText(result.writeError)) +
                    "; the quarantined file is kept");
    }
    return kExitFailed;
  }

  int Delete(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage("delete needs exactly one NAME");
    if (!store.DeleteContainer(PathFromArg(args[0]))) return Fail(args[0] + ": not deleted");
    std::cout << "deleted " << cli::DisplayText(args[0]) << "\n";
    return kExitOk;
  }

  int DeleteAll(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0] != "--yes") return Usage("delete-all needs --yes to confirm");
    if (!FolderThere()) return kExitOk;
    const std::size_t before = store.List().size();
    const int deleted = store.DeleteAllContainers();
    std::cout << "deleted " << deleted << " of " << before << " containers\n";
    return static_cast<std::size_t>(deleted) == before ? kExitOk : kExitFailed;
  }

  int Transform(bool pack, const std::vector<std::string>& args) {
    if (args.size() != 2) return Usage(std::string(pack ? "pack" : "unpack") + " needs SRC and DST");
    const auto source = PathFromArg(args[0]);
    const auto destination = PathFromArg(args[1]);
    if (const std::string problem = cli::NotARegularFile(source); !problem.empty()) {
      return Fail(args[0] + ": " + problem);
    }
    if (context.files.Exists(destination)) return Fail(args[1] + ": already exists; not replaced");
    std::error_code ec;
    if (std::filesystem::file_size(source, ec) == 0 && !ec) return Fail(args[0] + ": empty file");
    remedy::clsHuffman huffman(context);
    const bool ok = pack ? huffman.EncodeFile(source, destination) : huffman.DecodeFile(source, destination);
    if (!ok) return Fail(args[0] + (pack ? ": cannot be packed" : ": not a sound HE3 container"));
    return kExitOk;
  }
};

}  // namespace
}  // namespace kestro::quarantine_tool

int kestro::cli::ToolMain(const std::vector<std::string>& argsIn) {
  using namespace kestro::quarantine_tool;
  std::vector<std::string> args;
  std::filesystem::path folder = kestro::platform::DefaultQuarantineFolder();
  for (std::size_t i = 0; i < argsIn.size(); ++i) {
    if (argsIn[i] == "--dir") {
      if (i + 1 >= argsIn.size()) return Usage("--dir needs a folder");
      folder = PathFromArg(argsIn[++i]);
    } else if (argsIn[i] == "-h" || argsIn[i] == "--help" || argsIn[i] == "help") {
      PrintHelp(std::cout);
      return kExitOk;
    } else if (argsIn[i] == "--version") {
      std::cout << kestro::cli::VersionLine(kTool) << "\n";
      return kExitOk;
    } else {
      args.push_back(argsIn[i]);
    }
  }
  if (args.empty()) {
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  if (folder.empty()) return Fail("no quarantine folder known here: give one with --dir");
  Tool tool(folder);
  const std::string command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "list") return rest.empty() ? tool.List() : Usage("list takes no arguments");
  if (command == "add") return tool.Add(rest);
  if (command == "restore") return tool.Restore(rest);
  if (command == "delete") return tool.Delete(rest);
  if (command == "delete-all") return tool.DeleteAll(rest);
  if (command == "pack") return tool.Transform(true, rest);
  if (command == "unpack") return tool.Transform(false, rest);
  return Usage("unknown command '" + command + "'");
}
