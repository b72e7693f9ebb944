// The quarantine store: folder preparation, quarantine and restore, same-name
// containers, existing destinations, corrupt containers, deletion.
#include <gtest/gtest.h>

#include <fstream>

#include "log/scan_log.hpp"
#include "platform/ansi_text.hpp"
#include "remedy/quarantine_store.hpp"
#include "tests/support/remedy_fakes.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::remedy {
namespace {

using test::ReadFile;
using test::WriteFile;

std::vector<std::uint8_t> Program(std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(5000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i % 17 == 0 ? seed : i % 5);
  return bytes;
}

std::string ReadText(const std::filesystem::path& path) {
  const auto bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

std::size_t CountEntries(const std::filesystem::path& folder) {
  std::size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) (void)e, ++n;
  return n;
}

class QuarantineStoreTest : public ::testing::Test {
 protected:
  QuarantineStoreTest()
      : log_(dir_.path() / "program", log::LogIdentity{"KESTRO Antivirus", "4.2"}),
        store_(dir_.path() / "[ KESTRO ]", fake_.context, &log_) {
    std::filesystem::create_directories(dir_.path() / "program" / "Log");
    std::filesystem::create_directories(dir_.path() / "restore");
    EXPECT_TRUE(store_.PrepareFolder());
  }
  std::filesystem::path Quarantined(const std::string& folder, const std::string& name, std::uint8_t seed) {
    std::filesystem::create_directories(dir_ / folder);
    WriteFile(dir_ / folder / name, Program(seed));
    const auto result = store_.Quarantine(dir_ / folder / name);
    EXPECT_EQ(result.status, QuarantineStatus::Quarantined);
    return result.container.filename();
  }
  std::string LogText() const { return ReadText(log_.LogFile()); }

  test::TempDir dir_;
  test::FakeRemedy fake_;
  log::ScanLog log_;
  QuarantineStore store_;
};

TEST_F(QuarantineStoreTest, PrepareCreatesTheFolderWithItsNoteOnce) {
  const auto folder = dir_ / "[ KESTRO ]";
  const auto note = folder / std::filesystem::path(u8"KE\u0394TRO.txt");
  ASSERT_TRUE(std::filesystem::is_regular_file(note));
  EXPECT_EQ(ReadText(note), FolderNoteText());
  EXPECT_EQ(fake_.files.hiddenSystem.count(folder), 1u);
  // A second start keeps the folder as it is and sets the attributes again.
  WriteFile(note, "edited");
  fake_.files.hiddenSystem.clear();
  EXPECT_TRUE(store_.PrepareFolder());
  EXPECT_EQ(ReadText(note), "edited");
  EXPECT_EQ(fake_.files.hiddenSystem.count(folder), 1u);
}

TEST_F(QuarantineStoreTest, QuarantineThenRestoreGivesTheSameBytes) {
  const auto container = Quarantined("x", "setup.exe", 1);
  EXPECT_EQ(container, "setup.exe.vir");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "x" / "setup.exe"));
  EXPECT_EQ(store_.List(), std::vector<std::filesystem::path>{"setup.exe.vir"});

  const auto result = store_.Restore("setup.exe.vir", dir_ / "restore", false);
  ASSERT_EQ(result.status, RestoreStatus::Restored);
  EXPECT_EQ(result.restored, dir_ / "restore" / "setup.exe");
  EXPECT_EQ(ReadFile(dir_ / "restore" / "setup.exe"), Program(1));
  EXPECT_TRUE(store_.List().empty());
  EXPECT_EQ(CountEntries(dir_ / "[ KESTRO ]"), 1u);  // only the note
  EXPECT_TRUE(fake_.messages.shown.empty());

  const std::string restoreFolder = platform::AnsiPathText(dir_ / "restore") +
                                    static_cast<char>(std::filesystem::path::preferred_separator);
  EXPECT_EQ(LogText(), "* Quarantine" + std::string(13, ' ') + platform::AnsiPathText(dir_ / "x" / "setup.exe") +
                           "\r\n* Restore" + std::string(16, ' ') + "setup.exe" + std::string(14, ' ') + "-->" +
                           std::string(10, ' ') + restoreFolder + "setup.exe\r\n");
}

