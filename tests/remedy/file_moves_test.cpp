// Moving files across volumes: the copy takes the final name only when complete,
// a failure leaves nothing in the destination folder and names its cause.
#include <gtest/gtest.h>

#include "platform/file_ops.hpp"
#include "remedy/quarantine_store.hpp"
#include "tests/support/remedy_fakes.hpp"
#include "tests/support/scratch_mount.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::platform {
namespace {

using test::ReadFile;
using test::WriteFile;

std::vector<std::uint8_t> Noise(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t x = 7;
  for (auto& b : bytes) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(x >> 24);
  }
  return bytes;
}

std::size_t CountEntries(const std::filesystem::path& folder) {
  std::size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) (void)e, ++n;
  return n;
}

class FileMoveTest : public ::testing::Test {
 protected:
  FileMoveTest() {
    std::filesystem::create_directories(dir_ / "from");
    std::filesystem::create_directories(dir_ / "to");
    WriteFile(dir_ / "from" / "big.exe", Noise(300000));
    fake_.files.renamesCrossVolumes = true;
  }
  test::TempDir dir_;
  test::FakeRemedy fake_;
};

TEST_F(FileMoveTest, ACopyAcrossVolumesTakesItsNameWhenCompleteAndTheSourceGoes) {
  EXPECT_EQ(RelocateFile(fake_.files, dir_ / "from" / "big.exe", dir_ / "to" / "big.exe", false), FileError::None);
  EXPECT_EQ(ReadFile(dir_ / "to" / "big.exe"), Noise(300000));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "from" / "big.exe"));
  EXPECT_EQ(CountEntries(dir_ / "to"), 1u);
}

TEST_F(FileMoveTest, AFullDiskLeavesNothingAndTheSourceStays) {
  fake_.files.diskSpace = 65536;
  EXPECT_EQ(RelocateFile(fake_.files, dir_ / "from" / "big.exe", dir_ / "to" / "big.exe", false),
            FileError::DiskFull);
  EXPECT_EQ(CountEntries(dir_ / "to"), 0u);
  EXPECT_EQ(ReadFile(dir_ / "from" / "big.exe"), Noise(300000));
  EXPECT_EQ(FileErrorText(FileError::DiskFull), "the disk is full");
}

TEST_F(FileMoveTest, AnExistingDestinationIsKeptUnlessReplacing) {
  WriteFile(dir_ / "to" / "big.exe", "mine");
  EXPECT_EQ(RelocateFile(fake_.files, dir_ / "from" / "big.exe", dir_ / "to" / "big.exe", false), FileError::Exists);
  EXPECT_EQ(ReadFile(dir_ / "to" / "big.exe"), std::vector<std::uint8_t>({'m', 'i', 'n', 'e'}));
  EXPECT_EQ(CountEntries(dir_ / "to"), 1u);
  EXPECT_EQ(RelocateFile(fake_.files, dir_ / "from" / "big.exe", dir_ / "to" / "big.exe", true), FileError::None);
  EXPECT_EQ(ReadFile(dir_ / "to" / "big.exe"), Noise(300000));
}

TEST_F(FileMoveTest, ARenameThatIsRefusedNamesItsCause) {
  fake_.files.renamesCrossVolumes = false;
  fake_.files.failRenames = true;
  EXPECT_EQ(RelocateFile(fake_.files, dir_ / "from" / "big.exe", dir_ / "to" / "big.exe", false),
            FileError::AccessDenied);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "from" / "big.exe"));
}

// The real thing: a restore into a 64 KiB file system that the file does not fit.
TEST(RestoreOnASmallDisk, LeavesNoPieceAndRetriesAfterRoomIsMade) {
  test::TempDir dir;
  test::ScratchMount small(dir / "small", 65536);
  if (!small.ok()) GTEST_SKIP() << "cannot mount a small file system here: " << small.why();
  test::FakeRemedy fake;
  remedy::RemedyContext context{NativeFileOps(), fake.processes, fake.messages, "KESTRO Antivirus"};
  remedy::QuarantineStore store(dir / "[ KESTRO ]", context, nullptr);
  ASSERT_TRUE(store.PrepareFolder());
  WriteFile(dir / "big.exe", Noise(300000));
  ASSERT_EQ(store.Quarantine(dir / "big.exe").status, remedy::QuarantineStatus::Quarantined);

  for (int attempt = 0; attempt < 2; ++attempt) {
    fake.messages.shown.clear();
    const auto result = store.Restore("big.exe.vir", dir / "small", false);
    EXPECT_EQ(result.status, remedy::RestoreStatus::WriteFailed);
    EXPECT_EQ(result.writeError, FileError::DiskFull);
    EXPECT_EQ(CountEntries(dir / "small"), 0u);
    ASSERT_FALSE(fake.messages.shown.empty());
    EXPECT_NE(fake.messages.shown.back().text.find("the disk is full"), std::string::npos);
  }
  EXPECT_EQ(store.List(), std::vector<std::filesystem::path>{"big.exe.vir"});
}

}  // namespace
}  // namespace kestro::platform
