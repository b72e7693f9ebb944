// Resources of the two COM libraries: registry script, picture, icon group,
// string table and version blocks.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/temp_dir.hpp"
#include "tests/wine/com_wine_support.hpp"

namespace kestro {
namespace {

std::wstring VersionString(const std::filesystem::path& file, const wchar_t* name) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return L"<no version block>";
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return L"<unreadable>";
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
  if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return L"<missing>";
  return static_cast<const wchar_t*>(value);
}

TEST(ComLibraryResourcesTest, ShellExtensionResources) {
  const auto dll = test::OutputDir() / "KESTROExtc.dll";
  test::LoadedLibrary library(dll);
  ASSERT_NE(library.get(), nullptr);

  HRSRC script = FindResourceW(library.get(), MAKEINTRESOURCEW(101), L"REGISTRY");
  ASSERT_NE(script, nullptr);
  const auto source = test::ReadFile(test::SourceDir() / "shellext" / "KESTROExtc.rgs");
  const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(library.get(), script)));
  EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + SizeofResource(library.get(), script)), source);

  auto picture = static_cast<HBITMAP>(
      LoadImageW(library.get(), MAKEINTRESOURCEW(102), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(picture, nullptr);
  BITMAP info{};
  GetObjectW(picture, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 16);
  EXPECT_EQ(info.bmHeight, 16);
  EXPECT_EQ(info.bmBitsPixel, 24);
  DeleteObject(picture);

  HRSRC icons = FindResourceW(library.get(), MAKEINTRESOURCEW(202), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(icons, nullptr);
  const auto* group = static_cast<const WORD*>(LockResource(LoadResource(library.get(), icons)));
  EXPECT_EQ(group[2], 2);  // idCount: two images

  wchar_t text[64] = {};
  LoadStringW(library.get(), 100, text, 64);
  EXPECT_STREQ(text, L"KESTRO Shell Extension Library");

  const std::map<std::wstring, std::wstring> expected = {
      {L"FileVersion", L"2.1.0.13"},          {L"ProductVersion", L"2.1.0.13"},
      {L"InternalName", L"KESTROExtc"},       {L"OriginalFilename", L"KESTROExtc.dll"},
      {L"Comments", L"KESTRO Shell Extension"}, {L"FileDescription", L"KESTRO Shell Extension"},
      {L"ProductName", L"KESTRO Antivirus"}};
  for (const auto& [name, value] : expected) EXPECT_EQ(VersionString(dll, name.c_str()), value) << name.c_str();
}

TEST(ComLibraryResourcesTest, KeyboardVersion) {
  const auto dll = test::OutputDir() / "KESTROKeyboard.dll";
  EXPECT_EQ(VersionString(dll, L"FileVersion"), L"1.0.0.13");
  EXPECT_EQ(VersionString(dll, L"OriginalFilename"), L"KESTROKeyboard.dll");
  DWORD ignored = 0;
  std::vector<unsigned char> block(GetFileVersionInfoSizeW(dll.c_str(), &ignored));
  ASSERT_FALSE(block.empty());
  ASSERT_TRUE(GetFileVersionInfoW(dll.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x0000000Du);
}

}  // namespace
}  // namespace kestro
