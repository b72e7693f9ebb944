#pragma once
// The ten on/off options of the options page, kept as REG_DWORD values under
// "Software\KESTRO" (1 on, anything else off).
//
// Load reads them in index order; the first value that is missing or not a
// number makes the whole set fall back to the defaults (written, then read
// again). Save writes them in the order Auto, On Top, Hide App, Process, Shell,
// Unclose, FixReg, Sound, CleanAll, Archive. Switching an option applies its
// immediate action first, then shows the new state.
//
// The stored FixReg and CleanAll states also set the in-memory flags the scan
// reads, at load as at every switch, so that what the options page shows is what
// the scan does.

#include <array>
#include <string_view>

#include "app/app_context.hpp"
#include "app/settings_key.hpp"

namespace kestro::app {

struct OptionInfo {
  Option option;
  std::string_view valueName;
  bool defaultOn;
};

// The options in index order.
extern const std::array<OptionInfo, kOptionCount> kOptionTable;

// The order in which defaults and saved states are written.
extern const std::array<Option, kOptionCount> kOptionWriteOrder;

const OptionInfo& InfoOf(Option option);

// What switching some options does at once, besides showing the new state.
class OptionActions {
 public:
  virtual ~OptionActions() = default;
  virtual void SetTopmost(bool on) = 0;                  // "On Top"
  virtual void RegisterShellExtension(bool on) = 0;      // "Shell": register or unregister KESTROExtc.dll
};

class SettingsStore {
 public:
  SettingsStore(SettingsKey& key, AppContext& ctx) : key_(key), ctx_(ctx) {}

  // Reads the ten options into ctx.OptionStates (falling back to the defaults) and
  // sets ctx.FixReg and ctx.CleanAll from them. Answers false when the defaults
  // had to be written.
  bool Load();

  // Writes the shown state of every option.
  void Save();

  // A click on an option's picture: the immediate action, then the new state.
  void Switch(Option option, bool on, OptionActions& actions);

 private:
  bool ReadAll();
  void Show(Option option, bool on);

  SettingsKey& key_;
  AppContext& ctx_;
};

}  // namespace kestro::app
