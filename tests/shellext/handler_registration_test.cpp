// The shell extension's registration steps with its real registry script,
// against the in-memory registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory_registry.hpp"
#include "shellext/handler_registration.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::shellext {
namespace {

using platform::MemoryRegistry;
using com::RegistryRoot;
constexpr RegistryRoot kCR = RegistryRoot::ClassesRoot;
constexpr RegistryRoot kLM = RegistryRoot::LocalMachine;

std::string Script() {
  const auto bytes = test::ReadFile(test::SourceDir() / "shellext" / "KESTROExtc.rgs");
  return std::string(bytes.begin(), bytes.end());
}

class HandlerRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    script_ = Script();
    ASSERT_FALSE(script_.empty());
    ASSERT_EQ(registry_.CreateKey(kLM, kApprovedKey), com::kRegOk);
  }
  com::Replacements Module() const { return {{"MODULE", com::DoubleQuotes("C:\\PROG~X1\\KESTRO~1\\KESTRO'S.DLL")}}; }

  MemoryRegistry registry_;
  std::string script_;
};

TEST_F(HandlerRegistrationTest, ScriptIsCrLfText) {
  EXPECT_NE(script_.find("\r\n"), std::string::npos);
  for (std::size_t i = 0; i < script_.size(); ++i) {
    if (script_[i] == '\n') {
      EXPECT_TRUE(i > 0 && script_[i - 1] == '\r') << "bare LF at " << i;
    }
  }
}

TEST_F(HandlerRegistrationTest, RegisterWritesTheClassesRootLayout) {
  ASSERT_EQ(RegisterHandler(registry_, true, script_, Module()), com::kRegOk);
  const std::vector<std::string> expected = {
      "CLSID",
      "CLSID\\{956D4D60-CC93-4106-8508-22C730049DEE}",
      "CLSID\\{956D4D60-CC93-4106-8508-22C730049DEE}\\InprocServer32",
      "CLSID\\{956D4D60-CC93-4106-8508-22C730049DEE}\\InprocServer32|@=C:\\PROG~X1\\KESTRO~1\\KESTRO'S.DLL",
      "CLSID\\{956D4D60-CC93-4106-8508-22C730049DEE}\\InprocServer32|ThreadingModel=Apartment",
      "CLSID\\{956D4D60-CC93-4106-8508-22C730049DEE}|@=KESTROExtc Class",
      "Folder",
      "Folder\\ShellEx",
      "Folder\\ShellEx\\ContextMenuHandlers",
      "Folder\\ShellEx\\ContextMenuHandlers\\KESTROExtc",
      "Folder\\ShellEx\\ContextMenuHandlers\\KESTROExtc|@={956D4D60-CC93-4106-8508-22C730049DEE}",
  };
  EXPECT_EQ(registry_.Dump(kCR), expected);
  EXPECT_EQ(registry_.GetString(kLM, kApprovedKey, kHandlerClsid), "KESTRO Shell Extension");
}

TEST_F(HandlerRegistrationTest, OlderFamilySkipsTheApproval) {
  registry_.FailChangesUnder(kLM, kApprovedKey, com::kRegAccessDenied);
  EXPECT_EQ(RegisterHandler(registry_, false, script_, Module()), com::kRegOk);
  EXPECT_FALSE(registry_.GetString(kLM, kApprovedKey, kHandlerClsid));
  EXPECT_TRUE(registry_.KeyExists(kCR, "Folder\\ShellEx\\ContextMenuHandlers\\KESTROExtc"));
}

TEST_F(HandlerRegistrationTest, RefusedApprovalIsAccessDeniedAndWritesNothing) {
  ASSERT_EQ(registry_.CreateKey(kCR, "Folder\\ShellEx\\ContextMenuHandlers\\Other"), com::kRegOk);
  const auto before = registry_.Dump(kCR);
  registry_.FailChangesUnder(kLM, kApprovedKey, com::kRegAccessDenied);
  EXPECT_EQ(RegisterHandler(registry_, true, script_, Module()), com::kRegAccessDenied);
  EXPECT_EQ(registry_.Dump(kCR), before);
}

TEST_F(HandlerRegistrationTest, MissingApprovedKeyIsAccessDenied) {
  MemoryRegistry bare;
  EXPECT_EQ(RegisterHandler(bare, true, script_, Module()), com::kRegAccessDenied);
  EXPECT_TRUE(bare.Dump(kCR).empty());
  EXPECT_TRUE(bare.Dump(kLM).empty());  // the Windows-owned key is not created either
}

TEST_F(HandlerRegistrationTest, UnregisterKeepsSharedKeysAndDropsOurs) {
  ASSERT_EQ(registry_.CreateKey(kCR, "Folder\\ShellEx\\ContextMenuHandlers\\Other"), com::kRegOk);
  ASSERT_EQ(RegisterHandler(registry_, true, script_, Module()), com::kRegOk);
  ASSERT_EQ(UnregisterHandler(registry_, true, script_, Module()), com::kRegOk);
  const std::vector<std::string> expected = {
      "CLSID",
      "Folder",
      "Folder\\ShellEx",
      "Folder\\ShellEx\\ContextMenuHandlers",
      "Folder\\ShellEx\\ContextMenuHandlers\\Other",
  };
  EXPECT_EQ(registry_.Dump(kCR), expected);
  EXPECT_FALSE(registry_.GetString(kLM, kApprovedKey, kHandlerClsid));
}

TEST_F(HandlerRegistrationTest, UnregisterIgnoresARefusedApproval) {
  ASSERT_EQ(RegisterHandler(registry_, true, script_, Module()), com::kRegOk);
  registry_.FailChangesUnder(kLM, kApprovedKey, com::kRegAccessDenied);
  EXPECT_EQ(UnregisterHandler(registry_, true, script_, Module()), com::kRegOk);
  EXPECT_FALSE(registry_.KeyExists(kCR, "CLSID\\{956D4D60-CC93-4106-8508-22C730049DEE}"));
}

}  // namespace
}  // namespace kestro::shellext
