#include "app/settings_store.hpp"

namespace kestro::app {

const std::array<OptionInfo, kOptionCount> kOptionTable = {{
    {Option::Process, "Process", true},
    {Option::FixReg, "FixReg", true},
    {Option::CleanAll, "CleanAll", false},
    {Option::Sound, "Sound", true},
    {Option::Archive, "Archive", true},
    {Option::OnTop, "On Top", false},
    {Option::Unclose, "Unclose", false},
    {Option::HideApp, "Hide App", false},
    {Option::Shell, "Shell", true},
    {Option::Auto, "Auto", true},
}};

const std::array<Option, kOptionCount> kOptionWriteOrder = {
    Option::Auto,  Option::OnTop,  Option::HideApp, Option::Process, Option::Shell,
    Option::Unclose, Option::FixReg, Option::Sound, Option::CleanAll, Option::Archive,
};

const OptionInfo& InfoOf(Option option) { return kOptionTable[static_cast<std::size_t>(option)]; }

void SettingsStore::Show(Option option, bool on) {
  ctx_.OptionStates[static_cast<std::size_t>(option)] = on;
  if (option == Option::FixReg) ctx_.FixReg = on;
  if (option == Option::CleanAll) ctx_.CleanAll = on;
}

bool SettingsStore::ReadAll() {
  for (const auto& info : kOptionTable) {
    const auto value = key_.ReadNumber(std::string(info.valueName));
    if (!value) return false;
    Show(info.option, *value == 1);
  }
  return true;
}

bool SettingsStore::Load() {
  if (ReadAll()) return true;
  for (const Option option : kOptionWriteOrder) {
    key_.WriteNumber(std::string(InfoOf(option).valueName), InfoOf(option).defaultOn ? 1u : 0u);
  }
  // Read back, so that what is shown is what the registry now holds; a key that
  // cannot be written at all still shows the defaults.
  if (!ReadAll()) {
    for (const auto& info : kOptionTable) Show(info.option, info.defaultOn);
  }
  return false;
}

void SettingsStore::Save() {
  for (const Option option : kOptionWriteOrder) {
    key_.WriteNumber(std::string(InfoOf(option).valueName), ctx_.OptionOn(option) ? 1u : 0u);
  }
}

void SettingsStore::Switch(Option option, bool on, OptionActions& actions) {
  switch (option) {
    case Option::Process:
      key_.WriteNumber("Process", on ? 1u : 0u);
      break;
    case Option::OnTop:
      actions.SetTopmost(on);
      break;
    case Option::Shell:
      actions.RegisterShellExtension(on);
      break;
    default:
      break;
  }
  Show(option, on);
}

}  // namespace kestro::app
