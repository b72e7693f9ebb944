#include "remedy/registry_undo.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/memory_registry.hpp"
#include "remedy/file_bytes.hpp"

namespace kestro::remedy {
namespace {

using platform::kRegNotFound;
using platform::kRegOk;
using platform::RegistryRoot;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool SameName(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

std::string Join(const std::string& parent, const std::string& child) {
  return parent.empty() ? child : parent + "\\" + child;
}

std::vector<std::string> Parts(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (const char c : path + "\\") {
    if (c != '\\') {
      part.push_back(c);
    } else if (!part.empty()) {
      parts.push_back(part);
      part.clear();
    }
  }
  return parts;
}

// The path as the registry spells it (names are kept in the case they were
// made with, and a restored key should come back the same).
std::string RegistrySpelling(platform::RegistryAccess& registry, RegistryRoot root, const std::string& path) {
  std::string spelled;
  for (const std::string& part : Parts(path)) {
    std::vector<std::string> names;
    std::string name = part;
    if (registry.ListSubkeys(root, spelled, names) == kRegOk) {
      const auto found = std::find_if(names.begin(), names.end(), [&](const std::string& n) { return SameName(n, part); });
      if (found != names.end()) name = *found;
    }
    spelled = Join(spelled, name);
  }
  return spelled;
}

std::string FirstMissing(platform::RegistryAccess& registry, RegistryRoot root, const std::string& path) {
  std::string prefix;
  for (const std::string& part : Parts(path)) {
    prefix = Join(prefix, part);
    if (registry.OpenKey(root, prefix) == kRegNotFound) return prefix;
  }
  return prefix;
}

// `inner` is `outer` or lies below it.
bool Within(const std::string& inner, const std::string& outer) {
  const std::string a = Lower(inner);
  const std::string b = Lower(outer);
  return a == b || (a.size() > b.size() && a.compare(0, b.size(), b) == 0 && a[b.size()] == '\\');
}

}  // namespace

std::size_t RegistryBefore::Touch(platform::RegistryAccess& registry, RegistryRoot root, const std::string& path) {
  const std::string normalised = NormalisedKeyPath(path);
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i].root == root && SameName(keys_[i].path, normalised)) return i;
  }
  Key key{root, normalised};
  const long opened = registry.OpenKey(root, normalised);
  if (opened == kRegNotFound) {
    key.state = State::Missing;
    key.missingFrom = FirstMissing(registry, root, normalised);
  } else if (opened != kRegOk || registry.ListValues(root, normalised, key.all) != kRegOk) {
    key.state = State::Unreadable;
  } else {
    key.state = State::Present;
    key.path = RegistrySpelling(registry, root, normalised);
  }
  keys_.push_back(std::move(key));
  return keys_.size() - 1;
}

void RegistryBefore::TouchValue(std::size_t index, const std::string& name, bool writes) {
  Key& key = keys_[index];
  if (key.state != State::Present) return;
  const auto same = [&](const auto& n) { return SameName(n, name); };
  if (std::any_of(key.absent.begin(), key.absent.end(), same)) return;
  const auto found = std::find_if(key.all.begin(), key.all.end(), [&](const auto& v) { return same(v.name); });
  if (found == key.all.end()) {
    if (writes) key.absent.push_back(name);
  } else if (std::none_of(key.values.begin(), key.values.end(), [&](const auto& v) { return same(v.name); })) {
    key.values.push_back(*found);
  }
}

void RegistryBefore::TouchWhole(platform::RegistryAccess& registry, std::size_t index) {
  if (keys_[index].state != State::Present || keys_[index].whole) return;
  keys_[index].whole = true;
  keys_[index].values = keys_[index].all;
  const RegistryRoot root = keys_[index].root;
  const std::string path = keys_[index].path;
  std::vector<std::string> subkeys;
  if (registry.ListSubkeys(root, path, subkeys) != kRegOk) return;
  for (const std::string& subkey : subkeys) TouchWhole(registry, Touch(registry, root, Join(path, subkey)));
}

RegistryBefore RegistryBefore::Capture(platform::RegistryAccess& registry, std::span<const ResolvedStep> steps) {
  RegistryBefore before;
  for (const ResolvedStep& step : steps) {
    switch (step.step->action) {
      case RepairAction::SetText:
      case RepairAction::SetNumber: {
        const std::size_t key = before.Touch(registry, step.root, step.key);
        before.keys_[key].made = true;
        before.TouchValue(key, step.name, true);
        break;
      }
      case RepairAction::DeleteValue:
        before.TouchValue(before.Touch(registry, step.root, step.key), step.name, false);
        break;
      case RepairAction::DeleteKey:
        before.TouchWhole(registry, before.Touch(registry, step.root, step.key));
        break;
      case RepairAction::CreateKey:
        before.keys_[before.Touch(registry, step.root, step.key)].made = true;
        break;
      case RepairAction::DeleteFile:
        break;
    }
  }
  return before;
}