TEST_F(QuarantineStoreTest, ASecondFileOfTheSameNameKeepsTheFirstContainer) {
  EXPECT_EQ(Quarantined("a", "x.exe", 1), "x.exe.vir");
  EXPECT_EQ(Quarantined("b", "x.exe", 2), "x (2).exe.vir");
  EXPECT_EQ(Quarantined("c", "x.exe", 3), "x (3).exe.vir");
  EXPECT_EQ(Quarantined("d", "README", 4), "README.vir");
  EXPECT_EQ(Quarantined("e", "README", 5), "README (2).vir");

  ASSERT_EQ(store_.Restore("x (2).exe.vir", dir_ / "restore", false).status, RestoreStatus::Restored);
  EXPECT_EQ(ReadFile(dir_ / "restore" / "x (2).exe"), Program(2));
  ASSERT_EQ(store_.Restore("x.exe.vir", dir_ / "restore", false).status, RestoreStatus::Restored);
  EXPECT_EQ(ReadFile(dir_ / "restore" / "x.exe"), Program(1));
}

TEST_F(QuarantineStoreTest, RestoreDoesNotReplaceAnExistingFileUnlessAsked) {
  Quarantined("x", "tool.exe", 7);
  WriteFile(dir_ / "restore" / "tool.exe", "the user's own file");
  const auto refused = store_.Restore("tool.exe.vir", dir_ / "restore", false);
  EXPECT_EQ(refused.status, RestoreStatus::DestinationExists);
  EXPECT_EQ(ReadText(dir_ / "restore" / "tool.exe"), "the user's own file");
  EXPECT_EQ(store_.List(), std::vector<std::filesystem::path>{"tool.exe.vir"});
  EXPECT_EQ(CountEntries(dir_ / "[ KESTRO ]"), 2u);  // note and container; no decoded leftovers
  ASSERT_EQ(fake_.messages.shown.size(), 1u);
  EXPECT_NE(fake_.messages.shown[0].text.find("already exists"), std::string::npos);

  const auto replaced = store_.Restore("tool.exe.vir", dir_ / "restore", true);
  EXPECT_EQ(replaced.status, RestoreStatus::Restored);
  EXPECT_EQ(ReadFile(dir_ / "restore" / "tool.exe"), Program(7));
  EXPECT_TRUE(store_.List().empty());
}

TEST_F(QuarantineStoreTest, RestoreNeverTouchesAnotherContainer) {
  // "x.vir" holds a file named x, "x.vir.vir" a file named x.vir: restoring the
  // second must leave the first alone, whether it decodes or not.
  for (const bool corrupt : {false, true}) {
    SCOPED_TRACE(corrupt ? "corrupt" : "sound");
    store_.DeleteAllContainers();
    std::filesystem::remove_all(dir_ / "restore");
    std::filesystem::create_directories(dir_ / "restore");
    EXPECT_EQ(Quarantined("a", "x", 1), "x.vir");
    EXPECT_EQ(Quarantined("b", "x.vir", 2), "x.vir.vir");
    const auto other = ReadFile(dir_ / "[ KESTRO ]" / "x.vir");
    if (corrupt) {
      auto bytes = ReadFile(dir_ / "[ KESTRO ]" / "x.vir.vir");
      bytes[4] ^= 0x55;
      WriteFile(dir_ / "[ KESTRO ]" / "x.vir.vir", bytes);
    }
    const auto result = store_.Restore("x.vir.vir", dir_ / "restore", false);
    EXPECT_EQ(result.status, corrupt ? RestoreStatus::SealInvalid : RestoreStatus::Restored);
    ASSERT_TRUE(std::filesystem::exists(dir_ / "[ KESTRO ]" / "x.vir"));
    EXPECT_EQ(ReadFile(dir_ / "[ KESTRO ]" / "x.vir"), other);
    EXPECT_EQ(std::filesystem::exists(dir_ / "restore" / "x.vir"), !corrupt);
    if (!corrupt) {
      EXPECT_EQ(ReadFile(dir_ / "restore" / "x.vir"), Program(2));
    }
    ASSERT_EQ(store_.Restore("x.vir", dir_ / "restore", false).status, RestoreStatus::Restored);
    EXPECT_EQ(ReadFile(dir_ / "restore" / "x"), Program(1));
  }
}

