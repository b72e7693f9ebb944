#include "scan/scan_run.hpp"

#include <cmath>
#include <system_error>

#include "checks/extension_list.hpp"
#include "scan/scan_texts.hpp"

namespace kestro::scan {
namespace fs = std::filesystem;

namespace {

constexpr char kSeparator = static_cast<char>(fs::path::preferred_separator);

// A directory entry the walks descend into: a real folder. Links to folders
// (symbolic links, junctions) are not followed, so a link that points back up
// the tree cannot make the walk endless.
bool IsWalkableFolder(const fs::directory_entry& entry) {
  std::error_code ec;
  const fs::file_status status = entry.symlink_status(ec);
  if (ec) return false;
  return fs::is_directory(status);
}

bool IsFileEntry(const fs::directory_entry& entry) {
  std::error_code ec;
  const fs::file_status link = entry.symlink_status(ec);
  if (ec) return false;
  if (fs::is_symlink(link)) {
    // A link to a file is scanned like the file; a link to a folder is neither.
    return fs::is_regular_file(entry.status(ec)) && !ec;
  }
  return !fs::is_directory(link);
}

std::string FolderText(const fs::path& folder) {
  std::string text = checks::PathUtf8(folder);
  if (text.empty() || text.back() != kSeparator) text.push_back(kSeparator);
  return text;
}

}  // namespace

bool HandOverCandidate(const fs::path& path, CandidateSink& sink, ScanObserver& observer) {
  if (!checks::PassesExtensionList(path, kArchiveExtension)) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kWalkSizeLimit || !checks::PassesExtensionList(path, kScanExtensions)) return false;
    observer.StatusText(kStatusScanning);
    observer.ArchiveLabel("");
    sink.ScanFile(path);
    return true;
  }
  if (!sink.AcceptsArchive(path)) return false;
  observer.StatusText(kStatusExtracting);
  sink.ScanArchive(path);
  return true;
}

ScanRun::ScanRun(ScanState& state, ScanObserver& observer, MessagePump& pump, ScanMarkers& markers,
                 ScanServices& services, CandidateSink& sink, ScanOptions options)
    : state_(state),
      observer_(observer),
      pump_(pump),
      markers_(markers),
      services_(services),
      sink_(sink),
      options_(options) {}

bool ScanRun::IsDriveFolderText(std::string_view target) {
  return target.size() >= 3 && target[1] == ':' && target[2] == '\\';
}

bool ScanRun::StartFromCommand(const std::string& targetText) {
  if (!IsDriveFolderText(targetText)) {
    observer_.ShowMessage(kPathNotFound, MessageIcon::Exclamation);
    return false;
  }
  if (state_.ScanRunning) {
    observer_.BringScanPageForward();
    return false;
  }
  state_.ScanTarget = fs::path(std::u8string(targetText.begin(), targetText.end()));
  services_.WriteScanHeader(state_.ScanTarget);
  Run();
  return true;
}

bool ScanRun::ScanContextMenu(const std::string& targetText) {
  // The hand-over is judged as given ("C:" is refused), then scanned as a folder.
  if (!IsDriveFolderText(targetText)) return StartFromCommand(targetText);
  std::string text = targetText;
  if (text.back() != '\\') text.push_back('\\');
  return StartFromCommand(text);
}

void ScanRun::Run() {
  BeginState();

  if (!state_.Buffering) {
    state_.Buffering = true;
    observer_.BufferingTimer(true);
    CountingWalk(state_.ScanTarget);
    state_.Buffering = false;
  }
  observer_.BufferingTimer(false);

  if (options_.FixReg) services_.RepairRegistry();

  observer_.StatusColour(kColourBlue);
  observer_.StatusText(kStatusScanning);

  std::uint32_t counter = 0;
  ScanningWalk(state_.ScanTarget, counter);
  sink_.Drain();

  observer_.ShowDetectionRowCount();
  Finish(state_.DetectionCount);
}

void ScanRun::Stop() {
  state_.StopRequested = true;
  EndState();
}

bool ScanRun::Enters(const fs::path& folder) const {
  return options_.Filter == nullptr || options_.Filter->EntersFolder(folder);
}

bool ScanRun::Takes(const fs::path& file) const {
  return options_.Filter == nullptr || options_.Filter->TakesFile(file);
}

