// The default DB_2x.avn, compiled from data/db2.txt, names the sample icons the
// tests build: executables showing them are detected, others are not.
#include <gtest/gtest.h>

#include "icon/cls_heuristic.hpp"
#include "sigdb/database_loader.hpp"
#include "tests/support/icon_builder.hpp"
#include "tests/support/icon_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {

TEST(IconDatabase, DefaultDatabaseDetectsTheSampleIcons) {
  sigdb::SignatureList icons;
  sigdb::DatabaseValues values;
  const auto outcome =
      sigdb::LoadDatabaseFile(test::OutputDir() / "DB_2x.avn", sigdb::DatabaseKind::Icon, icons, values);
  ASSERT_EQ(outcome.status, sigdb::LoadStatus::Loaded);

  test::TempDir dir;
  test::WriteFile(dir / "folder.exe", test::BuildIconExecutable({{test::FolderLikeIcon()}}));
  test::WriteFile(dir / "document.exe",
                  test::BuildIconExecutable({{test::DocumentLikeIcon()}}, std::vector<std::uint8_t>(700, 0x90)));
  test::WriteFile(dir / "plain.exe", test::BuildIconExecutable({{test::IconFixtures().front().image}}));
  test::WriteFile(dir / "none.exe", test::BuildIconExecutable({}));

  const checks::clsHeuristic heuristic(icons);
  EXPECT_EQ(heuristic.CekHeuristic(dir / "folder.exe").detectionName, "HEUR[ICON].Sample.FolderIcon");
  EXPECT_EQ(heuristic.CekHeuristic(dir / "document.exe").detectionName, "HEUR[ICON].Sample.DocumentIcon");
  EXPECT_FALSE(heuristic.CekHeuristic(dir / "plain.exe").hit);
  EXPECT_FALSE(heuristic.CekHeuristic(dir / "none.exe").hit);
}

}  // namespace
}  // namespace kestro