std::vector<std::uint8_t> Incompressible(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t x = 12345;
  for (auto& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(x >> 24);
  }
  return bytes;
}

TEST_F(QuarantineStoreTest, AFullDiskLeavesNothingInTheFolderAndSaysSo) {
  WriteFile(dir_ / "big.exe", Incompressible(300000));
  ASSERT_EQ(store_.Quarantine(dir_ / "big.exe").status, QuarantineStatus::Quarantined);
  fake_.files.diskSpace = 65536;
  const auto full = store_.Restore("big.exe.vir", dir_ / "restore", false);
  EXPECT_EQ(full.status, RestoreStatus::WriteFailed);
  EXPECT_EQ(full.writeError, platform::FileError::DiskFull);
  EXPECT_EQ(CountEntries(dir_ / "restore"), 0u);  // no piece of the file, no temporary file
  EXPECT_EQ(store_.List(), std::vector<std::filesystem::path>{"big.exe.vir"});
  ASSERT_EQ(fake_.messages.shown.size(), 2u);
  EXPECT_EQ(fake_.messages.shown[0].text, "Restore error !");
  EXPECT_NE(fake_.messages.shown[1].text.find("the disk is full"), std::string::npos) << fake_.messages.shown[1].text;

  // Once there is room, the same restore goes through.
  fake_.files.diskSpace.reset();
  ASSERT_EQ(store_.Restore("big.exe.vir", dir_ / "restore", false).status, RestoreStatus::Restored);
  EXPECT_EQ(ReadFile(dir_ / "restore" / "big.exe"), Incompressible(300000));
}

TEST_F(QuarantineStoreTest, AContainerThatVanishedShowsBothMessages) {
  Quarantined("x", "gone.exe", 4);
  std::filesystem::remove(dir_ / "[ KESTRO ]" / "gone.exe.vir");
  EXPECT_EQ(store_.Restore("gone.exe.vir", dir_ / "restore", false).status, RestoreStatus::NotFound);
  EXPECT_EQ(fake_.messages.Texts(), (std::vector<std::string>{"Restore error !", "Virus Seal Invalid !!"}));
  EXPECT_EQ(CountEntries(dir_ / "restore"), 0u);
}

TEST_F(QuarantineStoreTest, ACorruptContainerIsReportedAndKept) {
  Quarantined("x", "bad.exe", 3);
  const auto container = dir_ / "[ KESTRO ]" / "bad.exe.vir";
  auto bytes = ReadFile(container);
  bytes[4] ^= 0x55;  // the checksum
  WriteFile(container, bytes);
  EXPECT_EQ(store_.Restore("bad.exe.vir", dir_ / "restore", false).status, RestoreStatus::SealInvalid);
  EXPECT_EQ(fake_.messages.Texts(), (std::vector<std::string>{"Restore error !", "Virus Seal Invalid !!"}));
  EXPECT_EQ(fake_.messages.shown[1].icon, platform::MessageIcon::None);
  EXPECT_EQ(store_.List(), std::vector<std::filesystem::path>{"bad.exe.vir"});
  EXPECT_EQ(CountEntries(dir_ / "[ KESTRO ]"), 2u);
}

