// RARExtract's five exports on archives from the stored-RAR writer, in RAR 4
// and RAR 5 form, called through the scanner's binding.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "scan/archive_member_path.hpp"
#include "tests/outside/rar_test_helpers.hpp"
#include "tests/support/rar_fixtures.hpp"

namespace kestro::test {
namespace {

// A stored name with '/' as the library reports it on this platform.
std::string Native(std::string name) {
  std::replace(name.begin(), name.end(), '/', scan::kPathSeparator);
  return name;
}

std::string Text(const std::filesystem::path& file) {
  const auto bytes = ReadFile(file);
  return std::string(bytes.begin(), bytes.end());
}

std::filesystem::path WriteArchive(const TempDir& dir, const std::string& name, RarFormat format,
                                   const std::vector<RarMember>& members, const RarOptions& options = {}) {
  const auto path = dir / name;
  WriteFile(path, WriteStoredRar(format, members, options));
  return path;
}

TEST(ArchiveLibraryBinding, MissingLibraryMakesEveryCallFail) {
  TempDir empty;
  auto library = scan::BindArchiveLibrary(empty.path());
  EXPECT_FALSE(library->IsAvailable());
  const std::string path = Ansi(empty / "any.rar");
  scan::ArchiveOpenRecord open{};
  open.ArcName = path.c_str();
  open.OpenMode = KESTRO_RAR_OM_EXTRACT;
  EXPECT_EQ(library->OpenArchive(open), 0);
  EXPECT_NE(open.OpenResult, 0u);
  scan::ArchiveHeaderRecord header{};
  EXPECT_NE(library->ReadHeader(1, header), 0);
  EXPECT_NE(library->ProcessFile(1, KESTRO_RAR_EXTRACT, "", path.c_str()), 0);
  library->SetPassword(1, "x");
  library->CloseArchive(1);
}

TEST(ArchiveLibraryBinding, FindsTheBuiltLibraryByName) {
  auto library = BindBuiltLibrary();
  EXPECT_TRUE(library->IsAvailable()) << (OutputDir() / scan::ArchiveLibraryFileName()).string();
}

class RarExtractTest : public ::testing::TestWithParam<RarFormat> {
 protected:
  void SetUp() override {
    library_ = BindBuiltLibrary();
    ASSERT_TRUE(library_->IsAvailable());
  }
  // Opens the archive for extraction; its OpenResult goes to `openResult`.
  scan::ArchiveHandle OpenForExtraction(const std::filesystem::path& archive, unsigned& openResult) {
    const std::string path = Ansi(archive);
    scan::ArchiveOpenRecord open{};
    open.ArcName = path.c_str();
    open.OpenMode = KESTRO_RAR_OM_EXTRACT;
    const auto handle = library_->OpenArchive(open);
    openResult = open.OpenResult;
    return handle;
  }
  std::unique_ptr<scan::ArchiveLibrary> library_;
  TempDir dir_;
};

TEST_P(RarExtractTest, ListsAndExtractsNestedFolders) {
  const auto archive = WriteArchive(dir_, "nested.rar", GetParam(), NestedFolderMembers());
  const auto out = dir_ / "out";
  std::filesystem::create_directory(out);
  const auto walk = WalkArchive(*library_, archive, out);
  ASSERT_EQ(walk.openResult, 0);
  EXPECT_EQ(walk.endResult, KESTRO_ERAR_END_ARCHIVE);
  const auto expected = NestedFolderMembers();
  ASSERT_EQ(walk.members.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& got = walk.members[i];
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(got.name, Native(expected[i].name));
    EXPECT_EQ(got.archiveName, Ansi(archive));
    EXPECT_EQ(got.version, GetParam() == RarFormat::Rar4 ? 29u : 50u);
    EXPECT_EQ(got.result, 0);
    if (expected[i].folder) {
      EXPECT_EQ(got.flags & KESTRO_RHDF_DIRECTORY, KESTRO_RHDF_DIRECTORY);
      EXPECT_TRUE(std::filesystem::is_directory(got.written));
    } else {
      EXPECT_EQ(got.flags, 0u);
      EXPECT_EQ(got.size, expected[i].data.size());
      EXPECT_EQ(ReadFile(got.written), expected[i].data);
    }
  }
}

TEST_P(RarExtractTest, MembersAreWrittenUpToTheExaminationLimit) {
  // A member larger than anything the scanner examines is cut just past the
  // limit, so a small archive that unpacks to a huge file cannot fill the disk;
  // the member after it still extracts whole.
  RarMember big{.name = "big.bin", .data = std::vector<std::uint8_t>(KESTRO_RAR_MAX_MEMBER_BYTES + 4096, 0x41)};
  const auto archive =
      WriteArchive(dir_, "big.rar", GetParam(), {big, TextMember("after.txt", "still here")});
  const auto out = dir_ / "out";
  std::filesystem::create_directory(out);
  const auto walk = WalkArchive(*library_, archive, out);
  ASSERT_EQ(walk.members.size(), 2u);
  EXPECT_EQ(walk.members[0].result, 0);
  EXPECT_EQ(std::filesystem::file_size(walk.members[0].written), std::uintmax_t{KESTRO_RAR_MAX_MEMBER_BYTES});
  EXPECT_EQ(walk.members[1].result, 0);
  const auto after = ReadFile(walk.members[1].written);
  EXPECT_EQ(std::string(after.begin(), after.end()), "still here");
}

TEST_P(RarExtractTest, CreatesMissingFoldersOfTheDestination) {
  const auto archive = WriteArchive(dir_, "one.rar", GetParam(), {TextMember("dir\\evil.exe", "payload")});
  unsigned openResult = 1;
  const auto handle = OpenForExtraction(archive, openResult);
  ASSERT_EQ(openResult, 0u);
  scan::ArchiveHeaderRecord header{};
  ASSERT_EQ(library_->ReadHeader(handle, header), 0);
  const auto dest = dir_ / "extract" / "dir" / "evil.exe";  // neither folder exists yet
  EXPECT_EQ(library_->ProcessFile(handle, KESTRO_RAR_EXTRACT, "", Ansi(dest).c_str()), 0);
  EXPECT_EQ(Text(dest), "payload");
  EXPECT_EQ(library_->ReadHeader(handle, header), KESTRO_ERAR_END_ARCHIVE);
  EXPECT_EQ(library_->ReadHeader(handle, header), KESTRO_ERAR_END_ARCHIVE);
  library_->CloseArchive(handle);
}

TEST_P(RarExtractTest, DamagedMemberIsSkippedAndTheNextOneStillExtracts) {
  const auto archive = WriteArchive(dir_, "damaged.rar", GetParam(), DamagedMemberMembers());
  const auto out = dir_ / "out";
  std::filesystem::create_directory(out);
  const auto walk = WalkArchive(*library_, archive, out);
  ASSERT_EQ(walk.openResult, 0);
  ASSERT_EQ(walk.members.size(), 3u);
  EXPECT_EQ(walk.members[0].result, 0);
  EXPECT_EQ(walk.members[1].name, "damaged.bin");
  EXPECT_EQ(walk.members[1].result, KESTRO_ERAR_BAD_DATA);
  EXPECT_FALSE(std::filesystem::exists(walk.members[1].written)) << "no damaged copy is left";
  EXPECT_EQ(walk.members[2].result, 0);
  EXPECT_EQ(Text(walk.members[2].written), "after");
  EXPECT_EQ(walk.endResult, KESTRO_ERAR_END_ARCHIVE);
}

TEST_P(RarExtractTest, TestAndSkipOperations) {
  const auto archive = WriteArchive(dir_, "damaged.rar", GetParam(), DamagedMemberMembers());
  unsigned openResult = 1;
  const auto handle = OpenForExtraction(archive, openResult);
  ASSERT_EQ(openResult, 0u);
  scan::ArchiveHeaderRecord header{};
  ASSERT_EQ(library_->ReadHeader(handle, header), 0);
  EXPECT_EQ(library_->ProcessFile(handle, KESTRO_RAR_TEST, "", ""), 0);
  EXPECT_NE(library_->ProcessFile(handle, KESTRO_RAR_TEST, "", ""), 0) << "no current member any more";
  ASSERT_EQ(library_->ReadHeader(handle, header), 0);
  EXPECT_EQ(library_->ProcessFile(handle, KESTRO_RAR_TEST, "", ""), KESTRO_ERAR_BAD_DATA);
  ASSERT_EQ(library_->ReadHeader(handle, header), 0);
  EXPECT_STREQ(header.FileName, "after.txt");
  EXPECT_EQ(library_->ProcessFile(handle, KESTRO_RAR_SKIP, "", ""), 0);
  EXPECT_EQ(library_->ReadHeader(handle, header), KESTRO_ERAR_END_ARCHIVE);
  library_->CloseArchive(handle);
}

TEST_P(RarExtractTest, TestingEveryMemberOfNestedFoldersSucceeds) {
  const auto archive = WriteArchive(dir_, "nested.rar", GetParam(), NestedFolderMembers());
  unsigned openResult = 1;
  const auto handle = OpenForExtraction(archive, openResult);
  ASSERT_EQ(openResult, 0u);
  scan::ArchiveHeaderRecord header{};
  int members = 0;
  while (library_->ReadHeader(handle, header) == 0) {
    ++members;
    EXPECT_EQ(library_->ProcessFile(handle, KESTRO_RAR_TEST, "", ""), 0) << header.FileName;
  }
  library_->CloseArchive(handle);
  EXPECT_EQ(members, 5);
}

TEST_P(RarExtractTest, EncryptedMemberIsNotExtractable) {
  RarMember secret = TextMember("secret.exe", "ciphertext, as far as anyone knows");
  secret.encrypted = true;
  const auto archive = WriteArchive(dir_, "locked.rar", GetParam(), {secret, TextMember("open.txt", "open")});
  const auto out = dir_ / "out";
  std::filesystem::create_directory(out);
  for (const char* password : {static_cast<const char*>(nullptr), "guess"}) {
    const auto walk = WalkArchive(*library_, archive, out, password);
    ASSERT_EQ(walk.members.size(), 2u);
    EXPECT_EQ(walk.members[0].flags & KESTRO_RHDF_ENCRYPTED, KESTRO_RHDF_ENCRYPTED);
    EXPECT_EQ(walk.members[0].result,
              password == nullptr ? KESTRO_ERAR_MISSING_PASSWORD : KESTRO_ERAR_BAD_PASSWORD);
    EXPECT_FALSE(std::filesystem::exists(walk.members[0].written));
    EXPECT_EQ(walk.members[1].result, 0);
    EXPECT_EQ(Text(walk.members[1].written), "open");
  }
}

TEST_P(RarExtractTest, UnsafeNamesAreReportedAsStoredAndExtractedInside) {
  const auto archive = WriteArchive(dir_, "unsafe.rar", GetParam(), UnsafeNameMembers());
  // The extraction folder sits two levels down, so that escapes have somewhere to go.
  const auto extract = dir_ / "a" / "b" / "extract";
  std::filesystem::create_directories(extract);
  unsigned openResult = 1;
  const auto handle = OpenForExtraction(archive, openResult);
  ASSERT_EQ(openResult, 0u);
  scan::ArchiveHeaderRecord header{};
  std::vector<std::string> names;
  while (library_->ReadHeader(handle, header) == 0) {
    names.push_back(header.FileName);
    const std::string dest = scan::MemberExtractionPath(Ansi(extract), header.FileName);
    ASSERT_FALSE(dest.empty()) << header.FileName;
    EXPECT_EQ(library_->ProcessFile(handle, KESTRO_RAR_EXTRACT, "", dest.c_str()), 0) << header.FileName;
  }
  library_->CloseArchive(handle);
  ASSERT_EQ(names.size(), UnsafeNameMembers().size());
  EXPECT_EQ(names.front(), Native("../escape.txt"));

  // Everything written lies inside the extraction folder.
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path())) {
    if (!entry.is_regular_file() || entry.path() == archive) continue;
    ++files;
    const auto relative = std::filesystem::relative(entry.path(), extract);
    EXPECT_FALSE(relative.empty() || *relative.begin() == "..") << entry.path().string();
  }
  EXPECT_EQ(files, UnsafeNameMembers().size());
}

