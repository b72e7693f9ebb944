// RARExtract on libarchive's own RAR sample archives (compressed, solid,
// encrypted, deliberately broken), decoded from the fetched Debian source
// package. Skipped with a message when the source has not been fetched.
#include <gtest/gtest.h>

#include "tests/outside/rar_test_helpers.hpp"
#include "tests/support/rar_fixtures.hpp"

namespace kestro::test {
namespace {

class RarSamplesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (LibarchiveSampleFolder().empty()) {
      GTEST_SKIP() << "libarchive's source package is not fetched: run "
                      "scripts/build-libarchive-win64.sh --source-only to enable these tests";
    }
    library_ = BindBuiltLibrary();
    ASSERT_TRUE(library_->IsAvailable());
    std::filesystem::create_directory(dir_ / "out");
  }
  std::filesystem::path Decode(const std::string& name) {
    const auto path = dir_ / name;
    EXPECT_TRUE(DecodeLibarchiveSample(name, path)) << name;
    return path;
  }
  std::unique_ptr<scan::ArchiveLibrary> library_;
  TempDir dir_;
};

TEST_F(RarSamplesTest, CompressedAndSolidArchivesExtractFully) {
  for (const char* name : {"test_read_format_rar_compress_normal.rar", "test_read_format_rar_compress_best.rar",
                           "test_read_format_rar_filter.rar",
                           "test_read_format_rar5_compressed.rar", "test_read_format_rar5_solid.rar",
                           "test_read_format_rar5_multiple_files_solid.rar", "test_read_format_rar5_stored.rar"}) {
    SCOPED_TRACE(name);
    const auto out = dir_ / (std::string(name) + ".out");
    std::filesystem::create_directory(out);
    const auto walk = WalkArchive(*library_, Decode(name), out);
    ASSERT_EQ(walk.openResult, 0);
    EXPECT_EQ(walk.endResult, KESTRO_ERAR_END_ARCHIVE);
    ASSERT_FALSE(walk.members.empty());
    for (const auto& member : walk.members) {
      SCOPED_TRACE(member.name);
      EXPECT_EQ(member.result, 0);
      if ((member.flags & KESTRO_RHDF_DIRECTORY) == 0) {
        EXPECT_EQ(std::filesystem::file_size(member.written), member.size);
      }
    }
  }
}

TEST_F(RarSamplesTest, KnownMemberOfACompressedArchive) {
  const auto walk = WalkArchive(*library_, Decode("test_read_format_rar_compress_normal.rar"), dir_ / "out");
  ASSERT_FALSE(walk.members.empty());
  EXPECT_EQ(walk.members[0].name, "LibarchiveAddingTest.html");
  const auto bytes = ReadFile(walk.members[0].written);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("</HTML>"), std::string::npos);
}

TEST_F(RarSamplesTest, EncryptedMembersAreNotExtractable) {
  // Data encrypted, headers readable: both members need a password.
  auto walk = WalkArchive(*library_, Decode("test_read_format_rar_encryption_data.rar"), dir_ / "out");
  ASSERT_EQ(walk.openResult, 0);
  ASSERT_EQ(walk.members.size(), 2u);
  for (const auto& member : walk.members) {
    EXPECT_EQ(member.flags & KESTRO_RHDF_ENCRYPTED, KESTRO_RHDF_ENCRYPTED) << member.name;
    EXPECT_EQ(member.result, KESTRO_ERAR_MISSING_PASSWORD) << member.name;
    EXPECT_FALSE(std::filesystem::exists(member.written)) << member.name;
  }

  // Only the first member encrypted: the second extracts.
  walk = WalkArchive(*library_, Decode("test_read_format_rar_encryption_partially.rar"), dir_ / "out", "12345678");
  ASSERT_EQ(walk.members.size(), 2u);
  EXPECT_EQ(walk.members[0].result, KESTRO_ERAR_BAD_PASSWORD);
  EXPECT_EQ(walk.members[1].name, "bar.txt");
  EXPECT_EQ(walk.members[1].result, 0);

  // Encrypted headers: the archive cannot be opened without a password.
  walk = WalkArchive(*library_, Decode("test_read_format_rar_encryption_header.rar"), dir_ / "out");
  EXPECT_EQ(walk.openResult, KESTRO_ERAR_MISSING_PASSWORD);
}

TEST_F(RarSamplesTest, EverySampleEndsCleanly) {
  // Broken, hostile, multi-volume and self-extracting samples alike: the walk
  // ends with a result, and a member that failed leaves no file behind.
  std::size_t samples = 0;
  for (const auto& entry : std::filesystem::directory_iterator(LibarchiveSampleFolder())) {
    const std::string file = entry.path().filename().string();
    if (file.find("rar") == std::string::npos || !file.ends_with(".uu")) continue;
    const std::string name = file.substr(0, file.size() - 3);
    SCOPED_TRACE(name);
    const auto archive = Decode(name);
    const auto out = dir_ / ("out-" + std::to_string(samples++));
    std::filesystem::create_directory(out);
    const auto walk = WalkArchive(*library_, archive, out);
    for (const auto& member : walk.members) {
      if (member.result != 0) {
        EXPECT_FALSE(std::filesystem::is_regular_file(member.written)) << member.name;
      }
    }
    std::filesystem::remove_all(out);
    std::filesystem::remove(archive);
  }
  EXPECT_GT(samples, 50u);
}

}  // namespace
}  // namespace kestro::test
