#include "app/scan_page/quarantine_actions.hpp"

#include "checks/extension_list.hpp"

namespace kestro::app::scan_page {

std::string ReplaceQuestion(const std::filesystem::path& existing) {
  return "The file \"" + checks::PathUtf8(existing) +
         "\" already exists.\r\nDo you want to replace it with the restored file ?";
}

RestoreStep RestoreSelected(remedy::QuarantineStore& store, const std::optional<std::filesystem::path>& selected,
                            QuarantinePrompts& prompts, platform::FileOps& files) {
  if (!selected || selected->empty()) {
    prompts.Show(remedy::kNotSelectedText, platform::MessageIcon::Exclamation);
    return RestoreStep::NotSelected;
  }
  const std::optional<std::filesystem::path> folder = prompts.ChooseFolder(kRestoreFolderTitle);
  if (!folder || folder->empty()) return RestoreStep::Cancelled;
  if (!prompts.AskYesNo(kRestoreQuestion, platform::MessageIcon::Information)) return RestoreStep::Declined;

  // Never replace a file silently: ask first, and only a Yes overwrites.
  const std::filesystem::path target = *folder / remedy::NameWithoutVir(*selected);
  bool overwrite = false;
  if (files.Exists(target)) {
    if (!prompts.AskYesNo(ReplaceQuestion(target), platform::MessageIcon::Exclamation)) {
      return RestoreStep::KeptExisting;
    }
    overwrite = true;
  }
  const remedy::RestoreResult result = store.Restore(*selected, *folder, overwrite);
  return result.status == remedy::RestoreStatus::Restored ? RestoreStep::Restored : RestoreStep::Failed;
}

bool CleanSelected(remedy::QuarantineStore& store, const std::optional<std::filesystem::path>& selected,
                   QuarantinePrompts& prompts) {
  if (!selected || selected->empty()) {
    prompts.Show(remedy::kNotSelectedCleanText, platform::MessageIcon::Exclamation);
    return false;
  }
  return store.DeleteContainer(*selected);
}

bool CleanAll(remedy::QuarantineStore& store, const std::optional<std::filesystem::path>& selected,
              QuarantinePrompts& prompts) {
  if (!selected || selected->empty()) {
    prompts.Show(remedy::kNotSelectedCleanText, platform::MessageIcon::Exclamation);
    return false;
  }
  if (!prompts.AskYesNo(kCleanAllQuestion, platform::MessageIcon::Information)) return false;
  store.DeleteAllContainers();
  prompts.Show(kAllCleanedText, platform::MessageIcon::Information);
  return true;
}

bool QuarantineButtonsEnabled(std::size_t containers) { return containers > 0; }

}  // namespace kestro::app::scan_page
