// kestro-update: brings the signature databases up to date from the update
// server, with the desktop program's checks: each database is downloaded beside
// the one in use, verified, and the three are replaced together or not at all.
#include <iostream>
#include <optional>

#ifdef _WIN32
#include <io.h>
#include <objbase.h>
#else
#include <unistd.h>
#endif

#include "cli/common/database_folders.hpp"
#include "cli/common/entry.hpp"
#include "cli/update/console_progress.hpp"
#include "engine/identity.hpp"
#include "platform/registry.hpp"
#include "sigdb/database_loader.hpp"
#include "sigdb/database_values.hpp"
#include "update/database_update.hpp"
#include "update/native_downloader.hpp"
#include "update/update_flow.hpp"
#include "update/update_index.hpp"
#include "update/update_server.hpp"
#include "update/version_compare.hpp"

namespace kestro::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct Options {
  std::optional<std::string> server;
  std::optional<fs::path> dbFolder;
  bool force = false;
  bool help = false;
  bool version = false;
  std::string error;
};

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-h" || a == "--help") {
      options.help = true;
    } else if (a == "--version") {
      options.version = true;
    } else if (a == "--force") {
      options.force = true;
    } else if (a == "--server" || a == "--db") {
      if (i + 1 >= args.size()) {
        options.error = a + " needs a value";
        return options;
      }
      if (a == "--server")
        options.server = args[++i];
      else
        options.dbFolder = PathFromArg(args[++i]);
    } else if (a.starts_with("--server=")) {
      options.server = a.substr(9);
    } else if (a.starts_with("--db=")) {
      options.dbFolder = PathFromArg(a.substr(5));
    } else {
      options.error = "unknown argument '" + a + "'";
      return options;
    }
  }
  if (options.server && options.server->empty()) options.error = "--server needs an address";
  return options;
}

std::string ConfiguredServer() {
  return update::ConfiguredUpdateServer(platform::NativeRegistry());
}