std::vector<RegFileKey> RegistryBefore::UndoSections() const {
  std::vector<RegFileKey> sections;
  // First what the pass will make: gone whole, from the first key that was missing.
  for (const Key& key : keys_) {
    if (key.state != State::Missing || !key.made) continue;
    const bool covered = std::any_of(sections.begin(), sections.end(), [&](const RegFileKey& made) {
      return made.root == key.root && Within(key.missingFrom, made.path);
    });
    if (covered) continue;
    std::erase_if(sections, [&](const RegFileKey& made) { return made.root == key.root && Within(made.path, key.missingFrom); });
    sections.push_back(RegFileKey{key.root, key.missingFrom, true, {}});
  }
  // Then what it will change or delete, as it was.
  for (const Key& key : keys_) {
    if (key.state != State::Present || (!key.whole && key.values.empty() && key.absent.empty())) continue;
    RegFileKey section{key.root, key.path, false, {}};
    for (const platform::RegistryValue& value : key.values) {
      section.values.push_back(RegFileValue{value.name, false, value.type, value.data});
    }
    for (const std::string& name : key.absent) section.values.push_back(RegFileValue{name, true, platform::kRegNone, {}});
    sections.push_back(std::move(section));
  }
  return sections;
}

void RegistryBefore::Recreate(platform::RegistryAccess& target) const {
  for (const Key& key : keys_) {
    if (key.state != State::Present) continue;
    target.CreateKey(key.root, key.path);
    for (const platform::RegistryValue& value : key.values) {
      target.SetValue(key.root, key.path, value.name, value.type, value.data);
    }
  }
}

std::vector<std::string> RegistryBefore::Unreadable() const {
  std::vector<std::string> keys;
  for (const Key& key : keys_) {
    if (key.state == State::Unreadable) keys.push_back(std::string(RootName(key.root)) + "\\" + key.path);
  }
  return keys;
}

std::string UndoFileName(const BackupStamp& stamp, int copy) {
  char name[64];
  std::snprintf(name, sizeof name, "RegistryUndo-%04d%02d%02d-%02d%02d%02d", stamp.year, stamp.month, stamp.day,
                stamp.hour, stamp.minute, stamp.second);
  std::string text = name;
  if (copy > 1) text += "-" + std::to_string(copy);
  return text + ".reg";
}

std::filesystem::path BackupFolderBeside(const std::filesystem::path& logFile) {
  return logFile.parent_path() / "Backup";
}

std::optional<std::filesystem::path> WriteUndoFile(platform::FileOps& files, const std::filesystem::path& folder,
                                                   const BackupStamp& stamp, std::span<const std::uint8_t> bytes) {
  if (!files.IsFolder(folder.parent_path())) files.MakeFolder(folder.parent_path());
  if (!files.IsFolder(folder)) files.MakeFolder(folder);
  if (!files.IsFolder(folder)) return std::nullopt;
  const std::vector<std::uint8_t> content(bytes.begin(), bytes.end());
  constexpr int kMostCopies = 1000;
  for (int copy = 1; copy <= kMostCopies; ++copy) {
    const std::filesystem::path destination = folder / UndoFileName(stamp, copy);
    if (files.Exists(destination)) continue;
    std::filesystem::path partial = destination;
    partial += ".partial";
    const bool written = WriteWholeFile(partial, content) && ReadWholeFile(partial) == content;
    if (written && files.RenameFile(partial, destination, false) == platform::FileError::None) return destination;
    files.RemoveFile(partial);
    if (!written) return std::nullopt;
    // Another file took the name meanwhile: try the next one.
  }
  return std::nullopt;
}

RepairRun RepairRegistry(RepairServices& services, const RepairValues& values, const std::filesystem::path& backupFolder,
                         const BackupStamp& stamp, RepairObserver& observer) {
  RepairRun run;
  observer.StatusText(kFixingRegistryText);
  observer.StatusColour(kFixingRegistryColour);
  const std::vector<ResolvedStep> steps = ResolveSteps(values);
  const RegistryBefore before = RegistryBefore::Capture(services.registry, steps);
  const auto undoFile = WriteUndoFile(services.files, backupFolder, stamp, RegFileBytes(before.UndoSections()));
  if (!undoFile) {
    observer.StatusText(kRepairFailedText);
    observer.StatusColour(kRepairFailedColour);
    observer.ProcessEvents();
    return run;
  }
  run.ran = true;
  run.undoFile = *undoFile;
  run.notCovered = before.Unreadable();
  observer.UndoFileWritten(run.undoFile);
  for (const ResolvedStep& step : steps) {
    run.results.push_back(PerformStep(step, services));
    observer.StepDone(step, run.results.back());
  }
  observer.ProcessEvents();
  return run;
}

std::vector<StepResult> PlanRegistryRepair(platform::RegistryAccess& registry, platform::FileOps& files,
                                           const RepairValues& values) {
  const std::vector<ResolvedStep> steps = ResolveSteps(values);
  platform::MemoryRegistry copy;
  RegistryBefore::Capture(registry, steps).Recreate(copy);
  RepairServices simulated{copy, files, nullptr};
  std::vector<StepResult> results;
  for (const ResolvedStep& step : steps) results.push_back(PerformStep(step, simulated));
  return results;
}

}  // namespace kestro::remedy
