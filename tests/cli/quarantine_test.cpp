// Runs the built kestro-quarantine: quarantine, list, restore, pack and unpack,
// and the refusals that must leave files alone.
#include <gtest/gtest.h>

#include "tests/support/run_program.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {

std::vector<std::uint8_t> Sample(std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(20000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i % 31 == 0 ? seed : i % 7);
  return bytes;
}

class QuarantineTool : public ::testing::Test {
 protected:
  test::ProgramResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", (dir_ / "q").string()});
    return test::RunTool("kestro-quarantine", args);
  }
  std::string P(const char* name) const { return (dir_ / name).string(); }
  test::TempDir dir_;
};

TEST_F(QuarantineTool, AddListRestore) {
  std::filesystem::create_directories(dir_ / "a");
  std::filesystem::create_directories(dir_ / "b");
  std::filesystem::create_directories(dir_ / "out");
  test::WriteFile(dir_ / "a" / "setup.exe", Sample(1));
  test::WriteFile(dir_ / "b" / "setup.exe", Sample(2));
  auto r = Run({"add", P("a/setup.exe"), P("b/setup.exe")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "a" / "setup.exe"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "b" / "setup.exe"));
  r = Run({"list"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "setup (2).exe.vir\nsetup.exe.vir\n");

  EXPECT_EQ(Run({"restore", "setup.exe.vir", P("out")}).exitCode, 0);
  EXPECT_EQ(test::ReadFile(dir_ / "out" / "setup.exe"), Sample(1));
  EXPECT_EQ(Run({"restore", "setup (2).exe.vir", P("out")}).exitCode, 0);
  EXPECT_EQ(test::ReadFile(dir_ / "out" / "setup (2).exe"), Sample(2));
  EXPECT_EQ(Run({"list"}).out, "");
}

TEST_F(QuarantineTool, RestoreKeepsAnExistingFileUnlessOverwriteIsGiven) {
  std::filesystem::create_directories(dir_ / "out");
  test::WriteFile(dir_ / "tool.exe", Sample(3));
  ASSERT_EQ(Run({"add", P("tool.exe")}).exitCode, 0);
  test::WriteFile(dir_ / "out" / "tool.exe", "mine");
  EXPECT_EQ(Run({"restore", "tool.exe.vir", P("out")}).exitCode, 1);
  EXPECT_EQ(test::ReadFile(dir_ / "out" / "tool.exe").size(), 4u);
  EXPECT_EQ(Run({"list"}).out, "tool.exe.vir\n");
  EXPECT_EQ(Run({"restore", "tool.exe.vir", P("out"), "--overwrite"}).exitCode, 0);
  EXPECT_EQ(test::ReadFile(dir_ / "out" / "tool.exe"), Sample(3));
}

TEST_F(QuarantineTool, DeleteAndDeleteAll) {
  for (const char* name : {"one.exe", "two.exe", "three.exe"}) {
    test::WriteFile(dir_ / name, Sample(4));
    ASSERT_EQ(Run({"add", P(name)}).exitCode, 0);
  }
  EXPECT_EQ(Run({"delete", "two.exe.vir"}).exitCode, 0);
  EXPECT_EQ(Run({"delete", "two.exe.vir"}).exitCode, 1);
  EXPECT_EQ(Run({"delete-all"}).exitCode, 2);
  EXPECT_EQ(Run({"list"}).out, "one.exe.vir\nthree.exe.vir\n");
  EXPECT_EQ(Run({"delete-all", "--yes"}).exitCode, 0);
  EXPECT_EQ(Run({"list"}).out, "");
}

TEST_F(QuarantineTool, PackAndUnpack) {
  test::WriteFile(dir_ / "data.bin", Sample(5));
  EXPECT_EQ(Run({"pack", P("data.bin"), P("data.vir")}).exitCode, 0);
  EXPECT_EQ(Run({"unpack", P("data.vir"), P("data.out")}).exitCode, 0);
  EXPECT_EQ(test::ReadFile(dir_ / "data.out"), Sample(5));
  // Never replaces, refuses damaged containers and writes nothing for them.
  EXPECT_EQ(Run({"pack", P("data.bin"), P("data.vir")}).exitCode, 1);
  auto container = test::ReadFile(dir_ / "data.vir");
  container[4] ^= 1;
  test::WriteFile(dir_ / "bad.vir", container);
  EXPECT_EQ(Run({"unpack", P("bad.vir"), P("bad.out")}).exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "bad.out"));
  EXPECT_EQ(Run({"pack", P("missing"), P("x.vir")}).exitCode, 1);
}

TEST_F(QuarantineTool, UsageAndFailures) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
  };
  const std::vector<Case> cases = {
      {{"bogus"}, 2},
      {{"add"}, 2},
      {{"restore", "x.vir"}, 2},
      {{"add", P("missing.exe")}, 1},
      {{"restore", "none.vir", P("")}, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.args).exitCode, c.exitCode) << c.args[0];
  }
  const auto help = test::RunTool("kestro-quarantine", {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("restore NAME DESTDIR"), std::string::npos);
}

}  // namespace
}  // namespace kestro