void PrintHelp(std::ostream& out) {
  out << "Usage: kestro-update [--server URL] [--db DIR] [--force]\n\n"
         "Brings the KESTRO Antivirus signature databases DB_0x.avn, DB_1x.avn and\n"
         "DB_2x.avn up to date from the update server. Databases count as out of date\n"
         "from the day after the date in DB_0x.avn's header. Each new database is\n"
         "downloaded beside the one in use and verified (its SHA-256 digest when the\n"
         "update index gives one, and a full load); the three are then replaced\n"
         "together, or, when anything fails, not at all. A newer program version on\n"
         "the server is reported; kestro-update installs no program.\n\n"
         "Options:\n"
         "  --server URL  the server folder that holds update.txt\n"
         "                (default: "
      << ConfiguredServer()
      << ")\n"
         "  --db DIR      the database folder (default: the first of the program's\n"
         "                folder, ../share/kestro beside it"
#ifndef _WIN32
         ", /usr/local/share/kestro,\n"
         "                /usr/share/kestro"
#endif
         " that holds DB_0x.avn; else the\n"
         "                program's folder)\n"
         "  --force       download even when the databases are not out of date\n"
         "  -h, --help    show this help\n"
         "  --version     show the version\n\n"
         "Exit status: 0 the databases were updated or are already up to date,\n"
         "1 the update failed (nothing was replaced), 2 bad arguments.\n";
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

std::string DateText(const std::optional<sigdb::Date>& date) {
  return date ? sigdb::FormatDatabaseDate(*date) : std::string("no date");
}

// The header values of the DB_0x.avn in `folder` (empty when it has none).
sigdb::DatabaseValues InstalledValues(const fs::path& folder) {
  sigdb::SignatureList list;
  sigdb::DatabaseValues values;
  sigdb::LoadDatabaseFile(folder / "DB_0x.avn", sigdb::DatabaseKind::FileChecksum, list, values);
  return values;
}

// Reports a newer program version, as the desktop program would find it.
void ReportProgramVersion(const update::UpdateIndex& index, const std::string& indexUrl) {
  const std::string local = update::VersionDigits(engine::kVersion);
  if (!update::IsNewerVersion(index.serverDigits, local)) return;
  std::cout << "A newer program version is available: " << index.serverVersion << " (this is "
            << engine::kVersion << ")";
  if (!index.programUrl.empty()) std::cout << ", from " << update::ResolveUrl(indexUrl, index.programUrl);
  std::cout << ". kestro-update installs no program.\n";
}

class Session {
 public:
  explicit Session(update::UrlDownloader& downloader) : downloader_(downloader) {}

  // Fetches and reads the index; false (with the reason printed) when it fails.
  bool FetchIndex(const std::string& indexUrl, const fs::path& folder, update::UpdateIndex& index) {
    const fs::path path = folder / "update.txt.download";
    update::UpdateFiles& files = update::NativeUpdateFiles();
    files.Remove(path);
    const update::DownloadResult fetched = downloader_.Fetch(indexUrl, path, {});
    std::optional<std::vector<std::uint8_t>> bytes;
    if (fetched.ok) bytes = files.ReadAll(path, update::kMaxIndexBytes);
    files.Remove(path);
    if (!fetched.ok) {
      error_ = "cannot download the update index " + indexUrl + ": " + fetched.error;
      return false;
    }
    if (!bytes) {
      error_ = "the update index " + indexUrl + " cannot be read (missing or larger than " +
               std::to_string(update::kMaxIndexBytes) + " bytes)";
      return false;
    }
    update::ReadUpdateIndex(std::string(bytes->begin(), bytes->end()), index);
    return true;
  }
  const std::string& error() const { return error_; }

 private:
  update::UrlDownloader& downloader_;
  std::string error_;
};

int Run(const Options& options) {
  const fs::path folder = options.dbFolder
                              ? *options.dbFolder
                              : FindDefaultDatabaseFolder(ExecutableFolder()).value_or(ExecutableFolder());
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    std::cerr << "kestro-update: the database folder " << PathText(folder) << " does not exist\n";
    return kExitFailed;
  }
  const std::string server =
      update::ServerFolderAddress(options.server ? *options.server : ConfiguredServer());
  const std::string indexUrl = server + std::string(update::kIndexFileName);

  const sigdb::DatabaseValues installed = InstalledValues(folder);
  const bool outOfDate = sigdb::DatabaseAgeRule(installed, sigdb::LocalToday());

  const std::unique_ptr<update::UrlDownloader> downloader = update::MakeNativeDownloader();
  Session session(*downloader);
  update::UpdateIndex index;
  const bool indexRead = session.FetchIndex(indexUrl, folder, index);

  if (!outOfDate && !options.force) {
    std::cout << "The databases in " << PathText(folder) << " are up to date (version "
              << installed.DatabaseVersion << ", dated " << DateText(installed.DatabaseDate) << ").\n";
    if (indexRead)
      ReportProgramVersion(index, indexUrl);
    else
      std::cerr << "kestro-update: could not check for a newer program version: " << session.error() << "\n";
    return kExitOk;
  }
  if (!indexRead) {
    std::cerr << "kestro-update: " << session.error() << "; nothing was replaced.\n";
    return kExitFailed;
  }

  if (installed.DatabaseDate) {
    std::cout << "The databases in " << PathText(folder) << " (dated " << DateText(installed.DatabaseDate)
              << ") " << (outOfDate ? "are out of date" : "are not out of date, fetching anyway (--force)")
              << "; fetching from " << server << "\n";
  } else {
    std::cout << "No usable DB_0x.avn in " << PathText(folder) << "; fetching the databases from " << server
              << "\n";
  }
  update::DatabaseUpdateRequest request;
  request.folder = folder;
  request.sources = update::DatabaseSources(index, indexUrl);
  request.keepWhenIdentical = true;
  ConsoleDatabaseProgress progress(std::cout, std::cerr, StderrIsTerminal());
  const update::DatabaseUpdateOutcome outcome =
      update::UpdateDatabases(request, *downloader, update::NativeUpdateFiles(), progress);

  int status = kExitOk;
  switch (outcome.result) {
    case update::DatabaseUpdateOutcome::Result::Replaced: {
      const sigdb::DatabaseValues now = InstalledValues(folder);
      std::cout << "Updated: DB_0x.avn, DB_1x.avn and DB_2x.avn replaced in " << PathText(folder)
                << " (version " << now.DatabaseVersion << ", dated " << DateText(now.DatabaseDate) << ").\n";
      break;
    }
    case update::DatabaseUpdateOutcome::Result::Unchanged:
      std::cout << "The server has the same databases as " << PathText(folder) << ": nothing replaced.\n";
      break;
    case update::DatabaseUpdateOutcome::Result::DownloadFailed:
      std::cerr << "kestro-update: " << sigdb::DatabaseFileName(outcome.failedKind) << ": " << outcome.reason
                << "; nothing was replaced.\n";
      status = kExitFailed;
      break;
    case update::DatabaseUpdateOutcome::Result::ReplaceFailed:
      std::cerr << "kestro-update: " << outcome.reason << "; the databases were not changed.\n";
      status = kExitFailed;
      break;
  }
  ReportProgramVersion(index, indexUrl);
  return status;
}

}  // namespace
}  // namespace kestro::cli

int kestro::cli::ToolMain(const std::vector<std::string>& args) {
  const Options options = ParseOptions(args);
  if (options.help) {
    PrintHelp(std::cout);
    return kExitOk;
  }
  if (options.version) {
    std::cout << VersionLine("kestro-update") << "\n";
    return kExitOk;
  }
  if (!options.error.empty()) {
    std::cerr << "kestro-update: " << options.error << " (see kestro-update --help)\n";
    return kExitUsage;
  }
#ifdef _WIN32
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const int status = Run(options);
  if (SUCCEEDED(com)) CoUninitialize();
  return status;
#else
  return Run(options);
#endif
}
