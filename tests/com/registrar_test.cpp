// The registrar against the in-memory registry: register and remove modes, the
// key flags, and what a failing write leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/registrar.hpp"
#include "platform/memory_registry.hpp"

namespace kestro::com {
namespace {

using platform::MemoryRegistry;

constexpr RegistryRoot kCR = RegistryRoot::ClassesRoot;

const char* const kScript =
    "HKCR\n{\n"
    "  Demo.Class = s 'Demo Class'\n  {\n    CLSID = s '{C1}'\n  }\n"
    "  NoRemove CLSID\n  {\n"
    "    ForceRemove {C1} = s 'Demo Class'\n    {\n"
    "      InprocServer32 = s '%MODULE%'\n      {\n        val ThreadingModel = s 'Apartment'\n      }\n"
    "    }\n  }\n"
    "  NoRemove Shared\n  {\n    val Marker = s 'ours'\n    Plain = s 'p'\n  }\n"
    "}\n";

long Apply(MemoryRegistry& registry, ScriptMode mode, const std::string& module = "C:\\X\\demo.dll") {
  return ApplyRegistryScriptText(registry, kScript, {{"MODULE", DoubleQuotes(module)}}, mode);
}

TEST(RegistrarTest, RegisterWritesEveryKeyAndValue) {
  MemoryRegistry registry;
  ASSERT_EQ(Apply(registry, ScriptMode::Register), kRegOk);
  const std::vector<std::string> expected = {
      "CLSID",
      "CLSID\\{C1}",
      "CLSID\\{C1}\\InprocServer32",
      "CLSID\\{C1}\\InprocServer32|@=C:\\X\\demo.dll",
      "CLSID\\{C1}\\InprocServer32|ThreadingModel=Apartment",
      "CLSID\\{C1}|@=Demo Class",
      "Demo.Class",
      "Demo.Class\\CLSID",
      "Demo.Class\\CLSID|@={C1}",
      "Demo.Class|@=Demo Class",
      "Shared",
      "Shared\\Plain",
      "Shared\\Plain|@=p",
      "Shared|Marker=ours",
  };
  EXPECT_EQ(registry.Dump(kCR), expected);
}

TEST(RegistrarTest, ForceRemoveClearsStaleSubkeysOnRegister) {
  MemoryRegistry registry;
  ASSERT_EQ(registry.CreateKey(kCR, "CLSID\\{C1}\\LocalServer32"), kRegOk);
  ASSERT_EQ(registry.CreateKey(kCR, "CLSID\\{Other}"), kRegOk);
  ASSERT_EQ(Apply(registry, ScriptMode::Register), kRegOk);
  EXPECT_FALSE(registry.KeyExists(kCR, "CLSID\\{C1}\\LocalServer32"));
  EXPECT_TRUE(registry.KeyExists(kCR, "CLSID\\{Other}"));
}

TEST(RegistrarTest, RemoveKeepsNoRemoveKeysAndForeignSubkeys) {
  MemoryRegistry registry;
  ASSERT_EQ(registry.CreateKey(kCR, "CLSID\\{Other}"), kRegOk);
  ASSERT_EQ(registry.CreateKey(kCR, "Shared\\Foreign"), kRegOk);
  ASSERT_EQ(registry.SetText(kCR, "Shared", "Theirs", "t"), kRegOk);
  ASSERT_EQ(registry.CreateKey(kCR, "Demo.Class\\Extra"), kRegOk);
  ASSERT_EQ(Apply(registry, ScriptMode::Register), kRegOk);
  ASSERT_EQ(Apply(registry, ScriptMode::Remove), kRegOk);
  const std::vector<std::string> expected = {
      "CLSID",
      "CLSID\\{Other}",
      "Demo.Class",  // kept, default value and all: a subkey the script does not name holds it
      "Demo.Class\\Extra",
      "Demo.Class|@=Demo Class",
      "Shared",
      "Shared\\Foreign",
      "Shared|Theirs=t",
  };
  EXPECT_EQ(registry.Dump(kCR), expected);
}

TEST(RegistrarTest, RemoveOnEmptyRegistryIsNotAnError) {
  MemoryRegistry registry;
  EXPECT_EQ(Apply(registry, ScriptMode::Remove), kRegOk);
  EXPECT_TRUE(registry.Dump(kCR).empty());
}

TEST(RegistrarTest, ModulePathWithQuotesAndSpacesIsWrittenWhole) {
  MemoryRegistry registry;
  ASSERT_EQ(Apply(registry, ScriptMode::Register, "C:\\Bob's Files\\demo.dll"), kRegOk);
  EXPECT_EQ(registry.GetString(kCR, "CLSID\\{C1}\\InprocServer32", ""), "C:\\Bob's Files\\demo.dll");
}

TEST(RegistrarTest, FailedWriteIsReportedAndUndone) {
  MemoryRegistry registry;
  ASSERT_EQ(registry.CreateKey(kCR, "CLSID\\{Other}"), kRegOk);
  const std::vector<std::string> before = registry.Dump(kCR);
  registry.FailChangesUnder(kCR, "Shared\\Plain", kRegAccessDenied);
  EXPECT_EQ(Apply(registry, ScriptMode::Register), kRegAccessDenied);
  // Everything written is gone again; only the shared NoRemove container that was
  // created on the way stays, as remove mode never deletes those.
  std::vector<std::string> expected = before;
  expected.push_back("Shared");
  EXPECT_EQ(registry.Dump(kCR), expected);
}

TEST(RegistrarTest, MalformedScriptOrUnknownReplacementTouchesNothing) {
  MemoryRegistry registry;
  EXPECT_EQ(ApplyRegistryScriptText(registry, "HKCR { A = s 'x' } HKCR {", {}, ScriptMode::Register),
            kRegInvalidData);
  EXPECT_EQ(ApplyRegistryScriptText(registry, "HKCR { A = s '%NOPE%' }", {}, ScriptMode::Register),
            kRegInvalidData);
  EXPECT_TRUE(registry.Dump(kCR).empty());
}

TEST(RegistrarTest, KeyNamesAreCaseInsensitive) {
  MemoryRegistry registry;
  ASSERT_EQ(registry.CreateKey(kCR, "clsid\\{c1}\\Old"), kRegOk);
  ASSERT_EQ(Apply(registry, ScriptMode::Register), kRegOk);
  EXPECT_FALSE(registry.KeyExists(kCR, "CLSID\\{C1}\\Old"));
  ASSERT_EQ(Apply(registry, ScriptMode::Remove), kRegOk);
  EXPECT_FALSE(registry.KeyExists(kCR, "CLSID\\{C1}"));
}

}  // namespace
}  // namespace kestro::com
