// The in-memory registry: the registry contract, and the failures tests inject.
#include <gtest/gtest.h>

#include "platform/memory_registry.hpp"
#include "platform/utf16_text.hpp"
#include "tests/platform/registry_contract.hpp"

namespace kestro::platform {
namespace {

TEST(MemoryRegistryTest, KeepsTheRegistryContract) {
  MemoryRegistry registry;
  test::CheckRegistryContract(registry, RegistryRoot::CurrentUser, "Software\\KESTRO Tests\\Contract");
  EXPECT_EQ(registry.Dump(RegistryRoot::CurrentUser), std::vector<std::string>({"Software", "Software\\KESTRO Tests"}));
}

TEST(MemoryRegistryTest, AccessDeniedOnARootRefusesChangesButNotReads) {
  MemoryRegistry registry;
  ASSERT_EQ(registry.SetText(RegistryRoot::LocalMachine, "Software\\A", "v", "old"), kRegOk);
  registry.FailChangesUnder(RegistryRoot::LocalMachine, "", kRegAccessDenied);
  const auto before = registry.Dump(RegistryRoot::LocalMachine);
  EXPECT_EQ(registry.SetText(RegistryRoot::LocalMachine, "Software\\A", "v", "new"), kRegAccessDenied);
  EXPECT_EQ(registry.CreateKey(RegistryRoot::LocalMachine, "Software\\B"), kRegAccessDenied);
  EXPECT_EQ(registry.DeleteValue(RegistryRoot::LocalMachine, "Software\\A", "v"), kRegAccessDenied);
  EXPECT_EQ(registry.DeleteKey(RegistryRoot::LocalMachine, "Software\\A"), kRegAccessDenied);
  EXPECT_EQ(registry.DeleteTree(RegistryRoot::LocalMachine, "Software"), kRegAccessDenied);
  EXPECT_EQ(registry.Dump(RegistryRoot::LocalMachine), before);
  std::string text;
  EXPECT_EQ(registry.ReadText(RegistryRoot::LocalMachine, "Software\\A", "v", text), kRegOk);
  EXPECT_EQ(text, "old");
  EXPECT_EQ(registry.SetText(RegistryRoot::CurrentUser, "Software\\A", "v", "new"), kRegOk);  // other roots unaffected
}

TEST(MemoryRegistryTest, AKeyMadeUnreadableLooksMissing) {
  MemoryRegistry registry;
  ASSERT_EQ(registry.SetNumber(RegistryRoot::CurrentUser, "Software\\KESTRO", "Process", 1), kRegOk);
  registry.FailReadsUnder(RegistryRoot::CurrentUser, "software\\kestro\\", kRegNotFound);
  std::uint32_t number = 0;
  EXPECT_EQ(registry.ReadNumber(RegistryRoot::CurrentUser, "Software\\KESTRO", "Process", number), kRegNotFound);
  EXPECT_FALSE(registry.KeyExists(RegistryRoot::CurrentUser, "Software\\KESTRO\\Deeper"));
  EXPECT_TRUE(registry.KeyExists(RegistryRoot::CurrentUser, "Software"));
}

TEST(MemoryRegistryTest, DumpTellsTextsWithoutTheirNulAndOtherTypesApart) {
  MemoryRegistry registry;
  ASSERT_EQ(registry.SetText(RegistryRoot::Users, "K", "a", "x"), kRegOk);
  ASSERT_EQ(registry.SetValue(RegistryRoot::Users, "K", "b", kRegSz, Utf8ToUtf16Le("x")), kRegOk);
  ASSERT_EQ(registry.SetValue(RegistryRoot::Users, "K", "c", kRegExpandSz, TextData("x")), kRegOk);
  ASSERT_EQ(registry.SetNumber(RegistryRoot::Users, "K", "", 0x12345678), kRegOk);
  EXPECT_EQ(registry.Dump(RegistryRoot::Users),
            std::vector<std::string>({"K", "K|@=dword:12345678", "K|a=x", "K|b=hex(1):78,00", "K|c=hex(2):78,00,00,00"}));
}

TEST(Utf16TextTest, RoundTripsAndReplacesWhatIsMalformed) {
  const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // A, e-acute, euro, an emoji (surrogate pair)
  const auto bytes = Utf8ToUtf16Le(text);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'A', 0, 0xE9, 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE}));
  EXPECT_EQ(Utf16LeToUtf8(bytes), text);
  EXPECT_EQ(Utf8ToUtf16Le("\xC3"), (std::vector<std::uint8_t>{0xFD, 0xFF}));                 // cut short
  EXPECT_EQ(Utf16LeToUtf8(std::vector<std::uint8_t>{0x3D, 0xD8, 'A', 0}), "\xEF\xBF\xBD" "A");  // lone surrogate
  EXPECT_EQ(TextOfData(std::vector<std::uint8_t>{'a', 0, 0, 0, 'b', 0}), "a");
  EXPECT_EQ(TextOfData(std::vector<std::uint8_t>{'a', 0, 'b'}), "a");  // an odd byte is not a character
}

}  // namespace
}  // namespace kestro::platform
