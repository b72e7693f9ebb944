// Loads RARExtract.dll by path, the way the program binds it, and checks what
// only Windows can show: the export and import tables and ANSI texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "outside/RARExtract/rar_extract_api.h"
#include "tests/support/rar_writer.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::test {
namespace {

class RarDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto dll = OutputDir() / "RARExtract.dll";
    module_ = LoadLibraryW(dll.c_str());
    ASSERT_NE(module_, nullptr) << "cannot load " << dll.string();
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  template <typename Fn>
  Fn Export(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  const IMAGE_NT_HEADERS* Headers() const {
    const auto* base = reinterpret_cast<const BYTE*>(module_);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  }

  template <typename T>
  const T* At(DWORD rva) const {
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module_) + rva);
  }

  HMODULE module_ = nullptr;
};

TEST_F(RarDllTest, ExportsExactlyTheFiveUndecoratedNames) {
  const auto& directory = Headers()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  ASSERT_NE(directory.VirtualAddress, 0u);
  const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(directory.VirtualAddress);
  const auto* names = At<DWORD>(exports->AddressOfNames);
  std::vector<std::string> found;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) found.emplace_back(At<char>(names[i]));
  std::sort(found.begin(), found.end());
  const std::vector<std::string> expected = {"KESTROCloseArchive", "KESTROOpenArchive", "KESTROProcessFile",
                                             "KESTROReadHeader", "KESTROSetPassword"};
  EXPECT_EQ(found, expected);
  for (const auto& name : expected) EXPECT_NE(GetProcAddress(module_, name.c_str()), nullptr) << name;
}

TEST_F(RarDllTest, ImportsOnlySystemLibraries) {
  // libarchive and the C++ runtime are linked in: nothing like libarchive-13.dll,
  // libstdc++-6.dll or libwinpthread-1.dll needs to sit beside the program.
  const auto& directory = Headers()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(directory.VirtualAddress, 0u);
  std::vector<std::string> libraries;
  for (const auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(directory.VirtualAddress); entry->Name != 0; ++entry) {
    std::string name = At<char>(entry->Name);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    libraries.push_back(name);
  }
  EXPECT_FALSE(libraries.empty());
  for (const auto& name : libraries) EXPECT_FALSE(name.starts_with("lib")) << name;
}

// The ANSI form of a wide text in the system code page; empty when a character
// has no ANSI form.
std::string Ansi(const std::wstring& wide) {
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
  if (length <= 1 || lossy) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(), length, nullptr, &lossy);
  text.resize(static_cast<std::size_t>(length - 1));
  return lossy ? std::string() : text;
}

TEST_F(RarDllTest, AnsiPathsAndMemberNamesUseTheSystemCodePage) {
  const std::wstring accented = L"\u00FCber";  // "über"
  if (Ansi(accented).empty()) GTEST_SKIP() << "the system code page has no u-umlaut";
  TempDir dir;
  const auto folder = dir.path() / (accented + L" folder");
  std::filesystem::create_directory(folder);
  const auto archive = folder / L"pack.rar";
  // RAR 5 stores names as UTF-8.
  WriteFile(archive, WriteStoredRar(RarFormat::Rar5, {TextMember("dir/\xC3\xBC" "ber.exe", "MZ")}));

  auto open = Export<KESTROOpenArchiveFn>("KESTROOpenArchive");
  auto read = Export<KESTROReadHeaderFn>("KESTROReadHeader");
  auto process = Export<KESTROProcessFileFn>("KESTROProcessFile");
  auto close = Export<KESTROCloseArchiveFn>("KESTROCloseArchive");
  ASSERT_TRUE(open && read && process && close);

  const std::string archiveAnsi = Ansi(archive.wstring());
  KESTROOpenArchiveData record{};
  record.ArcName = archiveAnsi.c_str();
  record.OpenMode = KESTRO_RAR_OM_EXTRACT;
  const KESTROArchiveHandle handle = open(&record);
  ASSERT_EQ(record.OpenResult, 0u);
  ASSERT_NE(handle, 0);
  KESTROHeaderData header{};
  ASSERT_EQ(read(handle, &header), 0);
  EXPECT_EQ(std::string(header.ArcName), archiveAnsi);
  EXPECT_EQ(std::string(header.FileName), Ansi(L"dir\\" + accented + L".exe"));

  const auto dest = folder / L"out" / (accented + L".exe");
  const std::string destAnsi = Ansi(dest.wstring());
  EXPECT_EQ(process(handle, KESTRO_RAR_EXTRACT, "", destAnsi.c_str()), 0);
  EXPECT_EQ(ReadFile(dest), (std::vector<std::uint8_t>{'M', 'Z'}));
  EXPECT_EQ(read(handle, &header), KESTRO_ERAR_END_ARCHIVE);
  EXPECT_EQ(close(handle), 0);
  EXPECT_EQ(close(handle), KESTRO_ERAR_ECLOSE);
}

}  // namespace
}  // namespace kestro::test
