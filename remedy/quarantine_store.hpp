#pragma once
// The quarantine store: a folder of HE3 containers, one per quarantined file,
// named after the file with ".vir" appended. Only the container is stored; a
// container's soundness (its "seal") is that it decodes.
//
// Sound behaviour beyond the product's first design:
// - A second quarantine of a file of the same name keeps the earlier container
//   (possibly the only copy of a deleted file) and names the new one as the
//   shell names copies: "setup.exe.vir", "setup (2).exe.vir", ...
// - Restore decodes straight into the chosen folder under a temporary name and
//   renames the file into place only when complete: no other file of the
//   quarantine folder is ever written or deleted, a full disk leaves nothing
//   behind, and an existing file is replaced only when asked to. The container
//   is kept on every failure.
// - A file is deleted only after its container was written and decoded back to
//   the same bytes.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "log/scan_log.hpp"
#include "remedy/remedy_context.hpp"

namespace kestro::remedy {

inline constexpr const char8_t* kNoteFileName = u8"KE\u0394TRO.txt";
inline constexpr const char* kNotSelectedText = "File not found or file not selected !";
inline constexpr const char* kNotSelectedCleanText = "File not found or file not selected.";
inline constexpr const char* kSealInvalidText = "Virus Seal Invalid !!";

enum class QuarantineStatus {
  Quarantined,
  SourceMissing,  // no file at the path
  EncodeFailed,   // the container could not be written ("Quarantine error !" was shown)
  VerifyFailed,   // the written container does not decode to the file's bytes
  DeleteFailed,   // the container stays; the delete routine has told the user
  NoFreeName,
};

struct QuarantineResult {
  QuarantineStatus status = QuarantineStatus::EncodeFailed;
  std::filesystem::path container;  // the container written (empty when none)
};

enum class RestoreStatus {
  Restored,
  NotFound,           // no such container
  SealInvalid,        // it does not decode
  DestinationExists,  // the folder already holds a file of that name
  WriteFailed,        // the decoded file could not be written to the folder
};

struct RestoreResult {
  RestoreStatus status = RestoreStatus::NotFound;
  std::filesystem::path restored;                           // the file placed in the folder
  platform::FileError writeError = platform::FileError::None;  // why WriteFailed
};

class QuarantineStore {
 public:
  // `log` may be null (no log lines are written then).
  QuarantineStore(std::filesystem::path folder, RemedyContext& context, const log::ScanLog* log);

  const std::filesystem::path& folder() const { return folder_; }

  // Creates the folder with its note when missing; sets hidden and system
  // attributes either way. False when the folder is not there afterwards.
  bool PrepareFolder();

  // Encodes the file into a new container, verifies it, deletes the file.
  QuarantineResult Quarantine(const std::filesystem::path& file);

  // Container names ("*.vir" without regard to case), sorted.
  std::vector<std::filesystem::path> List();

  // Decodes the container `name` into `destinationFolder` under the name without
  // ".vir", then removes the container. Shows the messages of each failure: a
  // container that is not there (it vanished after it was listed) or does not
  // decode shows "Restore error !" and then "Virus Seal Invalid !!".
  RestoreResult Restore(const std::filesystem::path& name, const std::filesystem::path& destinationFolder,
                        bool overwrite);

  // Deletes one container; false when it is not there or cannot be deleted.
  bool DeleteContainer(const std::filesystem::path& name);

  // Deletes every container; answers how many were deleted.
  int DeleteAllContainers();

  // The name the next quarantine of `fileName` would get, if any is free.
  std::optional<std::filesystem::path> FreeContainerName(const std::filesystem::path& fileName);

 private:
  bool IsContainerName(const std::filesystem::path& name) const;
  void Log(const std::string& line) const;

  std::filesystem::path folder_;
  RemedyContext& context_;
  const log::ScanLog* log_;
};

// The name without its final ".vir" (any letter case); unchanged otherwise.
std::filesystem::path NameWithoutVir(const std::filesystem::path& name);

// The text of the folder note.
std::string FolderNoteText();

}  // namespace kestro::remedy
