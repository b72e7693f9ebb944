#include "remedy/registry_repair.hpp"

#include "io/utf8_text.hpp"
#include "platform/registry.hpp"
#include "platform/system_values.hpp"
#include "remedy/reg_file.hpp"

namespace kestro::remedy {
namespace {

using platform::kRegNotFound;
using platform::kRegOk;

std::string ShortRootName(platform::RegistryRoot root) {
  switch (root) {
    case platform::RegistryRoot::ClassesRoot:
      return "HKCR";
    case platform::RegistryRoot::CurrentUser:
      return "HKCU";
    case platform::RegistryRoot::LocalMachine:
      return "HKLM";
    case platform::RegistryRoot::Users:
      return "HKU";
  }
  return "HKLM";
}

std::string KeyText(const ResolvedStep& step) { return ShortRootName(step.root) + "\\" + NormalisedKeyPath(step.key); }

std::string NameText(const std::string& name) { return name.empty() ? "@" : "\"" + name + "\""; }

std::string PathText(const std::filesystem::path& path) { return io::PathUtf8(path); }

StepResult Done(StepOutcome outcome) { return StepResult{0, outcome, {}, {}}; }
StepResult Failed(std::string reason) { return StepResult{0, StepOutcome::Failed, std::move(reason), {}}; }
StepResult Failed(long status) { return Failed(RegistryErrorText(status)); }

StepResult WriteValue(const ResolvedStep& step, platform::RegistryAccess& registry) {
  const bool text = step.step->action == RepairAction::SetText;
  const std::uint32_t type = text ? platform::kRegSz : platform::kRegDword;
  const std::vector<std::uint8_t> data = text ? platform::TextData(step.text) : platform::NumberData(step.number);
  platform::RegistryValue before;
  const bool already =
      registry.ReadValue(step.root, step.key, step.name, before) == kRegOk && before.type == type && before.data == data;
  // Written in every case: the pass does not depend on what it read.
  const long status = text ? registry.SetText(step.root, step.key, step.name, step.text)
                           : registry.SetNumber(step.root, step.key, step.name, step.number);
  if (already) return Done(StepOutcome::AlreadySo);
  return status == kRegOk ? Done(StepOutcome::Changed) : Failed(status);
}

StepResult RemoveValue(const ResolvedStep& step, platform::RegistryAccess& registry) {
  platform::RegistryValue before;
  const bool absent = registry.ReadValue(step.root, step.key, step.name, before) == kRegNotFound;
  const long status = registry.DeleteValue(step.root, step.key, step.name);
  if (status == kRegOk) return Done(StepOutcome::Changed);
  if (absent || status == kRegNotFound) return Done(StepOutcome::Absent);
  return Failed(status);
}

StepResult RemoveKey(const ResolvedStep& step, platform::RegistryAccess& registry) {
  const bool absent = registry.OpenKey(step.root, step.key) == kRegNotFound;
  const long status = registry.DeleteKey(step.root, step.key);
  if (status == kRegOk) return Done(StepOutcome::Changed);
  if (absent || status == kRegNotFound) return Done(StepOutcome::Absent);
  std::vector<std::string> subkeys;
  if (registry.ListSubkeys(step.root, step.key, subkeys) == kRegOk && !subkeys.empty()) return Done(StepOutcome::Kept);
  return Failed(status);
}

StepResult MakeKey(const ResolvedStep& step, platform::RegistryAccess& registry) {
  const bool existed = registry.OpenKey(step.root, step.key) == kRegOk;
  const long status = registry.CreateKey(step.root, step.key);
  if (existed) return Done(StepOutcome::AlreadySo);
  return status == kRegOk ? Done(StepOutcome::Changed) : Failed(status);
}

StepResult QuarantineFile(const ResolvedStep& step, RepairServices& services) {
  if (step.file.empty() || !services.files.IsFile(step.file)) return Done(StepOutcome::Absent);
  if (services.quarantine == nullptr) return Done(StepOutcome::Quarantined);  // a dry run: it would be
  if (!services.quarantine->PrepareFolder()) return Failed("the quarantine folder cannot be made; the file is kept");
  const QuarantineResult quarantined = services.quarantine->Quarantine(step.file);
  switch (quarantined.status) {
    case QuarantineStatus::Quarantined:
      return StepResult{0, StepOutcome::Quarantined, {}, quarantined.container};
    case QuarantineStatus::SourceMissing:
      return Done(StepOutcome::Absent);
    case QuarantineStatus::EncodeFailed:
      return Failed("the file could not be stored in quarantine (unreadable or empty); it is kept");
    case QuarantineStatus::VerifyFailed:
      return Failed("the quarantine copy did not read back the same; the file is kept");
    case QuarantineStatus::DeleteFailed:
      return Failed("stored in quarantine as " + PathText(quarantined.container.filename()) +
                    " but the file could not be deleted");
    case QuarantineStatus::NoFreeName:
      return Failed("no free quarantine name; the file is kept");
  }
  return Failed("the file is kept");
}

}  // namespace

RepairValues RepairValuesOfThisMachine(std::string siteAddress) {
  RepairValues values;
  values.userName = platform::UserNameFromEnvironment();
  values.computerName = platform::ComputerName();
  values.systemFolder = platform::SystemFolderText();
  values.siteAddress = std::move(siteAddress);
  for (const RepairStep& step : RepairSteps()) {
    if (step.action != RepairAction::DeleteFile) continue;
    const std::filesystem::path folder = platform::SpecialFolderPath(step.folder);
    if (!folder.empty()) values.specialFolders[step.folder] = folder;
  }
  return values;
}

ResolvedStep ResolveStep(const RepairStep& step, const RepairValues& values) {
  ResolvedStep resolved;
  resolved.step = &step;
  resolved.root = step.root;
  resolved.key = std::string(step.key) + std::string(step.keyTail);
  resolved.name = std::string(step.name) + (step.nameTakesUserName ? values.userName : std::string());
  switch (step.textSource) {
    case RepairText::Table:
      resolved.text = step.text;
      break;
    case RepairText::UserName:
      resolved.text = values.userName;
      break;
    case RepairText::ComputerName:
      resolved.text = values.computerName;
      break;
    case RepairText::UserInit:
      resolved.text = values.systemFolder + "userinit.exe,";
      break;
    case RepairText::SiteAddress:
      resolved.text = values.siteAddress;
      break;
  }
  resolved.number = step.number_;
  if (step.action == RepairAction::DeleteFile) {
    const auto folder = values.specialFolders.find(step.folder);
    if (folder != values.specialFolders.end() && !folder->second.empty()) {
      resolved.file = folder->second / std::filesystem::path(std::u8string(step.name.begin(), step.name.end()));
    }
  }
  return resolved;
}

std::vector<ResolvedStep> ResolveSteps(const RepairValues& values) {
  std::vector<ResolvedStep> steps;
  for (const RepairStep& step : RepairSteps()) steps.push_back(ResolveStep(step, values));
  return steps;
}

std::string StepDescription(const ResolvedStep& step) {
  switch (step.step->action) {
    case RepairAction::SetText:
      return "set " + KeyText(step) + " " + NameText(step.name) + " = \"" + step.text + "\"";
    case RepairAction::SetNumber:
      return "set " + KeyText(step) + " " + NameText(step.name) + " = " + std::to_string(step.number);
    case RepairAction::DeleteValue:
      return "delete value " + KeyText(step) + " " + NameText(step.name);
    case RepairAction::DeleteKey:
      return "delete key " + KeyText(step);
    case RepairAction::CreateKey:
      return "create key " + KeyText(step);
    case RepairAction::DeleteFile:
      return "quarantine " + (step.file.empty() ? std::string(step.step->name) + " (folder unknown)" : PathText(step.file));
  }
  return {};
}

std::string OutcomeText(const StepResult& result) {
  switch (result.outcome) {
    case StepOutcome::Changed:
      return "changed";
    case StepOutcome::AlreadySo:
      return "already so";
    case StepOutcome::Absent:
      return "absent";
    case StepOutcome::Kept:
      return "kept: the key has subkeys";
    case StepOutcome::Quarantined:
      return result.container.empty() ? "quarantined" : "quarantined as " + PathText(result.container.filename());
    case StepOutcome::Failed:
      return "failed: " + result.reason;
  }
  return {};
}

StepResult PerformStep(const ResolvedStep& step, RepairServices& services) {
  StepResult result;
  switch (step.step->action) {
    case RepairAction::SetText:
    case RepairAction::SetNumber:
      result = WriteValue(step, services.registry);
      break;
    case RepairAction::DeleteValue:
      result = RemoveValue(step, services.registry);
      break;
    case RepairAction::DeleteKey:
      result = RemoveKey(step, services.registry);
      break;
    case RepairAction::CreateKey:
      result = MakeKey(step, services.registry);
      break;
    case RepairAction::DeleteFile:
      result = QuarantineFile(step, services);
      break;
  }
  result.number = step.step->number;
  return result;
}

}  // namespace kestro::remedy