TEST_P(RarExtractTest, DestinationFolderModeRefusesNamesThatLeaveIt) {
  const auto archive = WriteArchive(dir_, "unsafe.rar", GetParam(), UnsafeNameMembers());
  const auto extract = dir_ / "a" / "b" / "extract";
  std::filesystem::create_directories(extract);
  const std::string path = Ansi(archive);
  const std::string folder = Ansi(extract);
  scan::ArchiveOpenRecord open{};
  open.ArcName = path.c_str();
  open.OpenMode = KESTRO_RAR_OM_EXTRACT;
  const auto handle = library_->OpenArchive(open);
  ASSERT_EQ(open.OpenResult, 0u);
  scan::ArchiveHeaderRecord header{};
  while (library_->ReadHeader(handle, header) == 0) {
    const int result = library_->ProcessFile(handle, KESTRO_RAR_EXTRACT, folder.c_str(), "");
    EXPECT_EQ(result, std::string(header.FileName) == "kept.txt" ? 0 : KESTRO_ERAR_ECREATE) << header.FileName;
  }
  library_->CloseArchive(handle);
  EXPECT_EQ(Text(extract / "kept.txt"), "plain");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "a" / "b" / "escape.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "a" / "twice.txt"));
}

TEST_P(RarExtractTest, NumberedVolumeOpensLikeAnyArchive) {
  // Whether a volume is scanned is the scanner's name test; the library opens it.
  RarOptions options;
  options.volume = true;
  const auto archive = WriteArchive(dir_, "setup.part1.rar", GetParam(), {TextMember("setup.exe", "MZ")}, options);
  const auto out = dir_ / "out";
  std::filesystem::create_directory(out);
  const auto walk = WalkArchive(*library_, archive, out);
  ASSERT_EQ(walk.openResult, 0);
  ASSERT_EQ(walk.members.size(), 1u);
  EXPECT_EQ(walk.members[0].result, 0);
  EXPECT_EQ(Text(walk.members[0].written), "MZ");
}

