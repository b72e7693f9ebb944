#pragma once
// In-memory stand-ins for the remediation's platform interfaces: messages and
// process termination are recorded; the file operations run on the real file
// system but can be told that some files cannot be deleted (as a running
// program's file cannot on Windows).

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_ops.hpp"
#include "platform/messages.hpp"
#include "platform/processes.hpp"
#include "remedy/remedy_context.hpp"

namespace kestro::test {

struct ShownMessage {
  std::string caption;
  std::string text;
  platform::MessageIcon icon;
};

class RecordingMessages final : public platform::UserMessages {
 public:
  void ShowMessage(const std::string& caption, const std::string& text, platform::MessageIcon icon) override {
    shown.push_back({caption, text, icon});
  }
  bool AskYesNo(const std::string& caption, const std::string& text, platform::MessageIcon icon) override {
    shown.push_back({caption, text, icon});
    return answer;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : shown) texts.push_back(m.text);
    return texts;
  }
  std::vector<ShownMessage> shown;
  bool answer = false;
};

class RecordingTerminator final : public platform::ProcessTerminator {
 public:
  int TerminateByFileName(const std::filesystem::path& file) override {
    names.push_back(file.filename());
    return 0;
  }
  std::vector<std::filesystem::path> names;
};

// Native file operations, except that the files in `locked` refuse every
// deletion (plain, device form, forced) and every rename, renames can be made to
// fail or to answer "another volume" (so that moves copy), and new files can be
// given a byte budget after which writes fail as on a full disk.
class LockingFileOps final : public platform::FileOps {
 public:
  bool IsFile(const std::filesystem::path& p) override { return native_.IsFile(p); }
  bool IsFolder(const std::filesystem::path& p) override { return native_.IsFolder(p); }
  bool IsLink(const std::filesystem::path& p) override { return native_.IsLink(p); }
  bool Exists(const std::filesystem::path& p) override { return native_.Exists(p); }
  bool MakeFolder(const std::filesystem::path& p) override { return native_.MakeFolder(p); }
  bool SetNormalAttributes(const std::filesystem::path& p) override { return native_.SetNormalAttributes(p); }
  bool SetHiddenSystemAttributes(const std::filesystem::path& p) override {
    hiddenSystem.insert(p);
    return native_.SetHiddenSystemAttributes(p);
  }
  bool RemoveFile(const std::filesystem::path& p) override { return !Locked(p) && native_.RemoveFile(p); }
  bool RemoveFileDeviceForm(const std::filesystem::path& p) override {
    return !Locked(p) && native_.RemoveFileDeviceForm(p);
  }
  bool ForceRemoveFile(const std::filesystem::path& p) override {
    ++forcedAttempts;
    if (forceRemovesLocked) locked.erase(p);
    return !Locked(p) && native_.ForceRemoveFile(p);
  }
  bool RemoveEmptyFolder(const std::filesystem::path& p) override { return native_.RemoveEmptyFolder(p); }
  bool RemoveLinkItself(const std::filesystem::path& p) override { return native_.RemoveLinkItself(p); }
  std::vector<platform::FolderEntry> ListFolder(const std::filesystem::path& f) override {
    return native_.ListFolder(f);
  }
  std::unique_ptr<platform::NewFile> CreateNewFile(const std::filesystem::path& p,
                                                   platform::FileError& error) override {
    auto file = native_.CreateNewFile(p, error);
    if (!file || !diskSpace) return file;
    return std::make_unique<BudgetFile>(std::move(file), *diskSpace);
  }
  platform::FileError RenameFile(const std::filesystem::path& from, const std::filesystem::path& to,
                                 bool replace) override {
    if (Locked(from) || failRenames) return platform::FileError::AccessDenied;
    if (renamesCrossVolumes && !std::filesystem::equivalent(from.parent_path(), to.parent_path())) {
      return platform::FileError::OtherVolume;
    }
    return native_.RenameFile(from, to, replace);
  }

  std::set<std::filesystem::path> locked;
  std::set<std::filesystem::path> hiddenSystem;
  bool forceRemovesLocked = false;  // the forced deletion succeeds where the direct ones failed
  bool failRenames = false;
  bool renamesCrossVolumes = false;      // a rename between two folders answers "another volume"
  std::optional<std::size_t> diskSpace;  // bytes all new files together may take
  int forcedAttempts = 0;

 private:
  class BudgetFile final : public platform::NewFile {
   public:
    BudgetFile(std::unique_ptr<platform::NewFile> file, std::size_t& space) : file_(std::move(file)), space_(space) {}
    platform::FileError Write(std::span<const std::uint8_t> bytes) override {
      const std::size_t fits = std::min(bytes.size(), space_);
      space_ -= fits;
      const auto error = file_->Write(bytes.first(fits));
      if (error != platform::FileError::None) return error;
      return fits < bytes.size() ? platform::FileError::DiskFull : platform::FileError::None;
    }
    platform::FileError Close() override { return file_->Close(); }

   private:
    std::unique_ptr<platform::NewFile> file_;
    std::size_t& space_;
  };

  bool Locked(const std::filesystem::path& p) const { return locked.count(p) != 0; }
  platform::FileOps& native_ = platform::NativeFileOps();
};

// A context over the fakes, captioned "KESTRO Antivirus".
struct FakeRemedy {
  LockingFileOps files;
  RecordingTerminator processes;
  RecordingMessages messages;
  remedy::RemedyContext context{files, processes, messages, "KESTRO Antivirus"};
};

}  // namespace kestro::test
