#pragma once
// The "Quarantine List" panel's rules: the list of containers, Restore (asks
// where, asks to confirm, and asks again before it would replace a file), and
// the "&Clean / Delete" menu's "Selected" and "All Selected". The panel supplies
// the questions and shows the outcome; the list is refreshed after every action.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/messages.hpp"
#include "remedy/quarantine_store.hpp"

namespace kestro::app::scan_page {

inline constexpr std::string_view kRestoreCaption = "&Restore";
inline constexpr std::string_view kCleanCaption = "&Clean / Delete";
inline constexpr std::string_view kCleanMenuCaption = "&Quarantine";
inline constexpr std::string_view kCleanSelectedCaption = "Selected";
inline constexpr std::string_view kCleanAllCaption = "All Selected";
inline constexpr std::string_view kRestoreFolderTitle = "Select location to restore the file ..";
inline constexpr std::string_view kRestoreQuestion = "Are you sure restore this file ?";
inline constexpr std::string_view kCleanAllQuestion = "Are you sure clean all object ?";
inline constexpr std::string_view kAllCleanedText = "All object has been cleaned.";

// The questions an action asks, answered by the panel (dialogs) or a test.
class QuarantinePrompts {
 public:
  virtual ~QuarantinePrompts() = default;
  // The folder-selection dialog; nothing when cancelled.
  virtual std::optional<std::filesystem::path> ChooseFolder(std::string_view title) = 0;
  virtual bool AskYesNo(std::string_view text, platform::MessageIcon icon) = 0;
  virtual void Show(std::string_view text, platform::MessageIcon icon) = 0;
};

// The question asked before a restore would replace a file of the same name.
std::string ReplaceQuestion(const std::filesystem::path& existing);

enum class RestoreStep { NotSelected, Cancelled, Declined, KeptExisting, Restored, Failed };

// Restore of the selected container (none: the "not selected" warning).
RestoreStep RestoreSelected(remedy::QuarantineStore& store, const std::optional<std::filesystem::path>& selected,
                            QuarantinePrompts& prompts, platform::FileOps& files);

// "Selected": deletes the selected container without asking. True when deleted.
bool CleanSelected(remedy::QuarantineStore& store, const std::optional<std::filesystem::path>& selected,
                   QuarantinePrompts& prompts);

// "All Selected": with a selection, asks, then deletes every container and says
// so. True when the containers were deleted (the panel then disables Clean).
bool CleanAll(remedy::QuarantineStore& store, const std::optional<std::filesystem::path>& selected,
              QuarantinePrompts& prompts);

// Restore and Clean are enabled when the list holds at least one container.
bool QuarantineButtonsEnabled(std::size_t containers);

}  // namespace kestro::app::scan_page
