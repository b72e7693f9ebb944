// Loads KESTROEngine.dll by path and calls its exports by name, the way the main
// program binds them.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/checksum_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {

using NoArgExport = BSTR(WINAPI*)();
using FileCrcExport = BSTR(WINAPI*)(BSTR*);

class EngineLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto dll = test::OutputDir() / "KESTROEngine.dll";
    module_ = LoadLibraryW(dll.c_str());
    ASSERT_NE(module_, nullptr) << "cannot load " << dll.string();
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  // Calls a no-argument export and returns its text as the main program sees it:
  // the string's bytes read as ANSI, NUL characters removed.
  std::string Call(const char* name) {
    auto fn = reinterpret_cast<NoArgExport>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    EXPECT_NE(fn, nullptr) << name;
    if (fn == nullptr) return {};
    BSTR value = fn();
    std::string bytes(reinterpret_cast<const char*>(value), SysStringByteLen(value));
    SysFreeString(value);
    std::string text;
    for (const char c : bytes) {
      if (c != '\0') text.push_back(c);
    }
    return text;
  }

  std::string FileCrc(const std::wstring& path) {
    auto fn = reinterpret_cast<FileCrcExport>(
        reinterpret_cast<void*>(GetProcAddress(module_, "KESTRO_GetFileCRC")));
    EXPECT_NE(fn, nullptr);
    if (fn == nullptr) return {};
    BSTR arg = SysAllocString(path.c_str());
    BSTR value = fn(&arg);
    SysFreeString(arg);
    std::wstring wide(value, SysStringLen(value));
    SysFreeString(value);
    return std::string(wide.begin(), wide.end());
  }

  HMODULE module_ = nullptr;
};

TEST_F(EngineLibraryTest, IdentityStrings) {
  EXPECT_EQ(Call("KESTRO_Program"), "KESTRO Antivirus");
  EXPECT_EQ(Call("KESTRO_Version"), "4.2");
  EXPECT_EQ(Call("KESTRO_Build"), "1 May 2013");
  const std::string site = Call("KESTRO_Site");
  EXPECT_EQ(site.rfind("http", 0), 0u);
  EXPECT_EQ(site.back(), '/');
  const std::string integrity = Call("KESTRO_GetCRC");
  ASSERT_EQ(integrity.size(), 8u);
  for (const char c : integrity) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << integrity;
}

TEST_F(EngineLibraryTest, FileChecksumMatchesTheFixtures) {
  test::TempDir dir;
  for (const auto& f : test::ChecksumFixtures()) {
    test::WriteFile(dir / f.name, f.bytes);
    EXPECT_EQ(FileCrc((dir / f.name).wstring()), f.sampledChecksum) << f.name;
  }
  EXPECT_EQ(FileCrc((dir / "missing.bin").wstring()), test::kZeroSamplesChecksum);
  EXPECT_EQ(FileCrc(L""), test::kZeroSamplesChecksum);
}

TEST_F(EngineLibraryTest, ExportsAreUndecoratedAndComplete) {
  for (const char* name : {"KESTRO_Program", "KESTRO_Version", "KESTRO_Build", "KESTRO_Site",
                           "KESTRO_GetCRC", "KESTRO_GetFileCRC"}) {
    EXPECT_NE(GetProcAddress(module_, name), nullptr) << name;
  }
}

TEST_F(EngineLibraryTest, VersionResource) {
  const auto dll = test::OutputDir() / "KESTROEngine.dll";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(dll.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<std::uint8_t> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(dll.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00090005u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x0000000Du);
  auto text = [&](const wchar_t* key) {
    wchar_t* value = nullptr;
    UINT n = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + key;
    if (!VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &n)) return std::wstring();
    return std::wstring(value);
  };
  EXPECT_EQ(text(L"FileVersion"), L"9.05.0013");
  EXPECT_EQ(text(L"ProductVersion"), L"9.05.0013");
  EXPECT_EQ(text(L"FileDescription"), L"KESTRO Virtual Engine");
  EXPECT_EQ(text(L"Comments"), L"KESTRO Virtual Engine");
  EXPECT_EQ(text(L"ProductName"), L"KESTRO Antivirus");
  EXPECT_EQ(text(L"InternalName"), L"KESTROEngine");
  EXPECT_EQ(text(L"OriginalFilename"), L"KESTROEngine.dll");
}

}  // namespace
}  // namespace kestro
