// The delete routine, the document rescue, the byte comparison and the
// folder-tree delete that must never leave its tree through a link.
#include <gtest/gtest.h>

#include "remedy/delete_routine.hpp"
#include "tests/support/remedy_fakes.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::remedy {
namespace {

using test::ReadFile;
using test::WriteFile;

TEST(DeleteRoutine, DeletesAReadOnlyFileAndEndsProcessesOfItsName) {
  test::TempDir dir;
  test::FakeRemedy fake;
  WriteFile(dir / "setup.exe", "MZ");
  std::filesystem::permissions(dir / "setup.exe", std::filesystem::perms::owner_read);
  EXPECT_TRUE(DeleteRoutine(fake.context).Delete(dir / "setup.exe"));
  EXPECT_FALSE(std::filesystem::exists(dir / "setup.exe"));
  EXPECT_EQ(fake.processes.names, std::vector<std::filesystem::path>{"setup.exe"});
  EXPECT_EQ(fake.files.forcedAttempts, 0);
  EXPECT_TRUE(fake.messages.shown.empty());
}

TEST(DeleteRoutine, AFileThatStaysGivesTheTwoLineMessageOnce) {
  test::TempDir dir;
  test::FakeRemedy fake;
  WriteFile(dir / "busy.exe", "MZ");
  fake.files.locked.insert(dir / "busy.exe");
  EXPECT_FALSE(DeleteRoutine(fake.context).Delete(dir / "busy.exe"));
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].text,
            "Unable to delete this file !\r\nMaybe this file is running in system process.");
  EXPECT_EQ(fake.messages.shown[0].icon, platform::MessageIcon::Critical);
  EXPECT_EQ(fake.messages.shown[0].caption, "KESTRO Antivirus");
  EXPECT_TRUE(std::filesystem::exists(dir / "busy.exe"));
}

TEST(DeleteRoutine, ARemovalByTheForcedDeletionCountsAsDeleted) {
  test::TempDir dir;
  test::FakeRemedy fake;
  WriteFile(dir / "stubborn.dll", "MZ");
  fake.files.locked.insert(dir / "stubborn.dll");
  fake.files.forceRemovesLocked = true;
  EXPECT_TRUE(DeleteRoutine(fake.context).Delete(dir / "stubborn.dll"));
  EXPECT_EQ(fake.files.forcedAttempts, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "stubborn.dll"));
  EXPECT_TRUE(fake.messages.shown.empty());
}

