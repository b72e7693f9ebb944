// kestro-sigtool icon: the values database authors put in DB_2x, and the canvas
// written with --bmp. The Windows tree runs the Windows build of the tool and
// holds it to the same values.
#include <gtest/gtest.h>

#include "icon/icon_render.hpp"
#include "tests/support/icon_builder.hpp"
#include "tests/support/icon_fixtures.hpp"
#include "tests/support/run_program.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {

TEST(SigtoolIcon, PrintsTheValueOfEachFile) {
  test::TempDir dir;
  std::vector<std::string> args{"icon"};
  std::string expected;
  for (const auto& f : test::IconFixtures()) {
    const auto path = dir / (f.name + ".exe");
    test::WriteFile(path, test::BuildIconExecutable({{f.image}}));
    args.push_back(path.string());
    expected += f.value + " " + path.string() + "\n";
  }
  const auto none = (dir / "none.exe").string();
  test::WriteFile(none, test::BuildIconExecutable({}));
  args.push_back(none);
  expected += " " + none + "\n";
  const auto result = test::RunTool("kestro-sigtool", args);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, expected);
}

TEST(SigtoolIcon, WritesTheCanvasAsABitmap) {
  test::TempDir dir;
  const test::IconImageSpec folder = test::FolderLikeIcon();
  test::WriteFile(dir / "folder.exe", test::BuildIconExecutable({{folder}}));
  const auto bmp = (dir / "folder.bmp").string();
  const auto result = test::RunTool("kestro-sigtool", {"icon", "--bmp", bmp, (dir / "folder.exe").string()});
  EXPECT_EQ(result.exitCode, 0);
  const auto bytes = test::ReadFile(bmp);
  ASSERT_EQ(bytes.size(), checks::kIconBitmapFileSize);
  EXPECT_EQ(checks::IconValueOfBitmap(bytes), test::ExpectedIconValue(test::ExpectedCanvas(folder)));
}

TEST(SigtoolIcon, ErrorsExitWithTwo) {
  test::TempDir dir;
  test::PeImage broken;
  broken.sections.push_back({".text", 0x60000020u, {0xC3}});
  test::AddResources(broken, test::IconResources({{test::DocumentLikeIcon()}}));
  broken.directories.back().second.first = 0x00800000u;
  test::WriteFile(dir / "broken.exe", broken.Build());
  test::WriteFile(dir / "none.exe", test::BuildIconExecutable({}));
  const auto missing = (dir / "missing.exe").string();
  const auto brokenPath = (dir / "broken.exe").string();
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {{"icon"}, ""},
      {{"icon", missing}, " " + missing + "\n"},
      {{"icon", brokenPath}, " " + brokenPath + "\n"},
      {{"icon", "--bmp", (dir / "x.bmp").string()}, ""},
      {{"icon", "--bmp", (dir / "x.bmp").string(), (dir / "none.exe").string()}, ""},
      {{"icon", "--bmp", (dir / "x.bmp").string(), brokenPath}, ""},
  };
  for (const Case& c : cases) {
    const auto result = test::RunTool("kestro-sigtool", c.args);
    EXPECT_EQ(result.exitCode, 2) << c.args.size();
    EXPECT_EQ(result.out, c.out);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "x.bmp"));
}

}  // namespace
}  // namespace kestro