TEST_P(RarExtractTest, RefusesWhatIsNotAReadableArchive) {
  const auto good = WriteStoredRar(GetParam(), NestedFolderMembers());
  WriteFile(dir_ / "text.rar", "just some text, no archive signature");
  WriteFile(dir_ / "empty.rar", "");
  WriteFile(dir_ / "signature.rar", std::vector<std::uint8_t>(good.begin(), good.begin() + 8));
  struct Case {
    const char* name;
    int openResult;
  } cases[] = {
      {"missing.rar", KESTRO_ERAR_EOPEN},
      {"text.rar", KESTRO_ERAR_BAD_ARCHIVE},
      {"empty.rar", KESTRO_ERAR_BAD_ARCHIVE},
  };
  for (const auto& c : cases) {
    const std::string path = Ansi(dir_ / c.name);
    scan::ArchiveOpenRecord open{};
    open.ArcName = path.c_str();
    open.OpenMode = KESTRO_RAR_OM_EXTRACT;
    EXPECT_EQ(library_->OpenArchive(open), 0) << c.name;
    EXPECT_EQ(static_cast<int>(open.OpenResult), c.openResult) << c.name;
  }
  // A signature alone: refused, or opened with no member (RAR 5 reads it as an
  // archive that simply ends).
  const auto walk = WalkArchive(*library_, dir_ / "signature.rar", {});
  EXPECT_TRUE(walk.openResult != 0 || (walk.members.empty() && walk.endResult != 0));
}

