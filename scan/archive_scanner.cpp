#include "scan/archive_scanner.hpp"

#include <cstring>
#include <exception>

#include "checks/extension_list.hpp"
#include "platform/ansi_text.hpp"
#include "scan/archive_member_path.hpp"
#include "scan/packer_identification.hpp"
#include "scan/scan_texts.hpp"

namespace kestro::scan {
namespace fs = std::filesystem;

bool IsScannableArchive(const fs::path& path) {
  const std::string text = checks::UpperAscii(checks::PathUtf8(path));
  const std::string tail = text.size() > 10 ? text.substr(text.size() - 10) : text;
  return kVolumeList.find(tail) == std::string_view::npos;
}

bool CheckArchiveMember(const fs::path& archive, const fs::path& extracted, std::string_view memberName,
                        ScanOneFileContext& context) {
  try {
    const std::string archiveText = checks::PathUtf8(archive);
    const std::string display = archiveText.find('~') != std::string::npos
                                    ? checks::PathUtf8(context.longPaths.LongForm(archive))
                                    : archiveText;
    const checks::CheckResult result = FileCheck(extracted, context.check);
    if (!result) return false;

    const std::string location = display + ":" + kPathSeparator + std::string(memberName);
    DetectionRecord record;
    record.infection = result.detectionName;
    record.location = location;
    record.detectionTime = context.clock.NowText();
    record.packer = IdentifyPacker(archive);
    record.tag = fs::path(std::u8string(display.begin(), display.end()));
    // Only the extracted copy goes; the archive itself stays untouched.
    CommitHit(std::move(record), location, extracted, context);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::int16_t ScanArchive(const fs::path& archive, std::string_view password, ArchiveScanContext& context) {
  ScanState& state = context.state;
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(archive, ec);
  if (ec || size > kArchiveSizeLimit) return state.ArchiveMembersScanned;
  if (!context.archiveSetting) return state.ArchiveMembersScanned;

  fs::create_directories(context.extractFolder, ec);
  const std::string extractText = platform::AnsiPathText(context.extractFolder);
  const std::string archiveText = platform::AnsiPathText(archive);
  ArchiveOpenRecord open{};
  open.ArcName = archiveText.c_str();
  open.OpenMode = 1;
  const ArchiveHandle handle = context.library.OpenArchive(open);
  if (open.OpenResult != 0) return state.ArchiveMembersScanned;
  if (!password.empty()) {
    const std::string pass(password);
    context.library.SetPassword(handle, pass.c_str());
  }

  ArchiveHeaderRecord header{};
  while (context.library.ReadHeader(handle, header) == 0) {
    // The library speaks the ANSI code page; the engine's texts are UTF-8.
    const std::string member(header.FileName, strnlen(header.FileName, sizeof header.FileName));
    const std::string memberText = checks::PathUtf8(platform::PathFromAnsi(member));
    // The member's stored name may point outside the extraction folder; the copy
    // is written under a name proven to lie inside it.
    const std::string destination = MemberExtractionPath(extractText, member);
    if (destination.empty()) continue;
    if (context.library.ProcessFile(handle, kExtractOperation, "", destination.c_str()) != 0) continue;
    if (state.StopRequested) {
      context.library.CloseArchive(handle);
      return state.ArchiveMembersScanned;
    }
    const fs::path extracted = platform::PathFromAnsi(destination);
    CheckArchiveMember(archive, extracted, memberText, context.member);

    if (!fs::is_directory(fs::symlink_status(extracted, ec))) fs::remove(extracted, ec);
    if (IsLongMemberName(memberText)) context.observer.ArchiveLabel(ShortenMemberName(memberText));
    else context.observer.ScanPathLabel(memberText);
    // A folder member leaves an (empty) folder; remove it as such.
    if (fs::is_directory(fs::symlink_status(extracted, ec))) fs::remove(extracted, ec);
    state.CountArchiveMember();
    context.observer.FilesScannedLabel(static_cast<std::uint64_t>(state.ArchiveMembersScanned) +
                                       state.FilesScanned);
    context.pump.PumpMessages();
  }
  context.library.CloseArchive(handle);
  return state.ArchiveMembersScanned;
}

}  // namespace kestro::scan
