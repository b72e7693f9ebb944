// The icon heuristic on files: the lookup in the icon list, the detection name,
// files without icons, unreadable and malformed files, and the file check's
// IconCheck interface.
#include <gtest/gtest.h>

#include "icon/cls_heuristic.hpp"
#include "tests/support/icon_builder.hpp"
#include "tests/support/icon_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::checks {
namespace {

const test::IconFixture& Fixture(const std::string& name) {
  static const std::vector<test::IconFixture> fixtures = test::IconFixtures();
  for (const auto& f : fixtures) {
    if (f.name == name) return f;
  }
  throw std::invalid_argument(name);
}

sigdb::SignatureList IconList() {
  sigdb::SignatureList list;
  list.Append("Worm.Folder", Fixture("folder").value);
  list.Append("Worm.Document", Fixture("document").value);
  list.Append("Worm.FolderAgain", Fixture("folder").value);
  return list;
}

TEST(IconHeuristic, SameIconSameValueAndHitWhateverTheCode) {
  test::TempDir dir;
  const auto folder = Fixture("folder").image;
  test::WriteFile(dir / "a.exe", test::BuildIconExecutable({{folder}}, {0xC3}));
  test::WriteFile(dir / "b.exe", test::BuildIconExecutable({{folder}}, std::vector<std::uint8_t>(5000, 0x90)));
  const auto list = IconList();
  const clsHeuristic heuristic(list);

  EXPECT_EQ(clsHeuristic::CalcIcon(dir / "a.exe"), Fixture("folder").value);
  EXPECT_EQ(clsHeuristic::CalcIcon(dir / "b.exe"), Fixture("folder").value);
  for (const char* name : {"a.exe", "b.exe"}) {
    const CheckResult hit = heuristic.CekHeuristic(dir / name);
    EXPECT_TRUE(hit.hit) << name;
    EXPECT_EQ(hit.detectionName, "HEUR[ICON].Worm.Folder") << name;  // the first equal entry
  }
}

TEST(IconHeuristic, OtherIconsAndNoIconsDoNotHit) {
  test::TempDir dir;
  test::WriteFile(dir / "other.exe", test::BuildIconExecutable({{Fixture("depth8").image}}));
  test::WriteFile(dir / "none.exe", test::BuildIconExecutable({}));
  test::WriteFile(dir / "data.exe", std::string(4096, 'd'));
  const auto list = IconList();
  const clsHeuristic heuristic(list);
  EXPECT_EQ(clsHeuristic::CalcIcon(dir / "other.exe"), Fixture("depth8").value);
  EXPECT_FALSE(heuristic.CekHeuristic(dir / "other.exe").hit);
  for (const char* name : {"none.exe", "data.exe", "missing.exe"}) {
    EXPECT_EQ(clsHeuristic::CalcIcon(dir / name), "") << name;
    const CheckResult miss = heuristic.CekHeuristic(dir / name);
    EXPECT_FALSE(miss.hit) << name;
    EXPECT_EQ(miss.detectionName, "") << name;
  }
  EXPECT_EQ(heuristic.CekHeuristic(dir / "document.exe").hit, false);
}

TEST(IconHeuristic, AnEmptyListEntryMatchesFilesWithoutIconsButNeverBrokenOnes) {
  test::TempDir dir;
  test::WriteFile(dir / "none.exe", test::BuildIconExecutable({}));
  test::PeImage broken;
  broken.sections.push_back({".text", 0x60000020u, {0xC3}});
  test::AddResources(broken, test::IconResources({{Fixture("folder").image}}));
  broken.directories.back().second.first = 0x00800000u;  // resources outside every section
  test::WriteFile(dir / "broken.exe", broken.Build());

  sigdb::SignatureList list = IconList();
  list.Append("Suspicious.NoIcon", "");
  const clsHeuristic heuristic(list);
  const CheckResult none = heuristic.CekHeuristic(dir / "none.exe");
  EXPECT_TRUE(none.hit);
  EXPECT_EQ(none.detectionName, "HEUR[ICON].Suspicious.NoIcon");
  EXPECT_EQ(clsHeuristic::CalcIcon(dir / "broken.exe"), "");
  EXPECT_FALSE(heuristic.CekHeuristic(dir / "broken.exe").hit);
  EXPECT_FALSE(heuristic.CekHeuristic(dir / "missing.exe").hit);
}

TEST(IconHeuristic, TheCheckLeavesNothingBehind) {
  test::TempDir dir;
  test::WriteFile(dir / "setup.exe", test::BuildIconExecutable({{Fixture("document").image}}));
  const auto list = IconList();
  EXPECT_TRUE(clsHeuristic(list).CekHeuristic(dir / "setup.exe").hit);
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u);
  EXPECT_FALSE(std::filesystem::exists(dir / "setup.tmp"));
}

TEST(IconHeuristic, IconCheckInterfaceUsesTheReaderItIsGiven) {
  const auto list = IconList();
  const IconHeuristicCheck check(list);
  const IconCheck& asInterface = check;
  const auto document = test::BuildIconExecutable({{Fixture("document").image}});
  MemoryReader reader(document);
  // The path is only a name here: the bytes come from the reader.
  const CheckResult hit = asInterface.Check("Z:/nowhere/document.exe", reader);
  EXPECT_TRUE(hit.hit);
  EXPECT_EQ(hit.detectionName, "HEUR[ICON].Worm.Document");
  const auto plain = test::BuildIconExecutable({{Fixture("depth24").image}});
  MemoryReader other(plain);
  EXPECT_FALSE(asInterface.Check("other.exe", other).hit);
}

}  // namespace
}  // namespace kestro::checks
