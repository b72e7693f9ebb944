#pragma once
// The registry repair pass as data: 103 steps in the order they run, each with
// its root, its key path as it stands (trailing backslashes included), its value
// name and its action. Texts that depend on the machine (user and computer name,
// system folder, the product's web site address) and the special folders of the
// file steps are named here and filled in at run time (RepairValues).

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/registry.hpp"
#include "platform/system_values.hpp"

namespace kestro::remedy {

enum class RepairAction {
  SetText,      // create or open the key, write REG_SZ (terminating NUL counted)
  SetNumber,    // create or open the key, write REG_DWORD
  DeleteValue,  // open the existing key, delete the value
  DeleteKey,    // delete the key by its full path; a key with subkeys stays
  CreateKey,    // create or open the key
  DeleteFile,   // remove a file from a special folder
};

// Where a SetText step's text comes from.
enum class RepairText {
  Table,         // the step's own text
  UserName,      // USERNAME
  ComputerName,  // the computer name
  UserInit,      // the system folder (with its trailing backslash) + "userinit.exe,"
  SiteAddress,   // the product's web site address
};

struct RepairStep {
  int number = 0;
  RepairAction action = RepairAction::SetText;
  platform::RegistryRoot root = platform::RegistryRoot::LocalMachine;
  std::string_view key;      // the key path, or its prefix when keyTail is set
  std::string_view keyTail;  // appended to key ("Image File Execution Options\" + "msconfig.exe")
  std::string_view name;     // value name ("" for the default value), or the file name
  bool nameTakesUserName = false;  // the value name is followed by the user name
  RepairText textSource = RepairText::Table;
  std::string_view text;
  std::uint32_t number_ = 0;
  platform::SpecialFolder folder = platform::SpecialFolder::AppData;  // for DeleteFile
};

// The 103 steps, in the order they run.
std::span<const RepairStep> RepairSteps();

}  // namespace kestro::remedy
