#include "update/update_flow.hpp"

#include <stdexcept>

#include "update/database_update.hpp"
#include "update/update_texts.hpp"
#include "update/version_compare.hpp"

namespace kestro::update {
namespace {

namespace fs = std::filesystem;

std::string Line(std::string_view text) {
  return std::string(text) + std::string(kLineEnd);
}

std::string TextOf(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// A failure the flow cannot go on from: ends the check with "Server error !".
struct ServerFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Writes the database steps into the text box: the first heading keeps its
// result on the same line, the other two on the next line.
class DatabaseLines final : public DatabaseUpdateObserver {
 public:
  explicit DatabaseLines(UpdateView& view) : view_(view) {}

  void DownloadStarting(sigdb::DatabaseKind kind) override {
    const int number = static_cast<int>(kind) + 1;
    view_.AppendText(number == 1 ? DownloadingDatabase(number) : Line(DownloadingDatabase(number)));
  }
  void DownloadProgress(sigdb::DatabaseKind, std::uint64_t received, std::uint64_t total) override {
    if (total != 0) view_.ShowProgress(received, total);
  }
  void DownloadChecked(sigdb::DatabaseKind, const DatabaseCheck& check, const FileDigest& digest) override {
    view_.ResetProgress();
    if (!check.ok) {
      view_.AppendText(Line(Failed(check.reason)));
      return;
    }
    view_.AppendText(Line(kSuccess));
    if (digest.state == FileDigest::State::Absent) view_.AppendText(Line(kNoDatabaseDigest));
  }

 private:
  UpdateView& view_;
};

bool AllowedInFileName(char c) {
  const auto code = static_cast<unsigned char>(c);
  if (code < 0x20 || code == 0x7F) return false;
  constexpr std::string_view kForbidden = "\\/:*?\"<>|";
  return kForbidden.find(c) == std::string_view::npos;
}

}  // namespace

std::string ProgramUpdateFileName(std::string_view serverDigits, std::string_view extension) {
  std::string name = "UPDATE_" + std::string(serverDigits) + std::string(extension);
  for (char& c : name) {
    if (!AllowedInFileName(c)) c = '_';
  }
  return name;
}

std::string ServerFolderAddress(std::string_view serverBase) {
  std::string folder(serverBase);
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

UpdateFlow::UpdateFlow(UpdateSettings settings, UpdateServices services)
    : settings_(std::move(settings)), services_(std::move(services)) {}

std::string UpdateFlow::IndexUrl() const {
  return ServerFolderAddress(settings_.serverBase) + std::string(kIndexFileName);
}

void UpdateFlow::Run() {
  UpdateView& view = services_.view;
  view.SetText("");
  if (!services_.probe.IsConnected()) {
    view.SetText(Line(kErrorTitle) + Line(kRule));
    view.AppendText(Line(kNotConnectedLine));
    state_ = State::NotConnected;
    return;
  }
  try {
    Check();
  } catch (const std::exception&) {
    state_ = State::ServerError;
    view.ShowError(std::string(kServerError));
  }
}

void UpdateFlow::Check() {
  UpdateView& view = services_.view;
  UpdateFiles& files = services_.files;
  view.SetText(Line(kCheckForUpdate) + Line(kRule));

  // A stale index from an earlier check must not be read as this one.
  const fs::path indexPath = settings_.appDataFolder / kIndexTempName;
  files.Remove(indexPath);
  const DownloadResult fetched = services_.downloader.Fetch(IndexUrl(), indexPath, {});
  bool indexRead = false;
  std::string indexError;
  if (!fetched.ok) {
    indexError = fetched.error.empty() ? "the update index could not be downloaded" : fetched.error;
  } else if (const auto bytes = files.ReadAll(indexPath, kMaxIndexBytes)) {
    ReadUpdateIndex(TextOf(*bytes), held_);
    indexRead = true;
  } else {
    indexError = "the update index cannot be read";
  }

  if (sigdb::DatabaseAgeRule(services_.databaseValues, services_.today())) {
    UpdateTheDatabases(indexRead, indexError);
    files.Remove(indexPath);
    return;
  }
  CheckTheProgram(indexRead, indexError);
}

void UpdateFlow::UpdateTheDatabases(bool indexRead, const std::string& indexError) {
  UpdateView& view = services_.view;
  view.AppendText(Line(kUpdateFound));
  DatabaseUpdateRequest request;
  request.folder = settings_.programFolder;
  request.sources = DatabaseSources(held_, IndexUrl());
  // Addresses of an earlier check in this run are still used; without any, the
  // reason is the index that could not be fetched.
  if (!indexRead) request.noAddressReason = indexError;
  DatabaseLines lines(view);
  const DatabaseUpdateOutcome outcome =
      UpdateDatabases(request, services_.downloader, services_.files, lines);
  switch (outcome.result) {
    case DatabaseUpdateOutcome::Result::Replaced:
    case DatabaseUpdateOutcome::Result::Unchanged:
      view.AppendText(Line(kDatabasesUpdated));
      state_ = State::DatabasesReplaced;
      if (services_.databasesReplaced) services_.databasesReplaced();
      return;
    case DatabaseUpdateOutcome::Result::ReplaceFailed:
      view.AppendText(Line(std::string(kReplacingDatabases) + Failed(outcome.reason)));
      break;
    case DatabaseUpdateOutcome::Result::DownloadFailed:
      break;
  }
  view.AppendText(Line(kDatabasesNotChanged));
  state_ = State::DatabasesFailed;
}

void UpdateFlow::CheckTheProgram(bool indexRead, const std::string& indexError) {
  UpdateView& view = services_.view;
  UpdateFiles& files = services_.files;
  const fs::path indexPath = settings_.appDataFolder / kIndexTempName;
  view.AppendText(Line(kDatabasesUpToDate));
  files.Remove(indexPath);
  state_ = State::UpToDate;
  if (!indexRead) {
    // Without this check's index nothing is known about the server's version.
    view.AppendText(Line(std::string(kVersionNotChecked) + indexError));
    return;
  }
  if (!IsNewerVersion(held_.serverDigits, VersionDigits(settings_.localVersion))) {
    view.AppendText(Line(LatestVersionLine(settings_.programName)));
    return;
  }
  view.AppendText(kRule + std::string(kLineEnd) + Line(kUpdateFound));
  view.AppendText(std::string(kDownloadingProgram));
  state_ = State::ProgramUpdateFound;
  StartProgramDownload();
  files.Remove(indexPath);
  ShowChangeLog();
}

void UpdateFlow::StartProgramDownload() {
  UpdateView& view = services_.view;
  if (programDownload_ == ProgramDownload::Running) {
    view.AppendText(Line(Failed("a program download is already under way")));
    return;
  }
  if (held_.programUrl.empty()) {
    view.AppendText(Line(Failed("the update index gives no address for it")));
    return;
  }
  const FileDigest digest = held_.digests[kDigestProgram];
  if (digest.state == FileDigest::State::Malformed) {
    view.AppendText(Line(Failed(MalformedDigestReason())));
    return;
  }
  const fs::path finalPath =
      settings_.programFolder / ProgramUpdateFileName(held_.serverDigits, held_.programExtension);
  fs::path partial = finalPath;
  partial += std::string(kPartialSuffix);
  if (!services_.files.Remove(partial)) {
    view.AppendText(
        Line(Failed("the old temporary file " + partial.filename().string() + " cannot be removed")));
    return;
  }
  std::string error;
  if (!services_.background.BeginDownload(ResolveUrl(IndexUrl(), held_.programUrl), partial, error)) {
    view.AppendText(Line(Failed(error.empty() ? "the download could not be started" : error)));
    return;
  }
  programDownload_ = ProgramDownload::Running;
  programDigest_ = digest;
  programFile_ = finalPath;
  programPartial_ = partial;
  view.AppendText(Line(kSuccess));
  if (digest.state == FileDigest::State::Absent) view.AppendText(Line(kNoProgramDigest));
}

void UpdateFlow::ShowChangeLog() {
  UpdateFiles& files = services_.files;
  const fs::path logPath = settings_.appDataFolder / kChangeLogTempName;
  files.Remove(logPath);
  services_.downloader.Fetch(ServerFolderAddress(settings_.serverBase) + std::string(kChangeLogFileName),
                             logPath, {});
  const auto bytes = files.ReadAll(logPath, kMaxChangeLogBytes);
  if (!bytes) throw ServerFailure("the change log cannot be read");
  services_.view.AppendText(kRule + TextOf(*bytes) + kRule + std::string(kLineEnd));
  files.Remove(logPath);
}

void UpdateFlow::OnDownloadProgress(std::uint64_t received, std::uint64_t total,
                                    const fs::path& destination) {
  if (programDownload_ != ProgramDownload::Running || destination != programPartial_ || total == 0) return;
  services_.view.ShowProgress(received, total);
}

void UpdateFlow::OnDownloadError(const fs::path& destination, const std::string& reason) {
  if (programDownload_ != ProgramDownload::Running || destination != programPartial_) return;
  FailProgramDownload(reason);
}

void UpdateFlow::FailProgramDownload(const std::string& reason) {
  programDownload_ = ProgramDownload::Failed;
  services_.files.Remove(programPartial_);
  services_.view.ResetProgress();
  std::string text(kErrorDownload);
  if (!reason.empty()) text += std::string(kLineEnd) + reason;
  services_.view.SetText(text);
}

void UpdateFlow::OnDownloadComplete(std::uint64_t total, const fs::path& destination) {
  // After an error (or for any other file) there is nothing to offer.
  if (programDownload_ != ProgramDownload::Running || destination != programPartial_) return;
  UpdateFiles& files = services_.files;
  const auto size = files.FileSize(programPartial_);
  if (!size || *size == 0) return FailProgramDownload("the server sent no data");
  if (total != 0 && *size != total) {
    return FailProgramDownload("the download is incomplete (" + std::to_string(*size) + " of " +
                               std::to_string(total) + " bytes)");
  }
  if (programDigest_.state == FileDigest::State::Given) {
    const auto digest = Sha256OfFile(programPartial_);
    if (!digest) return FailProgramDownload("the downloaded file cannot be read");
    if (*digest != programDigest_.value) return FailProgramDownload(DigestMismatchReason());
  }
  if (!files.Replace(programPartial_, programFile_)) {
    return FailProgramDownload("the file could not be saved as " + programFile_.filename().string());
  }
  programDownload_ = ProgramDownload::Completed;
  UpdateView& view = services_.view;
  view.ResetProgress();
  view.SetText(Line(kProgramDownloaded));
  if (view.AskYesNo(std::string(kAskInstall))) view.OpenFile(programFile_);
}

}  // namespace kestro::update
