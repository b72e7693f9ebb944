// Runs the built kestro-sigtool on the checksum fixtures. The Windows tree runs
// the Windows build of the tool; both are held to the same expected values.
#include <gtest/gtest.h>

#include "tests/support/checksum_fixtures.hpp"
#include "tests/support/pe_builder.hpp"
#include "tests/support/run_program.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {

TEST(SigtoolChecksum, CrcPrintsOneLinePerFile) {
  test::TempDir dir;
  std::vector<std::string> args{"crc"};
  std::string expected;
  for (const auto& f : test::ChecksumFixtures()) {
    test::WriteFile(dir / f.name, f.bytes);
    args.push_back((dir / f.name).string());
    expected += f.sampledChecksum + " " + (dir / f.name).string() + "\n";
  }
  const auto result = test::RunTool("kestro-sigtool", args);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, expected);
}

TEST(SigtoolChecksum, HeadPrintsTheLastSectionHead) {
  test::TempDir dir;
  test::PeImage image;
  image.sections.push_back({.name = ".text", .raw = {0x60, 0xE8, 0, 0, 0, 0, 0x5D, 0x81, 0xED, 0x00}});
  test::WriteFile(dir / "sample.exe", image.Build());
  test::WriteFile(dir / "plain.txt", "not a program");
  const auto exe = (dir / "sample.exe").string();
  const auto txt = (dir / "plain.txt").string();
  const auto result = test::RunTool("kestro-sigtool", {"head", exe, txt});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "60E8000000005D81ED " + exe + "\n " + txt + "\n");
}

TEST(SigtoolChecksum, ErrorsExitWithTwo) {
  EXPECT_EQ(test::RunTool("kestro-sigtool", {}).exitCode, 2);
  EXPECT_EQ(test::RunTool("kestro-sigtool", {"frobnicate"}).exitCode, 2);
  EXPECT_EQ(test::RunTool("kestro-sigtool", {"crc"}).exitCode, 2);
  const auto help = test::RunTool("kestro-sigtool", {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("crc FILE..."), std::string::npos);
}

}  // namespace
}  // namespace kestro
