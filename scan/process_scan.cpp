#include "scan/process_scan.hpp"

#include <exception>

#include "checks/extension_list.hpp"
#include "scan/packer_identification.hpp"

namespace kestro::scan {
namespace {
namespace fs = std::filesystem;

// Every occurrence of `from` replaced by `to`, left to right, in one pass (the
// replaced text is not looked at again).
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string result;
  result.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
    result.append(text, start, at - start);
    result.append(to);
    start = at + from.size();
  }
  result.append(text, start);
  return result;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

fs::path PathFromUtf8(std::string_view text) { return fs::path(std::u8string(text.begin(), text.end())); }

// Appends the record of a detected process executable and does what a hit does
// (count, deletion with CleanAll, log line) -- without the detection sound.
void CommitProcessDetection(std::string detectionName, const fs::path& path, const std::string& pathText,
                            ScanOneFileContext& file, bool applyCleanAll) {
  DetectionRecord record;
  record.infection = std::move(detectionName);
  record.location = pathText;
  record.detectionTime = file.clock.NowText();
  record.packer = IdentifyPacker(path);
  record.tag = path;
  ScanOneFileContext quiet = file;
  quiet.soundOn = false;
  quiet.cleanAll = applyCleanAll && file.cleanAll;
  CommitHit(std::move(record), pathText, path, quiet);
}

}  // namespace

std::string NormaliseProcessPath(std::string_view reported, std::string_view windowsFolder) {
  std::string text(reported);
  // The network forms of the NT and long-path prefixes name "\\server\share".
  for (const std::string_view unc : {"\\??\\UNC\\", "\\\\?\\UNC\\"}) {
    if (StartsWith(text, unc)) text = "\\\\" + text.substr(unc.size());
  }
  text = ReplaceAll(text, "\\??\\", "");
  text = ReplaceAll(text, "\\\\?\\", "");
  if (!windowsFolder.empty()) {
    std::string folder(windowsFolder);
    if (folder.back() != '\\') folder += '\\';
    text = ReplaceAll(text, "\\SystemRoot\\", folder);
    text = ReplaceAll(text, "%systemroot%", folder);
  }
  if (!StartsWith(text, "\\\\")) return ReplaceAll(text, "\\\\", "\\");
  // A network path's leading pair is its own, not a doubled separator.
  std::string rest = ReplaceAll(std::string_view(text).substr(2), "\\\\", "\\");
  rest.erase(0, rest.find_first_not_of('\\'));
  return "\\\\" + rest;
}

std::string_view PathFileName(std::string_view pathText) {
  const std::size_t slash = pathText.find_last_of("\\/");
  return slash == std::string_view::npos ? pathText : pathText.substr(slash + 1);
}

std::string ProcessQuestionText(std::string_view fileName, std::uint32_t processId) {
  return "Potentially unwanted program has been detected !\r\n\r\nName    : " + std::string(fileName) +
         "\r\nPID         : " + std::to_string(processId) + "\r\n\r\nAre you sure want to allow this program ?";
}

bool RegistryProcessGuard::IsOn() const {
  std::uint32_t value = 0;
  return registry_.ReadNumber(platform::RegistryRoot::CurrentUser, "Software\\KESTRO", "Process", value) ==
             platform::kRegOk &&
         value != 0;
}

void ProcessCheck::Check(const fs::path& path, const std::string& pathText, std::uint32_t processId) {
  try {
    if (!checks::PassesExtensionListText(pathText, "EXE")) return;
    const std::string fileName(PathFileName(pathText));
    const std::string nameKey = checks::UpperAscii(fileName);
    if (blockedNames_.count(nameKey) != 0) return;
    const checks::CheckResult result = FileCheck(path, context_.file.check);
    if (!result) return;
    if (!context_.guard.IsOn()) return;

    context_.freezer.SetFrozen(processId, true);
    int answer = 0;
    try {
      answer = context_.question.Ask(ProcessQuestionText(fileName, processId), context_.programTitle,
                                     platform::MessageIcon::Critical, std::string(kAllowCaption),
                                     std::string(kBlockCaption));
    } catch (...) {
      // Nobody decided: the process must not stay frozen.
      context_.freezer.SetFrozen(processId, false);
      throw;
    }
    if (answer == platform::kFirstButtonAnswer) {
      context_.freezer.SetFrozen(processId, false);
      return;
    }
    // Blocked: the process stays frozen until it is ended below.
    blockedNames_.insert(nameKey);
    CommitProcessDetection(result.detectionName, path, pathText, context_.file, /*applyCleanAll=*/true);
    context_.observer.ShowDetectionList();
    context_.terminator.TerminateByFileName(path);
    context_.observer.RefreshQuarantineList();
  } catch (const std::exception&) {
    // An error ends the check of this process; the walk goes on.
  }
}

void ProcessReport::Check(const fs::path& path, const std::string& pathText, std::uint32_t) {
  try {
    if (!checked_.insert(pathText).second) return;
    checks::CheckResult result;
    {
      checks::FileView view = checks::FileView::Open(path);
      result = FileCheck(view, file_.check);
      // The file check looks up checksums of 32-bit Windows images only; a
      // running executable of another kind (64-bit, Linux) is looked up too.
      if (!result && view.Opened() && view.Size() < kFileCheckSizeLimit && view.PeProbe() < 1) {
        result = FileChecksumLookup(view, file_.check.lists.fileChecksums);
      }
    }
    if (!result) return;
    CommitProcessDetection(result.detectionName, path, pathText, file_, /*applyCleanAll=*/false);
  } catch (const std::exception&) {
  }
}

ProcessWalkCounts WalkProcesses(ProcessWalkContext& context, RunningProcessCheck* check) {
  ProcessWalkCounts counts;
  const std::string windowsFolder = checks::PathUtf8(context.windowsFolder);
  context.processes.ForEachProcess([&](const platform::ProcessEntry& entry) {
    ++counts.processes;
    try {
      if (entry.accessDenied) {
        ++counts.notReadable;
        context.observer.ProcessNotReadable(entry.id);
      }
      // A POSIX path is taken as it is: a backslash is an ordinary character there.
      const std::string pathText = entry.executable.starts_with('/')
                                       ? entry.executable
                                       : NormaliseProcessPath(entry.executable, windowsFolder);
      if (pathText.empty()) return;
      ++counts.withPath;
      const fs::path path = PathFromUtf8(pathText);
      context.observer.CurrentProcess(PathFileName(pathText));
      context.log.WriteProcessLine(path);
      if (check != nullptr) check->Check(path, pathText, entry.id);
    } catch (const std::exception&) {
      // One process's trouble does not end the walk.
    }
  });
  return counts;
}

}  // namespace kestro::scan
