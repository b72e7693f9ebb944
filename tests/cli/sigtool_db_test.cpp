// Runs the built kestro-sigtool's build and dump commands (the Windows build in
// the Windows tree), and loads the default databases the build put beside the
// programs.
#include <gtest/gtest.h>

#include "io/sampled_checksum.hpp"
#include "sigdb/database_loader.hpp"
#include "tests/support/checksum_fixtures.hpp"
#include "tests/support/run_program.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {

const std::string kSource =
    "# test records\r\n"
    "Test.Sample.A;F4961D90\r\n"
    "\r\n"
    "Name with spaces;lower case sig\r\n"
    "Test.Dup;F4961D90\r\n";
const std::string kRecordsOut =
    "Test.Sample.A;F4961D90\nName with spaces;lower case sig\nTest.Dup;F4961D90\n";

std::string Str(const std::filesystem::path& p) { return p.string(); }

TEST(SigtoolDb, BuildThenDumpRoundTrips) {
  test::TempDir dir;
  test::WriteFile(dir / "src.txt", kSource);
  for (const char* kind : {"0", "1", "2"}) {
    const auto db = dir / (std::string("db") + kind + ".avn");
    auto built = test::RunTool("kestro-sigtool",
                               {"build", "--kind", kind, "--version", "4.2 test", "--date", "09-Dec-26",
                                Str(dir / "src.txt"), Str(db)});
    ASSERT_EQ(built.exitCode, 0) << kind;
    const auto dumped = test::RunTool("kestro-sigtool", {"dump", Str(db), "--kind", kind});
    EXPECT_EQ(dumped.exitCode, 0) << kind;
    const std::string header = kind[0] == '0' ? "# version: 4.2 test\n# date: 09-Dec-26\n" : "";
    EXPECT_EQ(dumped.out, header + kRecordsOut) << kind;

    // The dump is itself a source: building it again gives the same file.
    test::WriteFile(dir / "again.txt", dumped.out);
    built = test::RunTool("kestro-sigtool", {"build", "--kind", kind, "--version", "4.2 test", "--date",
                                             "09-Dec-26", Str(dir / "again.txt"), Str(dir / "again.avn")});
    ASSERT_EQ(built.exitCode, 0);
    EXPECT_EQ(test::ReadFile(dir / "again.avn"), test::ReadFile(db)) << kind;
  }
}

TEST(SigtoolDb, DefaultHeaderAndKindFromFileName) {
  test::TempDir dir;
  test::WriteFile(dir / "src.txt", "A;1\n");
  ASSERT_EQ(test::RunTool("kestro-sigtool", {"build", "--kind", "0", "--date", "01-Feb-2027", Str(dir / "src.txt"),
                                              Str(dir / "DB_0x.avn")}).exitCode, 0);
  const auto dumped = test::RunTool("kestro-sigtool", {"dump", Str(dir / "DB_0x.avn")});
  EXPECT_EQ(dumped.exitCode, 0);
  EXPECT_EQ(dumped.out, "# version: 2027.02.01\n# date: 01-Feb-27\nA;1\n");
  // Without --date the header carries today's date.
  ASSERT_EQ(test::RunTool("kestro-sigtool", {"build", "--kind", "0", Str(dir / "src.txt"), Str(dir / "DB_0x.avn")})
                .exitCode, 0);
  sigdb::SignatureList list;
  sigdb::DatabaseValues values;
  sigdb::LoadDatabaseFile(dir / "DB_0x.avn", sigdb::DatabaseKind::FileChecksum, list, values);
  const sigdb::Date today = sigdb::LocalToday();
  ASSERT_TRUE(values.DatabaseDate);
  // Allow for the run crossing midnight.
  EXPECT_LE(std::chrono::sys_days(today) - std::chrono::sys_days(*values.DatabaseDate), std::chrono::days(1));
  EXPECT_EQ(values.DatabaseVersion, sigdb::FormatVersionDate(*values.DatabaseDate));
}

