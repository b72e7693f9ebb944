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

bool ScanOneFile(std::filesystem::path path, ScanOneFileContext& context) {
  // An error while scanning one file ends the work on it; what was done stays.
  try {
    checks::FileView file = checks::FileView::Open(std::move(path));
    const checks::CheckResult result = FileCheck(file, context.check);
    if (!result) return false;

    const std::filesystem::path& checked = file.Path();
    const std::string& pathText = file.PathText();
    DetectionRecord record;
    record.infection = result.detectionName;
    record.location = pathText.find('~') != std::string::npos ? checks::PathUtf8(context.longPaths.LongForm(checked))
                                                             : pathText;
    record.detectionTime = context.clock.NowText();
    // A file the check repaired has changed on disk: identify the file as it is now.
    if (file.Opened() && !result.detectionName.ends_with("[HEALED]")) {
      record.packer = IdentifyPacker(file);
    } else {
      record.packer = IdentifyPacker(checked);
    }
    record.tag = checked;
    file.ReleaseHandle();
    CommitHit(std::move(record), pathText, checked, context);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace kestro::scan
