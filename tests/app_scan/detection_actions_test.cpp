// The detection list's rows, menu and actions, over real files with the
// remediation fakes (messages recorded, chosen files refuse deletion).
#include "app/scan_page/detection_actions.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/remedy_fakes.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::app::scan_page {
namespace {
namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class DetectionActionsTest : public ::testing::Test {
 protected:
  DetectionActionsTest()
      : log_(dir_.path() / "program", {"KESTRO Antivirus", "4.2"}),
        store_(dir_.path() / "[ KESTRO ]", fake_.context, &log_),
        routine_(fake_.context) {
    EXPECT_TRUE(store_.PrepareFolder());
    fs::create_directories(dir_ / "program");
  }

  DetectionRow Row(const std::string& name, std::string_view bytes = "MZ detected bytes") {
    const fs::path path = dir_.path() / name;
    test::WriteFile(path, bytes);
    scan::DetectionRecord record{"W32.OLIGA", path.string(), "now", "Unknown", path};
    return DetectionRow{record, RowState::Detected};
  }

  test::TempDir dir_;
  test::FakeRemedy fake_;
  log::ScanLog log_;
  remedy::QuarantineStore store_;
  remedy::DeleteRoutine routine_;
};

TEST(DetectionRowsTest, ColumnsTagAndIcons) {
  EXPECT_EQ(kDetectionColumns, (std::array<std::string_view, 4>{"Infection", "Location", "Detection Time", "Packer"}));
  DetectionRows rows;
  rows.Append({"Trojan.X", "C:\\long name\\x.exe", "1/2/2013 10:00:00", "UPX", "C:\\LONGNA~1\\x.exe"});
  ASSERT_EQ(rows.Size(), 1u);
  EXPECT_EQ(rows.CellText(0, 0), "Trojan.X");
  EXPECT_EQ(rows.CellText(0, 1), "C:\\long name\\x.exe");
  EXPECT_EQ(rows.CellText(0, 2), "1/2/2013 10:00:00");
  EXPECT_EQ(rows.CellText(0, 3), "UPX");
  EXPECT_EQ(rows.CellText(0, 4), "");
  EXPECT_EQ(rows.CellText(1, 0), "");
  EXPECT_EQ(rows.At(0).record.tag, fs::path("C:\\LONGNA~1\\x.exe"));
  EXPECT_EQ(RowIconNumber(rows.At(0).state), 2);
  rows.SetState(0, RowState::Cleaned);
  EXPECT_EQ(RowIconNumber(rows.At(0).state), 1);
  rows.SetState(0, RowState::Quarantined);
  EXPECT_EQ(RowIconNumber(rows.At(0).state), 3);
  rows.Clear();
  EXPECT_TRUE(rows.Empty());
}

TEST(DetectionMenuTest, ItemsInOrderWithExploreAsDefault) {
  std::vector<std::string> captions;
  int defaults = 0;
  for (const auto& item : kDetectionMenu) {
    captions.emplace_back(item.command == DetectionCommand::Separator ? "-" : item.caption);
    if (item.isDefault) {
      ++defaults;
      EXPECT_EQ(item.command, DetectionCommand::Explore);
    }
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"Clean", "Quarantine", "-", "Select All", "Unselect", "-",
                                                "Explore .."}));
  EXPECT_EQ(defaults, 1);
  EXPECT_FALSE(DetectionMenuAllowed(0, false));
  EXPECT_FALSE(DetectionMenuAllowed(3, true));
  EXPECT_TRUE(DetectionMenuAllowed(1, false));
}

