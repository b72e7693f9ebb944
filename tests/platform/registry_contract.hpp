#pragma once
// What every registry behind platform::RegistryAccess must do, checked the same
// way against the in-memory registry (natively) and the real one (under Wine),
// so the fake cannot drift from Windows. `base` is a scratch key the check owns:
// it is created, filled and removed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.hpp"

namespace kestro::test {

inline void CheckRegistryContract(platform::RegistryAccess& registry, platform::RegistryRoot root,
                                  const std::string& base) {
  using namespace platform;
  registry.DeleteTree(root, base);
  const std::string key = base + "\\Sub";

  // Texts are REG_SZ with their terminating NUL counted; numbers are 4-byte REG_DWORD.
  ASSERT_EQ(registry.SetText(root, key, "Shell", "Explorer.exe \xC3\xA9"), kRegOk);
  RegistryValue value;
  ASSERT_EQ(registry.ReadValue(root, key, "shell", value), kRegOk);
  EXPECT_EQ(value.type, kRegSz);
  const std::vector<std::uint8_t> expected = {'E', 0, 'x', 0, 'p', 0, 'l', 0, 'o', 0, 'r', 0, 'e', 0, 'r', 0,
                                              '.', 0, 'e', 0, 'x', 0, 'e', 0, ' ', 0, 0xE9, 0, 0, 0};
  EXPECT_EQ(value.data, expected);
  ASSERT_EQ(registry.SetNumber(root, key, "Hidden", 2), kRegOk);
  std::uint32_t number = 0;
  EXPECT_EQ(registry.ReadNumber(root, key, "HIDDEN", number), kRegOk);
  EXPECT_EQ(number, 2u);
  std::string text;
  EXPECT_EQ(registry.ReadText(root, key, "Shell", text), kRegOk);
  EXPECT_EQ(text, "Explorer.exe \xC3\xA9");
  EXPECT_EQ(registry.ReadText(root, key, "Hidden", text), kRegUnsupportedType);
  EXPECT_EQ(registry.ReadNumber(root, key, "Shell", number), kRegUnsupportedType);
  EXPECT_EQ(registry.ReadNumber(root, key, "Missing", number), kRegNotFound);
  EXPECT_EQ(registry.ReadNumber(root, base + "\\Missing", "Hidden", number), kRegNotFound);

  // Any type and bytes come back as written; the unnamed value has an empty name.
  const std::vector<std::uint8_t> raw = {1, 2, 3};
  ASSERT_EQ(registry.SetValue(root, key, "", kRegBinary, raw), kRegOk);
  ASSERT_EQ(registry.ReadValue(root, key, "", value), kRegOk);
  EXPECT_EQ(value.type, kRegBinary);
  EXPECT_EQ(value.data, raw);
  EXPECT_EQ(registry.SetValue(root, base + "\\Missing", "x", kRegBinary, raw), kRegNotFound);

  // A trailing backslash names the same key; names keep the case they were made with.
  EXPECT_EQ(registry.OpenKey(root, key + "\\"), kRegOk);
  ASSERT_EQ(registry.CreateKey(root, key + "\\Child\\Grand"), kRegOk);
  std::vector<std::string> names;
  ASSERT_EQ(registry.ListSubkeys(root, key, names), kRegOk);
  EXPECT_EQ(names, std::vector<std::string>{"Child"});
  std::vector<RegistryValue> values;
  ASSERT_EQ(registry.ListValues(root, key, values), kRegOk);
  ASSERT_EQ(values.size(), 3u);
  for (const RegistryValue& listed : values) {
    RegistryValue read;
    EXPECT_EQ(registry.ReadValue(root, key, listed.name, read), kRegOk) << listed.name;
    EXPECT_EQ(read, listed);
  }
  EXPECT_EQ(registry.ListSubkeys(root, base + "\\Missing", names), kRegNotFound);

  // Deleting a key with subkeys leaves it (as RegDeleteKeyW does); a leaf goes with its values.
  EXPECT_EQ(registry.DeleteKey(root, key + "\\Child"), kRegAccessDenied);
  EXPECT_TRUE(registry.KeyExists(root, key + "\\Child\\Grand"));
  EXPECT_EQ(registry.DeleteKey(root, key + "\\Child\\Grand"), kRegOk);
  EXPECT_EQ(registry.DeleteKey(root, key + "\\Child"), kRegOk);
  EXPECT_EQ(registry.DeleteKey(root, key + "\\Child"), kRegNotFound);

  EXPECT_EQ(registry.DeleteValue(root, key, "HIDDEN"), kRegOk);
  EXPECT_EQ(registry.DeleteValue(root, key, "Hidden"), kRegNotFound);
  EXPECT_EQ(registry.DeleteValue(root, base + "\\Missing", "Hidden"), kRegNotFound);

  // A tree goes whole; a whole root never does.
  ASSERT_EQ(registry.CreateKey(root, key + "\\Child\\Grand"), kRegOk);
  EXPECT_EQ(registry.DeleteTree(root, base), kRegOk);
  EXPECT_FALSE(registry.KeyExists(root, base));
  EXPECT_EQ(registry.DeleteTree(root, base), kRegNotFound);
  EXPECT_EQ(registry.DeleteTree(root, ""), kRegAccessDenied);
}

}  // namespace kestro::test
