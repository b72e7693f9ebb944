// Runs `kestro-sigtool check` on files with databases built by the tool itself.
#include <gtest/gtest.h>

#include "io/sampled_checksum.hpp"
#include "checks/script_checks.hpp"
#include "tests/support/pe_builder.hpp"
#include "tests/support/run_program.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::test {
namespace {

std::vector<std::uint8_t> ListedPe() {
  PeImage image;
  PeSection text;
  text.name = ".text";
  text.raw.assign(0x6000, 0);
  for (std::size_t i = 0; i < text.raw.size(); ++i) text.raw[i] = static_cast<std::uint8_t>(i * 31 + 7);
  PeSection last;
  last.name = ".data";
  last.characteristics = 0x40000040u;
  last.raw = {0x60, 0xE8, 0x00, 0x00, 0x00, 0x00, 0x5D, 0x81, 0xED, 0x01};
  image.sections = {text, last};
  image.entryPoint = image.SectionRva(0);
  return image.Build();
}

class SigtoolCheck : public ::testing::Test {
 protected:
  TempDir dir;
  void BuildDatabases(const std::string& checksums, const std::string& heads) {
    WriteFile(dir / "s0.txt", checksums);
    WriteFile(dir / "s1.txt", heads);
    WriteFile(dir / "s2.txt", "");
    for (const auto& [kind, source, out] : {std::tuple{"0", "s0.txt", "DB_0x.avn"}, std::tuple{"1", "s1.txt", "DB_1x.avn"},
                                            std::tuple{"2", "s2.txt", "DB_2x.avn"}}) {
      const auto r = RunTool("kestro-sigtool", {"build", "--kind", kind, (dir / source).string(), (dir / out).string()});
      ASSERT_EQ(r.exitCode, 0) << out;
    }
  }
};

TEST_F(SigtoolCheck, PrintsHitsWithTheLoadedDatabases) {
  const auto pe = ListedPe();
  checks::MemoryReader reader(pe);
  BuildDatabases("W32.LISTED;" + checks::SampledFileChecksum(reader) + "\n", "W32.HEAD;60E8000000005D81ED\n");
  WriteFile(dir / "a.dll", pe);
  WriteFile(dir / "clean.txt", "hello");
  const auto dll = (dir / "a.dll").string();
  const auto txt = (dir / "clean.txt").string();

  auto r = RunTool("kestro-sigtool", {"check", "--db", dir.path().string(), dll, txt});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "W32.HEAD\t" + dll + "\n") << "the section-head list is part of the sequence";

  BuildDatabases("W32.LISTED;" + checks::SampledFileChecksum(reader) + "\n", "");
  r = RunTool("kestro-sigtool", {"check", "--db", dir.path().string(), dll});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "W32.LISTED\t" + dll + "\n");

  r = RunTool("kestro-sigtool", {"check", dll, txt});
  EXPECT_EQ(r.exitCode, 0) << "without databases only the heuristics run";
  EXPECT_EQ(r.out, "");
}

TEST_F(SigtoolCheck, HealsOnlyWhenAsked) {
  std::string page(20000, 'h');
  page.replace(100, checks::kEncodedScriptHead.size(), checks::kEncodedScriptHead);
  WriteFile(dir / "p.html", page);
  const auto html = (dir / "p.html").string();
  auto r = RunTool("kestro-sigtool", {"check", html});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "VBS.ALICE.A\t" + html + "\n");
  EXPECT_EQ(ReadFile(dir / "p.html").size(), 20000u);
  r = RunTool("kestro-sigtool", {"check", "--heal", html});
  EXPECT_EQ(r.out, "VBS.ALICE.A [HEALED]\t" + html + "\n");
  EXPECT_EQ(ReadFile(dir / "p.html").size(), 11724u + 2u);
}

TEST_F(SigtoolCheck, ErrorsExitWithTwo) {
  EXPECT_EQ(RunTool("kestro-sigtool", {"check"}).exitCode, 2);
  EXPECT_EQ(RunTool("kestro-sigtool", {"check", "--db"}).exitCode, 2);
  EXPECT_EQ(RunTool("kestro-sigtool", {"check", (dir / "missing.exe").string()}).exitCode, 2);
  WriteFile(dir / "x.txt", "x");
  EXPECT_EQ(RunTool("kestro-sigtool", {"check", "--db", (dir / "nothing").string(), (dir / "x.txt").string()}).exitCode, 2);
}

}  // namespace
}  // namespace kestro::test
