#include "remedy/delete_routine.hpp"

#include <algorithm>
#include <cstdio>

#include "platform/file.hpp"
#include "remedy/file_bytes.hpp"

namespace kestro::remedy {

bool DeleteRoutine::Delete(const std::filesystem::path& path) {
  platform::FileOps& files = context_.files;
  const bool existed = files.Exists(path);
  files.SetNormalAttributes(path);
  TerminateProcessesByFileName(path);
  RepairHiddenDocument(path);
  if (files.RemoveFile(path)) return true;
  if (files.RemoveFileDeviceForm(path)) return true;
  files.ForceRemoveFile(path);
  if (files.IsFile(path)) {
    context_.messages.ShowMessage(context_.programTitle, kUnableToDeleteText, platform::MessageIcon::Critical);
    return false;
  }
  // The forced deletion removed it: that is a deletion, and callers must know.
  // A folder (which this routine never deletes) is still there: not deleted.
  return existed && !files.Exists(path);
}

int DeleteRoutine::TerminateProcessesByFileName(const std::filesystem::path& path) {
  return context_.processes.TerminateByFileName(path);
}

void DeleteRoutine::RepairHiddenDocument(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  if (text.size() < 4 || text.compare(text.size() - 3, 3, u8"exe") != 0) return;
  const auto bytes = ReadWholeFile(path);
  if (!bytes) return;
  const auto found = std::search(bytes->begin(), bytes->end(), std::begin(kDocumentSignature),
                                 std::end(kDocumentSignature));
  if (found == bytes->end()) return;
  const bool word = CompareFileBytes(path, "64 6F 63", kDocumentTypePosition);
  const std::u8string rescued = text.substr(0, text.size() - 4) + u8"_Repaired" + (word ? u8".doc" : u8".xls");
  WriteWholeFile(std::filesystem::path(rescued), std::vector<std::uint8_t>(found, bytes->end()));
}

void DeleteRoutine::DeleteFolderTree(const std::filesystem::path& folder) {
  platform::FileOps& files = context_.files;
  if (files.IsLink(folder)) {
    files.RemoveLinkItself(folder);
    return;
  }
  for (const platform::FolderEntry& entry : files.ListFolder(folder)) {
    switch (entry.kind) {
      case platform::EntryKind::Link:
        files.RemoveLinkItself(entry.path);
        break;
      case platform::EntryKind::Folder:
        DeleteFolderTree(entry.path);
        break;
      case platform::EntryKind::File:
        files.SetNormalAttributes(entry.path);
        if (!files.ForceRemoveFile(entry.path)) files.RemoveFile(entry.path);
        break;
    }
  }
  files.SetNormalAttributes(folder);
  files.RemoveEmptyFolder(folder);
}

bool CompareFileBytes(const std::filesystem::path& path, const std::string& hexPattern, std::int32_t position) {
  if (position <= 0) return false;
  const auto items = static_cast<std::int32_t>(std::count(hexPattern.begin(), hexPattern.end(), ' ') + 1);
  // Read-only, shared with every other opener, as the file access class opens it.
  const platform::RawFileHandle handle = platform::OpenRawFile(path, 1, 4);
  if (handle == 0) return false;
  std::vector<std::uint8_t> block(static_cast<std::size_t>(items));
  const std::int64_t read =
      platform::RawFileReadAt(handle, static_cast<std::uint64_t>(position - 1), block.data(), block.size());
  platform::CloseRawFile(handle);
  if (read <= 0) return false;
  block.resize(static_cast<std::size_t>(read));
  std::string text;
  for (const std::uint8_t b : block) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", b);
    if (!text.empty()) text += ' ';
    text += hex;
  }
  return text == hexPattern;
}

}  // namespace kestro::remedy
