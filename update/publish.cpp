#include "update/publish.hpp"

#include <fstream>
#include <iterator>

#include "io/utf8_text.hpp"
#include "sigdb/database_date.hpp"
#include "sigdb/database_loader.hpp"
#include "update/database_verify.hpp"
#include "update/update_flow.hpp"
#include "update/update_index.hpp"

namespace kestro::update {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return text;
}

// Written under a temporary name and renamed, so a server never serves half a file.
bool WriteFileWhole(const fs::path& path, std::string_view bytes) {
  fs::path temporary = path;
  temporary += ".publishing";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(temporary, ec);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temporary, path, ec);
  if (ec) fs::remove(temporary, ec);
  return !ec;
}

std::string PathText(const fs::path& path) { return io::PathUtf8(path); }

}  // namespace

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

PublishOutcome PublishUpdate(const PublishRequest& request) {
  PublishOutcome outcome;
  if (const std::string problem = VersionProblem(request.version); !problem.empty()) {
    outcome.error = problem;
    return outcome;
  }
  std::string programUrl = request.programUrl;
  if (programUrl.empty() && request.programFile) programUrl = PathText(request.programFile->filename());
  if (programUrl.empty()) {
    outcome.error = "no program address (give --program URL or --program-file FILE)";
    return outcome;
  }

  // Every database must pass the updater's verification.
  std::array<std::string, 3> databases;
  sigdb::DatabaseValues values;
  for (std::size_t k = 0; k < databases.size(); ++k) {
    const auto kind = static_cast<sigdb::DatabaseKind>(k);
    const auto text = ReadText(request.databases[k]);
    if (!text) {
      outcome.error = "cannot read " + PathText(request.databases[k]);
      return outcome;
    }
    const std::vector<std::uint8_t> bytes(text->begin(), text->end());
    const DatabaseCheck check = VerifyDatabase(bytes, kind, {});
    if (!check.ok) {
      outcome.error = PathText(request.databases[k]) + " is not a sound " +
                      std::string(sigdb::DatabaseFileName(kind)) + ": " + check.reason;
      return outcome;
    }
    if (kind == sigdb::DatabaseKind::FileChecksum) {
      sigdb::SignatureList list;
      sigdb::LoadDatabaseBytes(bytes, kind, list, values);
    }
    databases[k] = *text;
  }

  std::optional<std::string> program;
  if (request.programFile) {
    program = ReadText(*request.programFile);
    if (!program || program->empty()) {
      outcome.error = "cannot read the program file " + PathText(*request.programFile) + " (or it is empty)";
      return outcome;
    }
  }
  std::string changeLog;
  if (request.changeLog) {
    const auto text = ReadText(*request.changeLog);
    if (!text) {
      outcome.error = "cannot read the change log " + PathText(*request.changeLog);
      return outcome;
    }
    changeLog = WithCrLf(*text);
  } else {
    changeLog =
        "KESTRO Antivirus " + request.version + "\r\nSignature databases " + values.DatabaseVersion + " of " +
        (values.DatabaseDate ? sigdb::FormatDatabaseDate(*values.DatabaseDate) : std::string()) + "\r\n";
  }
  if (!changeLog.empty() && !changeLog.ends_with("\r\n")) changeLog += "\r\n";

  const fs::path files = request.outFolder / "files";
  std::error_code ec;
  fs::create_directories(files, ec);
  if (!fs::is_directory(files, ec)) {
    outcome.error = "cannot create the folder " + PathText(files);
    return outcome;
  }

  IndexContent index;
  index.version = request.version;
  index.programUrl = programUrl;
  const auto write = [&](const std::string& name, std::string_view bytes) {
    if (!WriteFileWhole(files / name, bytes)) {
      outcome.error = "cannot write " + PathText(files / name);
      return false;
    }
    outcome.lines.push_back("wrote " + PathText(files / name));
    return true;
  };
  for (std::size_t k = 0; k < databases.size(); ++k) {
    const std::string name(sigdb::DatabaseFileName(static_cast<sigdb::DatabaseKind>(k)));
    if (!write(name, databases[k])) return outcome;
    index.databaseUrls[k] = request.baseUrl.empty() ? name : ServerFolderAddress(request.baseUrl) + name;
    index.digests[k] = Sha256Of(databases[k]);
  }
  if (program) {
    if (!write(PathText(request.programFile->filename()), *program)) return outcome;
    index.digests[kDigestProgram] = Sha256Of(*program);
  }
  if (!write(std::string(kChangeLogFileName), changeLog)) return outcome;
  // The index last: a server never names files that are not there yet.
  if (!write(std::string(kIndexFileName), WriteUpdateIndex(index))) return outcome;
  return outcome;
}

}  // namespace kestro::update
