#include "app/settings_store.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "tests/app/fake_settings_key.hpp"

namespace kestro::app {
namespace {

const std::vector<std::string> kWriteOrderNames = {"Auto",  "On Top", "Hide App", "Process", "Shell",
                                                   "Unclose", "FixReg", "Sound",  "CleanAll", "Archive"};

std::array<bool, kOptionCount> Defaults() {
  return {true, true, false, true, true, false, false, false, true, true};
}

struct Recorder : OptionActions {
  void SetTopmost(bool on) override { calls.push_back(on ? "topmost on" : "topmost off"); }
  void RegisterShellExtension(bool on) override { calls.push_back(on ? "register" : "unregister"); }
  std::vector<std::string> calls;
};

class SettingsStoreTest : public ::testing::Test {
 protected:
  void StoreAll(std::uint32_t value) {
    for (const auto& info : kOptionTable) key.values[std::string(info.valueName)] = value;
  }
  test::FakeSettingsKey key;
  AppContext ctx;
  SettingsStore store{key, ctx};
};

TEST_F(SettingsStoreTest, FirstStartWritesTheDefaultsInOrderAndShowsThem) {
  EXPECT_FALSE(store.Load());
  EXPECT_EQ(key.writes, kWriteOrderNames);
  EXPECT_EQ(ctx.OptionStates, Defaults());
  for (const auto& info : kOptionTable) EXPECT_EQ(key.Number(std::string(info.valueName)), info.defaultOn ? 1u : 0u);
  // The flags follow the stored states: FixReg on, CleanAll off.
  EXPECT_TRUE(ctx.FixReg);
  EXPECT_FALSE(ctx.CleanAll);
}

TEST_F(SettingsStoreTest, OnlyExactlyOneIsOn) {
  StoreAll(1);
  key.values["Archive"] = std::uint32_t{2};
  key.values["Sound"] = std::uint32_t{0};
  key.values["Auto"] = std::uint32_t{0xFFFFFFFF};
  EXPECT_TRUE(store.Load());
  EXPECT_TRUE(key.writes.empty());
  EXPECT_FALSE(ctx.OptionOn(Option::Archive));  // a stored 2 shows off: archives are not scanned
  EXPECT_FALSE(ctx.OptionOn(Option::Sound));
  EXPECT_FALSE(ctx.OptionOn(Option::Auto));
  EXPECT_TRUE(ctx.OptionOn(Option::Process));
  EXPECT_TRUE(ctx.CleanAll);  // the stored CleanAll sets the flag the scan reads
  EXPECT_TRUE(ctx.FixReg);
}

TEST_F(SettingsStoreTest, OneMissingOrNonNumericValueResetsAllTen) {
  for (const char* broken : {"Auto", "Process", "Archive"}) {
    StoreAll(0);
    key.values.erase(broken);
    key.writes.clear();
    EXPECT_FALSE(store.Load()) << broken;
    EXPECT_EQ(key.writes, kWriteOrderNames) << broken;
    EXPECT_EQ(ctx.OptionStates, Defaults()) << broken;
  }
  StoreAll(0);
  key.values["Sound"] = std::string("1");  // text, not a number
  EXPECT_FALSE(store.Load());
  EXPECT_EQ(key.Number("Sound"), 1u);
  EXPECT_EQ(ctx.OptionStates, Defaults());
}

TEST_F(SettingsStoreTest, ReadingStopsAtTheFirstMissingValue) {
  StoreAll(1);
  key.values.erase("FixReg");  // index 1: only "Process" and "FixReg" are read before the fallback
  store.Load();
  EXPECT_EQ(key.reads, 2 + kOptionCount);
}

TEST_F(SettingsStoreTest, AKeyThatCannotBeWrittenStillShowsTheDefaults) {
  key.readOnly = true;
  store.Load();
  EXPECT_EQ(ctx.OptionStates, Defaults());
}

TEST_F(SettingsStoreTest, SaveWritesTheShownStatesInItsOrder) {
  StoreAll(1);
  store.Load();
  Recorder actions;
  store.Switch(Option::Sound, false, actions);
  store.Switch(Option::CleanAll, false, actions);
  key.writes.clear();
  store.Save();
  EXPECT_EQ(key.writes, kWriteOrderNames);
  EXPECT_EQ(key.Number("Sound"), 0u);
  EXPECT_EQ(key.Number("CleanAll"), 0u);
  EXPECT_EQ(key.Number("Archive"), 1u);
}

TEST_F(SettingsStoreTest, ImmediateActions) {
  StoreAll(1);
  store.Load();
  Recorder actions;
  key.writes.clear();

  store.Switch(Option::Process, false, actions);  // written at once
  EXPECT_EQ(key.writes, std::vector<std::string>{"Process"});
  EXPECT_EQ(key.Number("Process"), 0u);

  store.Switch(Option::Sound, false, actions);  // takes effect only once saved
  EXPECT_EQ(key.Number("Sound"), 1u);
  EXPECT_FALSE(ctx.OptionOn(Option::Sound));

  store.Switch(Option::OnTop, true, actions);
  store.Switch(Option::Shell, false, actions);
  store.Switch(Option::Shell, true, actions);
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"topmost on", "unregister", "register"}));

  store.Switch(Option::FixReg, false, actions);
  store.Switch(Option::CleanAll, false, actions);
  EXPECT_FALSE(ctx.FixReg);
  EXPECT_FALSE(ctx.CleanAll);
  store.Switch(Option::CleanAll, true, actions);
  EXPECT_TRUE(ctx.CleanAll);
  EXPECT_EQ(key.writes, std::vector<std::string>{"Process"});
}

}  // namespace
}  // namespace kestro::app

#include "platform/memory_registry.hpp"

namespace kestro::app {
namespace {

using platform::RegistryRoot;

TEST(RegistrySettingsKey, NumbersTextsAndDeletionUnderTheProgramKey) {
  platform::MemoryRegistry registry;
  RegistrySettingsKey key(registry);
  EXPECT_FALSE(key.ReadNumber("Auto").has_value());  // no key yet
  key.WriteNumber("Auto", 1);                         // creates the key
  EXPECT_EQ(key.ReadNumber("Auto"), std::optional<std::uint32_t>(1));
  EXPECT_EQ(registry.GetString(RegistryRoot::CurrentUser, "Software\\KESTRO", "Auto"), std::nullopt);

  registry.SetText(RegistryRoot::CurrentUser, "Software\\KESTRO", "Sound", "1");
  EXPECT_FALSE(key.ReadNumber("Sound").has_value());  // text is not a number
  EXPECT_EQ(key.ReadText("Sound"), std::optional<std::string>("1"));
  EXPECT_FALSE(key.ReadText("Auto").has_value());

  key.DeleteValue("Auto");
  EXPECT_FALSE(key.ReadNumber("Auto").has_value());
  key.DeleteValue("Auto");  // already gone: nothing happens
}

TEST(RegistrySettingsKey, DeletingOnlyAutoResetsAllTenAtTheNextStart) {
  platform::MemoryRegistry registry;
  RegistrySettingsKey key(registry);
  {
    AppContext ctx;
    SettingsStore store(key, ctx);
    store.Load();
    ctx.OptionStates.fill(true);
    store.Save();
  }
  key.DeleteValue("Auto");
  AppContext ctx;
  SettingsStore store(key, ctx);
  EXPECT_FALSE(store.Load());
  EXPECT_EQ(ctx.OptionStates, Defaults());
  EXPECT_EQ(key.ReadNumber("CleanAll"), std::optional<std::uint32_t>(0));
}

}  // namespace
}  // namespace kestro::app
