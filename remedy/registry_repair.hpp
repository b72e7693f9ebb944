#pragma once
// The steps of the registry repair pass with their run-time values, and one
// step performed against a RegistryAccess. A failing step is reported by its
// outcome, never by an error; the pass (registry_undo.hpp) always goes on.
//
// Sound behaviour beyond the product's first design: the pass overwrites and
// deletes values that may belong to the user and to Windows, so it records them
// first in an undo file (registry_undo.hpp), and the four worm files go to the
// quarantine store instead of being deleted outright, so they can be restored.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_ops.hpp"
#include "platform/registry.hpp"
#include "remedy/quarantine_store.hpp"
#include "remedy/registry_repair_steps.hpp"

namespace kestro::remedy {

inline constexpr const char* kFixingRegistryText = "STATUS : [ Fixing registry ... ]";
inline constexpr std::uint32_t kFixingRegistryColour = 0x008000;  // green (BGR)

// The run-time values the steps use.
struct RepairValues {
  std::string userName;      // the USERNAME environment variable
  std::string computerName;  // the computer name (16-character buffer)
  std::string systemFolder;  // with its trailing backslash
  std::string siteAddress;   // the product's web site address
  std::map<platform::SpecialFolder, std::filesystem::path> specialFolders;  // a missing entry: unknown
};

// The values of the machine the program runs on (platform/system_values.hpp)
// with the product's web site address.
RepairValues RepairValuesOfThisMachine(std::string siteAddress);

// A step with its run-time values filled in.
struct ResolvedStep {
  const RepairStep* step = nullptr;
  platform::RegistryRoot root = platform::RegistryRoot::LocalMachine;
  std::string key;   // as it stands, trailing backslashes included
  std::string name;  // value name, with the user name appended where the step says so
  std::string text;
  std::uint32_t number = 0;
  std::filesystem::path file;  // DeleteFile: folder + name (empty when the folder is unknown)
};

ResolvedStep ResolveStep(const RepairStep& step, const RepairValues& values);
std::vector<ResolvedStep> ResolveSteps(const RepairValues& values);

// One line for people: what the step does, e.g.
// set HKLM\Software\...\Winlogon "Shell" = "Explorer.exe".
std::string StepDescription(const ResolvedStep& step);

enum class StepOutcome {
  Changed,      // written, deleted or created
  AlreadySo,    // the registry already held what the step writes
  Absent,       // nothing to delete
  Kept,         // a key with subkeys, which the delete leaves
  Quarantined,  // a worm file moved into quarantine
  Failed,       // the step could not be done (reason says why)
};

struct StepResult {
  int number = 0;
  StepOutcome outcome = StepOutcome::Failed;
  std::string reason;                // Failed: "access denied", ...
  std::filesystem::path container;   // Quarantined: the container written
};

// "changed", "already so", "absent", "kept: the key has subkeys",
// "quarantined as NAME", "failed: REASON".
std::string OutcomeText(const StepResult& result);

class RepairObserver {
 public:
  virtual ~RepairObserver() = default;
  virtual void StatusText(std::string_view /*text*/) {}
  virtual void StatusColour(std::uint32_t /*bgr*/) {}
  // The undo file is written, before the first step runs.
  virtual void UndoFileWritten(const std::filesystem::path& /*file*/) {}
  virtual void StepDone(const ResolvedStep& /*step*/, const StepResult& /*result*/) {}
  // Once at the end: let the user interface process pending events.
  virtual void ProcessEvents() {}
};

// What the pass works on. The quarantine store's context decides whether a
// failing delete of a worm file shows a message (the desktop program passes a
// silent one: the pass reports nothing).
struct RepairServices {
  platform::RegistryAccess& registry;
  platform::FileOps& files;
  QuarantineStore* quarantine = nullptr;  // null: worm files are only reported (a dry run)
};

// Runs one step and tells what happened.
StepResult PerformStep(const ResolvedStep& step, RepairServices& services);

}  // namespace kestro::remedy