TEST_F(DetectionActionsTest, CleanActsOnlyOnASelectedRowAndLogsTheCure) {
  const DetectionRow row = Row("evil.exe");
  EXPECT_FALSE(CleanDetection(row, /*selected=*/false, routine_, &log_).acted);
  EXPECT_TRUE(fs::exists(row.record.tag));

  const ActionOutcome outcome = CleanDetection(row, true, routine_, &log_);
  EXPECT_TRUE(outcome.acted);
  EXPECT_EQ(outcome.newState, RowState::Cleaned);
  EXPECT_TRUE(outcome.clearSelection);
  EXPECT_EQ(outcome.statusText, "STATUS : Object Cleaned.");
  EXPECT_EQ(outcome.statusColour, 0xFF0000u);
  EXPECT_FALSE(fs::exists(row.record.tag));
  EXPECT_NE(ReadText(log_.LogFile()).find("* Cure" + std::string(19, ' ') + row.record.tag.string() + "\r\n"),
            std::string::npos);
  // Cleaning the same row again finds no file: nothing changes, nothing is said.
  EXPECT_FALSE(CleanDetection(row, true, routine_, &log_).acted);
  EXPECT_TRUE(fake_.messages.shown.empty());
}

TEST_F(DetectionActionsTest, ACleanThatCannotDeleteLeavesTheRowAndTheStatus) {
  const DetectionRow row = Row("running.exe");
  fake_.files.locked.insert(row.record.tag);
  const ActionOutcome outcome = CleanDetection(row, true, routine_, &log_);
  EXPECT_FALSE(outcome.acted);
  EXPECT_FALSE(outcome.newState);
  EXPECT_TRUE(outcome.statusText.empty());
  ASSERT_EQ(fake_.messages.shown.size(), 1u);
  EXPECT_EQ(fake_.messages.shown[0].text, remedy::kUnableToDeleteText);
}

TEST_F(DetectionActionsTest, QuarantineWritesTheContainerThenRemovesTheFile) {
  const DetectionRow row = Row("setup.exe", "MZ the detected program");
  EXPECT_FALSE(QuarantineDetection(row, false, store_).acted);
  EXPECT_TRUE(store_.List().empty());

  const ActionOutcome outcome = QuarantineDetection(row, true, store_);
  EXPECT_TRUE(outcome.acted);
  EXPECT_EQ(outcome.newState, RowState::Quarantined);
  EXPECT_TRUE(outcome.clearSelection);
  EXPECT_EQ(outcome.statusText, "STATUS : Object Quarantined.");
  EXPECT_FALSE(fs::exists(row.record.tag));
  EXPECT_EQ(store_.List(), std::vector<fs::path>{"setup.exe.vir"});
}

TEST_F(DetectionActionsTest, QuarantineFailuresTurnTheStatusRedOrLeaveTheRow) {
  // The file cannot be deleted: the container stays, the row keeps its state.
  const DetectionRow locked = Row("locked.exe");
  fake_.files.locked.insert(locked.record.tag);
  const ActionOutcome kept = QuarantineDetection(locked, true, store_);
  EXPECT_FALSE(kept.acted);
  EXPECT_FALSE(kept.newState);
  EXPECT_EQ(store_.List(), std::vector<fs::path>{"locked.exe.vir"});

  // The file is gone already: nothing can be stored.
  DetectionRow gone = Row("gone.exe");
  fs::remove(gone.record.tag);
  const ActionOutcome error = QuarantineDetection(gone, true, store_);
  EXPECT_TRUE(error.acted);
  EXPECT_FALSE(error.newState);
  EXPECT_EQ(error.statusText, "STATUS : Error Detected !");
  EXPECT_EQ(error.statusColour, 255u);
}

TEST(ExploreTest, ParametersSelectTheQuotedPath) {
  EXPECT_EQ(ExploreParameters("C:\\a b\\x.exe"), "/select,\"C:\\a b\\x.exe\"");
  EXPECT_EQ(ExploreParameters("  C:\\x.exe "), "/select,\"C:\\x.exe\"");
  EXPECT_FALSE(ExploreParameters("   "));
  EXPECT_FALSE(ExploreParameters(""));
}

}  // namespace
}  // namespace kestro::app::scan_page
