#include "scan/scan_one_file.hpp"

#include <exception>

#include "checks/extension_list.hpp"
#include "log/scan_log.hpp"
#include "scan/packer_identification.hpp"

namespace kestro::scan {

std::size_t LogAlignment(std::string_view detectionName) { return log::LabelPadding(detectionName); }

std::string DetectionLogLine(std::string_view detectionName, std::string_view pathText) {
  return log::ColumnLine(detectionName, pathText);
}

void CommitHit(DetectionRecord record, std::string_view logText, const std::filesystem::path& fileToDelete,
               ScanOneFileContext& context) {
  if (context.soundOn) context.sound.PlayDetected();
  const std::string name = record.infection;
  context.detections.Append(std::move(record));
  ++context.detectionCount;
  context.detections.ShowCount(context.detectionCount);
  if (context.cleanAll) context.deleter.Delete(fileToDelete);
  context.log.WriteLine(DetectionLogLine(name, logText));
}

bool ScanOneFile(const std::filesystem::path& path, ScanOneFileContext& context) {
  // An error while scanning one file ends the work on it; what was done stays.
  try {
    const std::string pathText = checks::PathUtf8(path);
    const std::filesystem::path display =
        pathText.find('~') != std::string::npos ? context.longPaths.LongForm(path) : path;

    checks::FileView file = checks::FileView::Open(path);
    const checks::CheckResult result = FileCheck(file, context.check);
    if (!result) return false;

    DetectionRecord record;
    record.infection = result.detectionName;
    record.location = checks::PathUtf8(display);
    record.detectionTime = context.clock.NowText();
    // A file the check repaired has changed on disk: identify the file as it is now.
    if (file.Opened() && !result.detectionName.ends_with("[HEALED]")) {
      record.packer = IdentifyPacker(file);
    } else {
      record.packer = IdentifyPacker(path);
    }
    record.tag = path;
    file.ReleaseHandle();
    CommitHit(std::move(record), pathText, path, context);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace kestro::scan