TEST_P(RarExtractTest, EveryTruncationEndsCleanly) {
  const auto good = WriteStoredRar(GetParam(), NestedFolderMembers());
  const auto out = dir_ / "out";
  std::filesystem::create_directory(out);
  for (std::size_t length = 0; length < good.size(); ++length) {
    const auto archive = dir_ / "cut.rar";
    WriteFile(archive, std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
    const auto walk = WalkArchive(*library_, archive, out);
    if (walk.openResult != 0) continue;
    for (const auto& member : walk.members) {
      if (member.result == 0 || !member.written.has_parent_path()) continue;
      EXPECT_FALSE(std::filesystem::is_regular_file(member.written)) << length << " " << member.name;
    }
  }
}

TEST_P(RarExtractTest, HandlesAreIndependentAcrossThreads) {
  const auto archive = WriteArchive(dir_, "nested.rar", GetParam(), NestedFolderMembers());
  std::atomic<int> failures{0};
  auto worker = [&](int id) {
    const auto out = dir_ / ("t" + std::to_string(id));
    std::filesystem::create_directory(out);
    for (int round = 0; round < 20; ++round) {
      const auto walk = WalkArchive(*library_, archive, out);
      if (walk.openResult != 0 || walk.members.size() != 5) ++failures;
      for (const auto& m : walk.members) {
        if (m.result != 0) ++failures;
      }
    }
  };
  std::thread a(worker, 1), b(worker, 2);
  a.join();
  b.join();
  EXPECT_EQ(failures.load(), 0);
}

std::string FormatName(const ::testing::TestParamInfo<RarFormat>& format) {
  return format.param == RarFormat::Rar4 ? "Rar4" : "Rar5";
}

INSTANTIATE_TEST_SUITE_P(Formats, RarExtractTest, ::testing::Values(RarFormat::Rar4, RarFormat::Rar5), FormatName);

}  // namespace
}  // namespace kestro::test
