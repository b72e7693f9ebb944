#pragma once
// The undo file of the registry repair, and the pass run with it.
//
// Before the pass writes anything, the state of every key and value it is about
// to change is read (and only read): every value it sets or deletes with its
// type and bytes, every key it deletes with its whole subtree, and for each key
// it writes into that does not exist yet, the first missing key on its path. That
// state is written in the registry editor's export format into a "Backup"
// folder beside the log, under a name with the date and time that never
// replaces an earlier file. Importing the file (with this program or with
// regedit) brings the registry back to its state before the pass: keys the
// pass made are deleted ([-KEY]), values it made are deleted ("name"=-), and
// what it changed or deleted is written back as it was. Keys and values that
// were missing and that the pass only deletes are not mentioned, so a later
// import never removes what appeared after the pass.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/file_ops.hpp"
#include "platform/registry.hpp"
#include "remedy/reg_file.hpp"
#include "remedy/registry_repair.hpp"

namespace kestro::remedy {

inline constexpr const char* kRepairFailedText = "STATUS : Error Detected !";
inline constexpr std::uint32_t kRepairFailedColour = 0x0000FF;  // red (BGR)

// The state of the registry where a pass will act, read before it runs.
class RegistryBefore {
 public:
  static RegistryBefore Capture(platform::RegistryAccess& registry, std::span<const ResolvedStep> steps);

  // The sections of the undo file.
  std::vector<RegFileKey> UndoSections() const;
  // Writes the state read into another registry (an in-memory copy for a dry run).
  void Recreate(platform::RegistryAccess& target) const;
  // Keys that exist but could not be read: the undo file cannot cover them.
  std::vector<std::string> Unreadable() const;

 private:
  enum class State { Missing, Present, Unreadable };
  struct Key {
    platform::RegistryRoot root;
    std::string path;         // as the registry spells it when present
    State state = State::Missing;
    std::string missingFrom;  // Missing: the first key on the path that does not exist
    bool made = false;        // the pass writes into the key (and so makes it when missing)
    bool whole = false;       // every value was kept (a key the pass deletes, and its subkeys)
    std::vector<platform::RegistryValue> all;     // Present: every value of the key
    std::vector<platform::RegistryValue> values;  // the values to write back
    std::vector<std::string> absent;              // value names the pass writes that did not exist
  };
  std::size_t Touch(platform::RegistryAccess& registry, platform::RegistryRoot root, const std::string& path);
  void TouchValue(std::size_t key, const std::string& name, bool writes);
  void TouchWhole(platform::RegistryAccess& registry, std::size_t key);

  std::vector<Key> keys_;
};

// Date and time of the pass, for the undo file's name.
struct BackupStamp {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// "RegistryUndo-20240501-134507.reg"; copy 2 and later get "-2", "-3", ...
std::string UndoFileName(const BackupStamp& stamp, int copy);
// The "Backup" folder beside the log file.
std::filesystem::path BackupFolderBeside(const std::filesystem::path& logFile);

// Writes the file into the folder (made when missing, with its parent) under
// the first free name, never replacing a file, and reads it back. The path
// written, or nothing when it could not be written whole.
std::optional<std::filesystem::path> WriteUndoFile(platform::FileOps& files, const std::filesystem::path& folder,
                                                   const BackupStamp& stamp, std::span<const std::uint8_t> bytes);

struct RepairRun {
  bool ran = false;                     // false: the undo file could not be written and nothing was changed
  std::filesystem::path undoFile;
  std::vector<std::string> notCovered;  // keys that could not be read (and so not recorded)
  std::vector<StepResult> results;
};

// The pass with its undo file: the green status, the undo file, every step in
// order, one event round. When the undo file cannot be written the pass does
// not run (the registry is left untouched) and the status turns red.
RepairRun RepairRegistry(RepairServices& services, const RepairValues& values, const std::filesystem::path& backupFolder,
                         const BackupStamp& stamp, RepairObserver& observer);

// A dry run: what each step would do, found by running the pass on an
// in-memory copy of the keys it touches. Only reads the registry and the files.
// Refusals (access denied) cannot be foreseen this way.
std::vector<StepResult> PlanRegistryRepair(platform::RegistryAccess& registry, platform::FileOps& files,
                                           const RepairValues& values);

}  // namespace kestro::remedy