TEST_F(QuarantineStoreTest, AFileThatCannotBeDeletedKeepsItsContainer) {
  WriteFile(dir_ / "running.exe", Program(9));
  fake_.files.locked.insert(dir_ / "running.exe");
  const auto result = store_.Quarantine(dir_ / "running.exe");
  EXPECT_EQ(result.status, QuarantineStatus::DeleteFailed);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "running.exe"));
  EXPECT_EQ(store_.List(), std::vector<std::filesystem::path>{"running.exe.vir"});
  EXPECT_FALSE(std::filesystem::exists(log_.LogFile()));  // nothing logged
}

TEST_F(QuarantineStoreTest, QuarantineOfMissingOrEmptyFilesDeletesNothing) {
  EXPECT_EQ(store_.Quarantine(dir_ / "none.exe").status, QuarantineStatus::SourceMissing);
  EXPECT_EQ(fake_.messages.Texts(), std::vector<std::string>{"Quarantine error !"});
  WriteFile(dir_ / "empty.exe", "");
  EXPECT_EQ(store_.Quarantine(dir_ / "empty.exe").status, QuarantineStatus::EncodeFailed);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "empty.exe"));
  EXPECT_TRUE(store_.List().empty());
}

TEST_F(QuarantineStoreTest, ListingMatchesVirWithoutRegardToCase) {
  const auto folder = dir_ / "[ KESTRO ]";
  WriteFile(folder / "b.exe.VIR", "x");
  WriteFile(folder / "a.exe.Vir", "x");
  WriteFile(folder / "c.txt", "x");
  WriteFile(folder / "vir", "x");
  std::filesystem::create_directory(folder / "d.vir");
  EXPECT_EQ(store_.List(), (std::vector<std::filesystem::path>{"a.exe.Vir", "b.exe.VIR"}));
  EXPECT_EQ(NameWithoutVir("movie.virtual.exe.vir"), "movie.virtual.exe");
  EXPECT_EQ(NameWithoutVir("A.EXE.VIR"), "A.EXE");
  EXPECT_EQ(NameWithoutVir("plain.exe"), "plain.exe");
}

TEST_F(QuarantineStoreTest, RestoreKeepsTheNameBeforeTheFinalVir) {
  Quarantined("x", "movie.virtual.exe", 5);
  const auto result = store_.Restore("movie.virtual.exe.vir", dir_ / "restore", false);
  ASSERT_EQ(result.status, RestoreStatus::Restored);
  EXPECT_EQ(ReadFile(dir_ / "restore" / "movie.virtual.exe"), Program(5));
}

TEST_F(QuarantineStoreTest, DeleteOneAndDeleteAll) {
  Quarantined("a", "one.exe", 1);
  Quarantined("b", "two.exe", 2);
  Quarantined("c", "three.exe", 3);
  EXPECT_TRUE(store_.DeleteContainer("two.exe.vir"));
  EXPECT_EQ(store_.List(), (std::vector<std::filesystem::path>{"one.exe.vir", "three.exe.vir"}));
  EXPECT_NE(LogText().find("* Clean" + std::string(18, ' ') + "two.exe.vir\r\n"), std::string::npos);

  EXPECT_FALSE(store_.DeleteContainer("two.exe.vir"));
  EXPECT_EQ(fake_.messages.Texts(), std::vector<std::string>{"File not found or file not selected."});
  EXPECT_EQ(store_.DeleteAllContainers(), 2);
  EXPECT_TRUE(store_.List().empty());
  EXPECT_EQ(CountEntries(dir_ / "[ KESTRO ]"), 1u);
}

TEST_F(QuarantineStoreTest, NamesMustStayInsideTheFolder) {
  WriteFile(dir_ / "outside.vir", "HE0\rdata");
  EXPECT_EQ(store_.Restore("../outside.vir", dir_ / "restore", false).status, RestoreStatus::NotFound);
  EXPECT_FALSE(store_.DeleteContainer("../outside.vir"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "outside.vir"));
  EXPECT_EQ(fake_.messages.Texts(),
            (std::vector<std::string>{"File not found or file not selected !", "File not found or file not selected."}));
}

}  // namespace
}  // namespace kestro::remedy
