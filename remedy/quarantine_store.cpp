#include "remedy/quarantine_store.hpp"

#include <algorithm>
#include <fstream>

#include "remedy/cls_huffman.hpp"
#include "remedy/delete_routine.hpp"
#include "remedy/file_bytes.hpp"

namespace kestro::remedy {
namespace {

constexpr int kMaxCopies = 9999;

std::string ToText(const std::u8string& text) { return std::string(text.begin(), text.end()); }

char8_t Lower(char8_t c) { return (c >= u8'A' && c <= u8'Z') ? static_cast<char8_t>(c - u8'A' + u8'a') : c; }

bool EndsWithVir(const std::u8string& name) {
  if (name.size() < 4) return false;
  const std::u8string tail = name.substr(name.size() - 4);
  return Lower(tail[0]) == u8'.' && Lower(tail[1]) == u8'v' && Lower(tail[2]) == u8'i' && Lower(tail[3]) == u8'r';
}

// A bare file name: no folder part, not "." or "..".
bool IsPlainName(const std::filesystem::path& name) {
  const std::u8string text = name.u8string();
  return !text.empty() && name == name.filename() && text != u8"." && text != u8"..";
}

std::string WithTrailingSeparator(const std::filesystem::path& folder) {
  std::string text = ToText(folder.u8string());
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  if (text.empty() || (text.back() != separator && text.back() != '/')) text += separator;
  return text;
}

}  // namespace

std::filesystem::path NameWithoutVir(const std::filesystem::path& name) {
  const std::u8string text = name.u8string();
  if (!EndsWithVir(text)) return name;
  return std::filesystem::path(text.substr(0, text.size() - 4));
}

std::string FolderNoteText() {
  return "This folder is the quarantine of KESTRO Antivirus.\r\n"
         "Each .vir file in it is a file found to be malicious, compressed into a container\r\n"
         "that cannot run. Restore or delete the files from the program's Quarantine List.\r\n"
         "This folder and its files are owned and managed by KESTRO Antivirus; please do not\r\n"
         "change them by hand.\r\n";
}

QuarantineStore::QuarantineStore(std::filesystem::path folder, RemedyContext& context, const log::ScanLog* log)
    : folder_(std::move(folder)), context_(context), log_(log) {}

void QuarantineStore::Log(const std::string& line) const {
  if (log_ != nullptr) log_->WriteLine(line);
}

bool QuarantineStore::PrepareFolder() {
  platform::FileOps& files = context_.files;
  if (!files.IsFolder(folder_)) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (!files.IsFolder(folder_)) return false;
    // Written directly: a detour through a temporary file gains nothing.
    std::ofstream note(folder_ / std::filesystem::path(kNoteFileName), std::ios::binary | std::ios::trunc);
    const std::string text = FolderNoteText();
    note.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  files.SetHiddenSystemAttributes(folder_);
  return true;
}

bool QuarantineStore::IsContainerName(const std::filesystem::path& name) const {
  return IsPlainName(name) && EndsWithVir(name.u8string());
}

std::optional<std::filesystem::path> QuarantineStore::FreeContainerName(const std::filesystem::path& fileName) {
  const std::u8string name = fileName.filename().u8string();
  if (name.empty()) return std::nullopt;
  const std::size_t dot = name.rfind(u8'.');
  const bool hasExtension = dot != std::u8string::npos && dot != 0;
  const std::u8string stem = hasExtension ? name.substr(0, dot) : name;
  const std::u8string extension = hasExtension ? name.substr(dot) : std::u8string();
  for (int copy = 1; copy <= kMaxCopies; ++copy) {
    std::u8string candidate = stem;
    if (copy > 1) {
      const std::string number = " (" + std::to_string(copy) + ")";
      candidate += std::u8string(number.begin(), number.end());
    }
    candidate += extension + u8".vir";
    const std::filesystem::path path(candidate);
    if (!context_.files.Exists(folder_ / path)) return path;
  }
  return std::nullopt;
}

QuarantineResult QuarantineStore::Quarantine(const std::filesystem::path& file) {
  QuarantineResult result;
  if (!context_.files.IsFile(file)) {
    context_.messages.ShowMessage(context_.programTitle, kQuarantineErrorText, platform::MessageIcon::Exclamation);
    result.status = QuarantineStatus::SourceMissing;
    return result;
  }
  const auto name = FreeContainerName(file);
  if (!name) {
    result.status = QuarantineStatus::NoFreeName;
    return result;
  }
  const std::filesystem::path container = folder_ / *name;
  clsHuffman huffman(context_);
  if (!huffman.EncodeFile(file, container)) {
    result.status = QuarantineStatus::EncodeFailed;
    return result;
  }
  result.container = container;
  // The file goes only when its container gives back exactly its bytes; the
  // decoded pieces are compared as they come, never held whole.
  const auto original = ReadWholeFile(file);
  const auto stored = ReadWholeFile(container);
  bool sound = original && stored;
  if (sound) {
    std::size_t compared = 0;
    const ChunkSink compare = [&](std::span<const std::uint8_t> piece) {
      if (!sound) return;
      sound = piece.size() <= original->size() - compared &&
              std::equal(piece.begin(), piece.end(), original->begin() + static_cast<std::ptrdiff_t>(compared));
      compared += piece.size();
    };
    try {
      DecodeContainerTo(*stored, compare);
      sound = sound && compared == original->size();
    } catch (const HuffmanError&) {
      sound = false;
    } catch (const std::bad_alloc&) {
      sound = false;
    }
  }
  if (!sound) {
    context_.files.RemoveFile(container);
    result.container.clear();
    result.status = QuarantineStatus::VerifyFailed;
    return result;
  }
  if (!DeleteRoutine(context_).Delete(file)) {
    result.status = QuarantineStatus::DeleteFailed;
    return result;
  }
  Log(log::ColumnLine("* Quarantine", ToText(file.u8string())));
  result.status = QuarantineStatus::Quarantined;
  return result;
}

std::vector<std::filesystem::path> QuarantineStore::List() {
  std::vector<std::filesystem::path> names;
  for (const platform::FolderEntry& entry : context_.files.ListFolder(folder_)) {
    if (entry.kind != platform::EntryKind::File) continue;
    const std::filesystem::path name = entry.path.filename();
    if (IsContainerName(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

RestoreResult QuarantineStore::Restore(const std::filesystem::path& name,
                                       const std::filesystem::path& destinationFolder, bool overwrite) {
  RestoreResult result;
  platform::FileOps& files = context_.files;
  const auto warn = [&](const std::string& text, platform::MessageIcon icon) {
    context_.messages.ShowMessage(context_.programTitle, text, icon);
  };
  if (!IsContainerName(name)) {
    warn(kNotSelectedText, platform::MessageIcon::Exclamation);
    result.status = RestoreStatus::NotFound;
    return result;
  }
  const std::filesystem::path plain = NameWithoutVir(name);
  const std::filesystem::path target = destinationFolder / plain;
  const std::string targetText = ToText(target.u8string());
  const auto refuseExisting = [&] {
    warn("The file \"" + targetText + "\" already exists. It was not replaced; the quarantined file is kept.",
         platform::MessageIcon::Exclamation);
    result.status = RestoreStatus::DestinationExists;
    return result;
  };
  if (!overwrite && files.Exists(target)) return refuseExisting();

  const bool containerThere = files.IsFile(folder_ / name);
  const FileOutcome decoded = clsHuffman(context_).DecodeFileInto(folder_ / name, target, overwrite);
  switch (decoded.failure) {
    case FileFailure::None:
      break;
    case FileFailure::Source:
    case FileFailure::Empty:
    case FileFailure::Data:
      warn(kSealInvalidText, platform::MessageIcon::None);
      result.status = containerThere ? RestoreStatus::SealInvalid : RestoreStatus::NotFound;
      return result;
    case FileFailure::Write:
      if (decoded.writeError == platform::FileError::Exists) return refuseExisting();
      warn("The file could not be restored to \"" + targetText + "\": " +
               std::string(platform::FileErrorText(decoded.writeError)) + ". The quarantined file is kept.",
           platform::MessageIcon::Exclamation);
      result.status = RestoreStatus::WriteFailed;
      result.writeError = decoded.writeError;
      return result;
  }
  Log(log::RestoreLine(ToText(plain.u8string()), WithTrailingSeparator(destinationFolder)));
  DeleteRoutine(context_).Delete(folder_ / name);
  result.status = RestoreStatus::Restored;
  result.restored = target;
  return result;
}

bool QuarantineStore::DeleteContainer(const std::filesystem::path& name) {
  if (!IsContainerName(name) || !context_.files.IsFile(folder_ / name)) {
    context_.messages.ShowMessage(context_.programTitle, kNotSelectedCleanText, platform::MessageIcon::Exclamation);
    return false;
  }
  Log(log::ColumnLine("* Clean", ToText(name.u8string())));
  return DeleteRoutine(context_).Delete(folder_ / name);
}

int QuarantineStore::DeleteAllContainers() {
  int deleted = 0;
  DeleteRoutine routine(context_);
  for (const std::filesystem::path& name : List()) {
    if (routine.Delete(folder_ / name)) ++deleted;
  }
  return deleted;
}

}  // namespace kestro::remedy
