// KESTROExtc.dll's DllRegisterServer / DllUnregisterServer on Wine's registry,
// and a refused "Approved" write injected through the registrar's seam.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "com/win32/com_module.hpp"
#include "platform/registry.hpp"
#include "shellext/handler_registration.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/wine/com_wine_support.hpp"

namespace kestro {
namespace {

const std::wstring kClsidKey = L"CLSID\\{956D4D60-CC93-4106-8508-22C730049DEE}";
const std::wstring kHandlerKey = L"Folder\\ShellEx\\ContextMenuHandlers\\KESTROExtc";
const std::wstring kApproved = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

// Serialises the tests of this file: they share the prefix's classes root.
class ShellExtRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.path() / "it's KESTRO";
    std::filesystem::create_directories(folder_);
    dll_ = folder_ / "KESTROExtc.dll";
    std::filesystem::copy_file(test::OutputDir() / "KESTROExtc.dll", dll_);
  }

  test::TempDir temp_;
  std::filesystem::path folder_;
  std::filesystem::path dll_;
};

TEST_F(ShellExtRegistrationTest, RegisterWritesTheTableAndUnregisterKeepsSharedKeys) {
  {
    test::LoadedLibrary library(dll_);
    ASSERT_NE(library.get(), nullptr);
    ASSERT_EQ(library.CallEntry("DllRegisterServer"), S_OK);

    EXPECT_EQ(test::ReadRegistryString(HKEY_CLASSES_ROOT, kClsidKey, L""), L"KESTROExtc Class");
    EXPECT_EQ(test::ReadRegistryString(HKEY_CLASSES_ROOT, kClsidKey + L"\\InprocServer32", L""),
              test::ShortPathOf(dll_));
    EXPECT_EQ(test::ReadRegistryString(HKEY_CLASSES_ROOT, kClsidKey + L"\\InprocServer32", L"ThreadingModel"),
              L"Apartment");
    EXPECT_EQ(test::ReadRegistryString(HKEY_CLASSES_ROOT, kHandlerKey, L""),
              L"{956D4D60-CC93-4106-8508-22C730049DEE}");
    EXPECT_EQ(test::ReadRegistryString(HKEY_LOCAL_MACHINE, kApproved, L"{956D4D60-CC93-4106-8508-22C730049DEE}"),
              L"KESTRO Shell Extension");
    // No type library is registered.
    EXPECT_FALSE(test::RegistryKeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\{956D4D63-CC93-4106-8508-22C730049DEE}"));

    ASSERT_EQ(library.CallEntry("DllUnregisterServer"), S_OK);
    EXPECT_FALSE(test::RegistryKeyExists(HKEY_CLASSES_ROOT, kClsidKey));
    EXPECT_FALSE(test::RegistryKeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
    EXPECT_TRUE(test::RegistryKeyExists(HKEY_CLASSES_ROOT, L"Folder\\ShellEx\\ContextMenuHandlers"));
    EXPECT_TRUE(test::RegistryKeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_FALSE(test::ReadRegistryString(HKEY_LOCAL_MACHINE, kApproved, L"{956D4D60-CC93-4106-8508-22C730049DEE}"));
  }
}

// The real registry with the "Approved" write refused, as for a caller without
// administrator rights (Wine itself never refuses it).
class RefusingApproval final : public platform::RegistryAccess {
 public:
  using Root = platform::RegistryRoot;
  long CreateKey(Root root, const std::string& path) override { return real_.CreateKey(root, path); }
  long OpenKey(Root root, const std::string& path) override { return real_.OpenKey(root, path); }
  long SetValue(Root root, const std::string& path, const std::string& name, std::uint32_t type,
                std::span<const std::uint8_t> data) override {
    if (root == Root::LocalMachine) return platform::kRegAccessDenied;
    return real_.SetValue(root, path, name, type, data);
  }
  long ReadValue(Root root, const std::string& path, const std::string& name,
                 platform::RegistryValue& value) override {
    return real_.ReadValue(root, path, name, value);
  }
  long DeleteValue(Root root, const std::string& path, const std::string& name) override {
    return real_.DeleteValue(root, path, name);
  }
  long DeleteKey(Root root, const std::string& path) override { return real_.DeleteKey(root, path); }
  long DeleteTree(Root root, const std::string& path) override { return real_.DeleteTree(root, path); }
  long ListSubkeys(Root root, const std::string& path, std::vector<std::string>& names) override {
    return real_.ListSubkeys(root, path, names);
  }
  long ListValues(Root root, const std::string& path, std::vector<platform::RegistryValue>& values) override {
    return real_.ListValues(root, path, values);
  }

 private:
  platform::RegistryAccess& real_ = platform::NativeRegistry();
};

TEST_F(ShellExtRegistrationTest, RefusedApprovalIsAccessDeniedAndLeavesClassesRootAlone) {
  const auto bytes = test::ReadFile(test::SourceDir() / "shellext" / "KESTROExtc.rgs");
  const std::string script(bytes.begin(), bytes.end());
  ASSERT_FALSE(script.empty());
  RefusingApproval registry;
  const long status = shellext::RegisterHandler(registry, true, script, {{"MODULE", "C:\\KESTRO\\KESTROExtc.dll"}});
  EXPECT_EQ(com::HresultFromRegistry(status), E_ACCESSDENIED);
  EXPECT_FALSE(test::RegistryKeyExists(HKEY_CLASSES_ROOT, kClsidKey));
  EXPECT_FALSE(test::RegistryKeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
}

}  // namespace
}  // namespace kestro
