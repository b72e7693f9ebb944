#include "scan/scan_run.hpp"

#include <cmath>
#include <system_error>
#include <utility>

#include "checks/extension_list.hpp"
#include "platform/folder_listing.hpp"
#include "scan/scan_texts.hpp"

namespace kestro::scan {
namespace fs = std::filesystem;

namespace {

constexpr char kSeparator = static_cast<char>(fs::path::preferred_separator);

std::string FolderText(const fs::path& folder) {
  std::string text = checks::PathUtf8(folder);
  if (text.empty() || text.back() != kSeparator) text.push_back(kSeparator);
  return text;
}

bool IsArchiveName(std::string_view pathText) {
  return checks::PassesExtensionListText(pathText, kArchiveExtension);
}

void HandOverFile(fs::path path, CandidateSink& sink, ScanObserver& observer) {
  observer.StatusText(kStatusScanning);
  observer.ArchiveLabel("");
  sink.ScanFile(std::move(path));
}

bool HandOverArchive(const fs::path& path, CandidateSink& sink, ScanObserver& observer) {
  if (!sink.AcceptsArchive(path)) return false;
  observer.StatusText(kStatusExtracting);
  sink.ScanArchive(path);
  return true;
}

}  // namespace

// One folder of the walks: its path, the text a child's path begins with (in
// the system's characters, as `folder / name` would build it), and its UTF-8
// text for the scan-path label and the extension tests. Built once per folder,
// so that a file costs no path parsing unless it is handed over.
struct ScanRun::WalkFolder {
  explicit WalkFolder(fs::path folder) : path(std::move(folder)), text(FolderText(path)) {
    const fs::path::string_type withChild = (path / "x").native();
    childPrefix = withChild.substr(0, withChild.size() - 1);
  }
  fs::path Child(std::basic_string_view<fs::path::value_type> name) const {
    fs::path::string_type native = childPrefix;
    native.append(name);
    return fs::path(std::move(native));
  }

  fs::path path;
  std::string text;
  fs::path::string_type childPrefix;
};

bool HandOverCandidate(const fs::path& path, CandidateSink& sink, ScanObserver& observer) {
  const std::string text = checks::PathUtf8(path);
  if (IsArchiveName(text)) return HandOverArchive(path, sink, observer);
  if (!checks::PassesExtensionListText(text, kScanExtensions)) return false;
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec || size > kWalkSizeLimit) return false;
  HandOverFile(path, sink, observer);
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

bool ScanRun::ScanContextMenu(const fs::path& folder) {
  if (state_.ScanRunning) {
    observer_.BringScanPageForward();
    return false;
  }
  const std::string text = FolderText(folder);
  state_.ScanTarget = fs::path(std::u8string(text.begin(), text.end()));
  services_.WriteScanHeader(state_.ScanTarget);
  Run();
  return true;
}

void ScanRun::Run() {
  BeginState();

  if (!state_.Buffering && options_.CountFirst) {
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

bool ScanRun::Takes(const WalkFolder& folder, platform::FolderListing& listing) const {
  // The file's path is built only for a filter that asks for it.
  if (options_.Filter == nullptr || !options_.Filter->FiltersFiles()) return true;
  return options_.Filter->TakesFile(folder.Child(listing.NativeName()));
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
  platform::FolderListing listing(folder);
  if (!listing.Opened()) return;
  const WalkFolder here(folder);
  while (!state_.StopRequested && listing.Next()) {
    switch (listing.Kind()) {
      case platform::ListedKind::Folder: {
        const fs::path child = here.Child(listing.NativeName());
        if (!Enters(child)) break;
        ++state_.TotalFolders;
        observer_.Counted(state_.TotalFiles, state_.TotalFolders);
        CountingWalk(child);
        break;
      }
      case platform::ListedKind::File:
      case platform::ListedKind::OtherFile:
        if (!Takes(here, listing)) break;
        pump_.PumpMessages();
        ++state_.TotalFiles;
        observer_.Counted(state_.TotalFiles, state_.TotalFolders);
        break;
      case platform::ListedKind::Skipped:
        break;
    }
  }
  if (!listing.Failed() && !state_.StopRequested) observer_.StatusColour(kColourRed);
}

void ScanRun::ScanningWalk(const fs::path& folder, std::uint32_t& counter) {
  platform::FolderListing listing(folder);
  if (!listing.Opened()) {
    observer_.FolderNotListed(folder);
    return;
  }
  const WalkFolder here(folder);
  while (listing.Next()) {
    if (state_.StopRequested) {
      if (!options_.IsWindowsXP) observer_.TaskbarProgressClear();
      return;
    }
    switch (listing.Kind()) {
      case platform::ListedKind::Folder: {
        const fs::path child = here.Child(listing.NativeName());
        if (Enters(child)) ScanningWalk(child, counter);
        break;
      }
      case platform::ListedKind::File:
      case platform::ListedKind::OtherFile:
        if (Takes(here, listing)) VisitFile(here, listing, counter);
        break;
      case platform::ListedKind::Skipped:
        break;
    }
  }
}

void ScanRun::VisitFile(const WalkFolder& folder, platform::FolderListing& listing, std::uint32_t& counter) {
  pump_.PumpMessages();
  ++counter;
  const std::string_view name = listing.Name();
  observer_.ScanPathLabel(ShortenScanPath(folder.text, name, kSeparator));
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

  // The candidate rules on the path text; the size is asked for only of a file
  // whose name passes, and a path is built only for what is handed over.
  pathText_.assign(folder.text).append(name);
  if (IsArchiveName(pathText_)) {
    HandOverArchive(folder.Child(listing.NativeName()), sink_, observer_);
    return;
  }
  if (!checks::PassesExtensionListText(pathText_, kScanExtensions)) return;
  const std::int64_t size = listing.FileSize();
  if (size < 0 || static_cast<std::uint64_t>(size) > kWalkSizeLimit) return;
  HandOverFile(folder.Child(listing.NativeName()), sink_, observer_);
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