TEST(SigtoolDb, RefusesBadInput) {
  test::TempDir dir;
  test::WriteFile(dir / "good.txt", "A;1\n");
  test::WriteFile(dir / "semicolon.txt", "A;1\nB;2;3\n");
  test::WriteFile(dir / "nosep.txt", "A;1\nB\n");
  std::string many;
  for (int i = 0; i < 32766; ++i) many += "N" + std::to_string(i) + ";" + std::to_string(i) + "\n";
  test::WriteFile(dir / "many.txt", many);
  const auto out = Str(dir / "out.avn");
  const std::vector<std::vector<std::string>> refused = {
      {"build", Str(dir / "good.txt"), out},                                   // no --kind
      {"build", "--kind", "3", Str(dir / "good.txt"), out},
      {"build", "--kind", "0", "--date", "2026-12-09", Str(dir / "good.txt"), out},
      {"build", "--kind", "0", "--date", "31-Feb-26", Str(dir / "good.txt"), out},
      {"build", "--kind", "1", Str(dir / "semicolon.txt"), out},
      {"build", "--kind", "1", Str(dir / "nosep.txt"), out},
      {"build", "--kind", "0", Str(dir / "many.txt"), out},                    // 32,766 > 32,765
      {"build", "--kind", "1", Str(dir / "missing.txt"), out},
      {"build", "--kind", "1", "--frob", Str(dir / "good.txt"), out},
      {"build", "--kind", "1", Str(dir / "good.txt")},
      {"dump", Str(dir / "DB_0x.avn")},                                        // no such file
      {"dump", Str(dir / "good.txt")},                                         // kind unknown
      {"dump"},
  };
  for (const auto& args : refused) {
    const auto result = test::RunTool("kestro-sigtool", args);
    EXPECT_EQ(result.exitCode, 2) << args[0] << " " << args[1] << " " << args.back();
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "out.avn"));
  // Kind 1 has no header lines, so 32,766 records fit.
  EXPECT_EQ(test::RunTool("kestro-sigtool", {"build", "--kind", "1", Str(dir / "many.txt"), out}).exitCode, 0);
}

TEST(SigtoolDb, DumpOfADamagedFileShowsWhatLoadsAndFails) {
  test::TempDir dir;
  test::WriteFile(dir / "src.txt", "A;1\nB;2\n");
  const auto db = dir / "DB_1x.avn";
  ASSERT_EQ(test::RunTool("kestro-sigtool", {"build", "--kind", "1", Str(dir / "src.txt"), Str(db)}).exitCode, 0);
  // Decipher, break the second record line into an empty line, encipher again.
  auto bytes = test::ReadFile(db);
  const std::string key = "TRIVEL_QX";
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] ^= static_cast<std::uint8_t>(key[i % key.size()]);
  std::string plain(bytes.begin(), bytes.end());
  plain.insert(plain.find("\r\n") + 2, "\r\n");
  bytes.assign(plain.begin(), plain.end());
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] ^= static_cast<std::uint8_t>(key[i % key.size()]);
  test::WriteFile(db, bytes);
  const auto dumped = test::RunTool("kestro-sigtool", {"dump", Str(db)});
  EXPECT_EQ(dumped.exitCode, 2);
  EXPECT_EQ(dumped.out, "A;1\n");
}

TEST(SigtoolDb, DefaultDatabasesLoadAndDetectTheGeneratedSample) {
  sigdb::SignatureLists lists;
  sigdb::DatabaseValues values;
  const auto all = sigdb::LoadDatabases(test::OutputDir(), lists, values);
  ASSERT_EQ(all.status, sigdb::LoadStatus::Loaded) << test::OutputDir();
  for (const auto& outcome : all.outcomes) EXPECT_EQ(outcome.stop, sigdb::LoadStop::FinalLineEnd);
  EXPECT_TRUE(values.DatabaseDate);
  EXPECT_FALSE(values.DatabaseVersion.empty());

  test::TempDir dir;
  for (const auto& f : test::ChecksumFixtures()) {
    if (f.name != "full.bin") continue;
    test::WriteFile(dir / f.name, f.bytes);
    EXPECT_EQ(lists.fileChecksums.NameOf(checks::SampledFileChecksum(dir / f.name)), "Test.Sample.A");
  }
  // The checksum every file under 512 bytes shares must never be a signature.
  EXPECT_EQ(lists.fileChecksums.Find(test::kZeroSamplesChecksum), 0u);
  EXPECT_EQ(lists.sectionHeads.NameOf("60E8000000005D81ED"), "Test.SectionHead.CallPop");
}

}  // namespace
}  // namespace kestro