TEST(DeleteRoutine, AMissingFileOrAFolderAnswersFalseSilently) {
  test::TempDir dir;
  test::FakeRemedy fake;
  EXPECT_FALSE(DeleteRoutine(fake.context).Delete(dir / "nothing.exe"));
  // A folder is not a file to delete: it stays, and the answer says so.
  std::filesystem::create_directory(dir / "folder.exe");
  EXPECT_FALSE(DeleteRoutine(fake.context).Delete(dir / "folder.exe"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.exe"));
  EXPECT_TRUE(fake.messages.shown.empty());
}

std::vector<std::uint8_t> InfectedExecutable(bool word, std::size_t signatureAt, int copies) {
  std::vector<std::uint8_t> bytes(400000, 0x90);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  for (int k = 0; k < copies; ++k) {
    std::copy(std::begin(kDocumentSignature), std::end(kDocumentSignature),
              bytes.begin() + static_cast<std::ptrdiff_t>(signatureAt + static_cast<std::size_t>(k) * 1000));
  }
  if (word) {
    bytes[330773] = 'd';
    bytes[330774] = 'o';
    bytes[330775] = 'c';
  }
  return bytes;
}

TEST(DeleteRoutine, RescuesTheHiddenDocumentBeforeDeleting) {
  struct Case {
    const char* folder;
    const char* file;
    bool word;
    const char* rescued;  // empty: nothing rescued
  };
  const std::vector<Case> cases = {
      {"a", "Report.exe", true, "Report_Repaired.doc"},
      {"b", "Budget.exe", false, "Budget_Repaired.xls"},
      {"c", "REPORT.EXE", true, ""},
      {"tools.exe", "a.exe", true, "a_Repaired.doc"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    test::FakeRemedy fake;
    std::filesystem::create_directory(dir / c.folder);
    const auto bytes = InfectedExecutable(c.word, 5000, 2);
    WriteFile(dir / c.folder / c.file, bytes);
    EXPECT_TRUE(DeleteRoutine(fake.context).Delete(dir / c.folder / c.file));
    EXPECT_FALSE(std::filesystem::exists(dir / c.folder / c.file));
    std::size_t left = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir / c.folder)) (void)e, ++left;
    if (*c.rescued == '\0') {
      EXPECT_EQ(left, 0u);
      continue;
    }
    EXPECT_EQ(left, 1u);
    // Copied from the first signature on, unchanged.
    EXPECT_EQ(ReadFile(dir / c.folder / c.rescued), std::vector<std::uint8_t>(bytes.begin() + 5000, bytes.end()));
  }
}

TEST(DeleteRoutine, CompareFileBytes) {
  test::TempDir dir;
  WriteFile(dir / "f.bin", std::string("xxdoc\xAB", 6));
  struct Case {
    const char* pattern;
    std::int32_t position;
    bool equal;
  };
  const std::vector<Case> cases = {
      {"64 6F 63", 3, true},  {"64 6F 63 AB", 3, true}, {"64 6f 63", 3, false}, {"64 6F 63", 2, false},
      {"64 6F 63", 0, false}, {"64 6F 63", -4, false},  {"AB 00", 6, false},    {"AB", 6, true},
      {"64", 99, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " at " + std::to_string(c.position));
    EXPECT_EQ(CompareFileBytes(dir / "f.bin", c.pattern, c.position), c.equal);
  }
  EXPECT_FALSE(CompareFileBytes(dir / "none.bin", "00", 1));
}

TEST(DeleteFolderTree, RemovesEverythingBelowIncludingReadOnlyFiles) {
  test::TempDir dir;
  test::FakeRemedy fake;
  const auto root = dir / "extract";
  std::filesystem::create_directories(root / "a" / "b");
  WriteFile(root / "one.exe", "1");
  WriteFile(root / ".hidden", "2");
  WriteFile(root / "a" / "b" / "deep.txt", "3");
  std::filesystem::permissions(root / "a" / "b" / "deep.txt", std::filesystem::perms::owner_read);
  DeleteRoutine(fake.context).DeleteFolderTree(root);
  EXPECT_FALSE(std::filesystem::exists(root));
  EXPECT_TRUE(fake.processes.names.empty());  // no process termination here
}

TEST(DeleteFolderTree, RemovesLinksWithoutFollowingThem) {
  test::TempDir dir;
  test::FakeRemedy fake;
  const auto outside = dir / "outside";
  std::filesystem::create_directories(outside / "keep");
  WriteFile(outside / "keep" / "precious.doc", "keep me");
  WriteFile(outside / "alone.txt", "keep me too");
  const auto root = dir / "extract";
  std::filesystem::create_directories(root / "sub");
  std::error_code ec;
  std::filesystem::create_directory_symlink(outside / "keep", root / "sub" / "folder-link", ec);
  if (!ec) std::filesystem::create_symlink(outside / "alone.txt", root / "file-link", ec);
  if (ec) GTEST_SKIP() << "links cannot be made here: " << ec.message();
  DeleteRoutine(fake.context).DeleteFolderTree(root);
  EXPECT_FALSE(std::filesystem::exists(root));
  EXPECT_EQ(ReadFile(outside / "keep" / "precious.doc").size(), 7u);
  EXPECT_EQ(ReadFile(outside / "alone.txt").size(), 11u);

  // The folder itself being a link: the link goes, its target stays.
  std::filesystem::create_directory_symlink(outside, dir / "link-root", ec);
  ASSERT_FALSE(ec);
  DeleteRoutine(fake.context).DeleteFolderTree(dir / "link-root");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir / "link-root")));
  EXPECT_TRUE(std::filesystem::exists(outside / "keep" / "precious.doc"));
}

}  // namespace
}  // namespace kestro::remedy