void ScanRun::BeginState() {
  if (!options_.IsWindowsXP) observer_.TaskbarProgressStart();
  markers_.SetMarker("MulaiScan", 1);
  markers_.DeleteMarker("VirusDetected");
  state_.StopRequested = false;
  state_.ScanRunning = true;
  observer_.RunControls(true);
}

void ScanRun::CountingWalk(const fs::path& folder) {
  std::error_code ec;
  fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  if (ec) return;
  for (const fs::directory_iterator end; it != end && !state_.StopRequested; it.increment(ec)) {
    if (IsWalkableFolder(*it)) {
      if (!Enters(it->path())) continue;
      ++state_.TotalFolders;
      observer_.Counted(state_.TotalFiles, state_.TotalFolders);
      CountingWalk(it->path());
    } else if (IsFileEntry(*it) && Takes(it->path())) {
      pump_.PumpMessages();
      ++state_.TotalFiles;
      observer_.Counted(state_.TotalFiles, state_.TotalFolders);
    }
    if (ec) break;
  }
  if (!ec && !state_.StopRequested) observer_.StatusColour(kColourRed);
}

void ScanRun::ScanningWalk(const fs::path& folder, std::uint32_t& counter) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    observer_.FolderNotListed(folder);
    return;
  }
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (state_.StopRequested) {
      if (!options_.IsWindowsXP) observer_.TaskbarProgressClear();
      return;
    }
    if (IsWalkableFolder(*it)) {
      if (Enters(it->path())) ScanningWalk(it->path(), counter);
    } else if (IsFileEntry(*it) && Takes(it->path())) {
      VisitFile(folder, it->path(), counter);
    }
    if (ec) break;
  }
}

void ScanRun::VisitFile(const fs::path& folder, const fs::path& path, std::uint32_t& counter) {
  pump_.PumpMessages();
  ++counter;
  observer_.ScanPathLabel(ShortenScanPath(FolderText(folder), checks::PathUtf8(path.filename()), kSeparator));
  state_.FilesScanned = counter;
  int percent = 0;
  if (state_.TotalFiles > 0) {
    const double ratio = static_cast<double>(state_.FilesScanned) / state_.TotalFiles * 100.0;
    // Files added after the counting pass would carry the bar past its end.
    percent = static_cast<int>(std::min(100.0, std::nearbyint(ratio)));
  }
  observer_.Progress(percent);
  if (!options_.IsWindowsXP) {
    if (state_.StopRequested) observer_.TaskbarProgressClear();
    else observer_.TaskbarProgress(percent);
  }
  observer_.FilesScannedLabel(static_cast<std::uint64_t>(state_.FilesScanned) +
                              static_cast<std::uint64_t>(state_.ArchiveMembersScanned));

  HandOverCandidate(path, sink_, observer_);
}

void ScanRun::Finish(std::uint32_t detections) {
  finishMessage_ = std::string(state_.StopRequested ? kScanAborted : kScanCompleted);
  observer_.Finishing(state_, finishMessage_);
  services_.DeleteExtractFolder();
  markers_.DeleteMarker("MulaiScan");
  observer_.StatusText(FinishStatus(finishMessage_));
  if (options_.Sound) services_.PlayFinishedSound();
  if (detections > 0) observer_.FitDetectionList(detections);
  if (options_.ShutdownWhenDone) {
    services_.ShutDownComputer();
    return;
  }
  const std::uint32_t value = VirusDetectedValue(detections);
  markers_.SetMarker("VirusDetected", value);
  const MessageIcon icon =
      value == 1 ? MessageIcon::Information : value == 2 ? MessageIcon::Exclamation : MessageIcon::Error;
  observer_.ShowMessage(finishMessage_, icon);
  markers_.SetMarker("VirusDetected", value);
  state_.StopRequested = true;
  observer_.AfterFinishMessage();
  EndState();
}

void ScanRun::EndState() {
  state_.StopRequested = true;
  if (!options_.IsWindowsXP) observer_.TaskbarProgressClear();
  state_.ScanRunning = false;
  observer_.RunControls(false);
  observer_.StatusText(kStatusWaiting);
  observer_.ArchiveLabel(kArchiveLabelIdle);
  state_.ResetCounts();
}

}  // namespace kestro::scan
