// Navigation, tab strips, the status frame animation and the close flow.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/close_flow.hpp"
#include "app/navigation.hpp"
#include "app/status_frame.hpp"

namespace kestro::app {
namespace {

TEST(Navigation, OnlyTheSelectedPageShowsAndTabPagesReapplyTheirLayout) {
  Navigation nav;
  EXPECT_EQ(nav.Current(), Page::Status);
  for (int i = 0; i < kPageCount; ++i) {
    const auto step = nav.Select(static_cast<Page>(i));
    EXPECT_EQ(nav.Current(), static_cast<Page>(i));
    for (int j = 0; j < kPageCount; ++j) EXPECT_EQ(step.visible[static_cast<std::size_t>(j)], i == j) << i << " " << j;
    const TabLayout expected = i == 1 ? TabLayout::ScanTabs : i == 3 ? TabLayout::ToolsTabs : TabLayout::None;
    EXPECT_EQ(step.reapply, expected) << i;
  }
}

TEST(Navigation, ClickingTheCurrentEntryAgainKeepsItAndReappliesItsTabs) {
  Navigation nav;
  nav.Select(Page::Tools);
  const auto again = nav.Select(Page::Tools);
  EXPECT_TRUE(again.visible[3]);
  EXPECT_EQ(again.reapply, TabLayout::ToolsTabs);
  nav.Select(Page::Scan);
  EXPECT_EQ(nav.Select(Page::Scan).reapply, TabLayout::ScanTabs);
}

TEST(TabStrips, PanelPositions) {
  EXPECT_EQ(ScanTabPanelLeft(1), 153);  // "Directory"
  EXPECT_EQ(ScanTabPanelLeft(2), 149);  // "Current Report"
  for (int tab : {1, 2, 3}) EXPECT_EQ(ToolsTabPanelLeft(tab), 473) << tab;
  EXPECT_EQ(ToolsTabPanelLeft(4), 477);  // "Quarantine List"
}

std::vector<int> Animate(StatusFrame& frame) {
  std::vector<int> heights;
  EXPECT_TRUE(frame.Click());
  bool more = true;
  while (more) {
    more = frame.Step();
    heights.push_back(frame.HeightTwips());
    if (heights.size() > 100) break;
  }
  return heights;
}

TEST(StatusFrame, TwentyThreeStepsEachWayReachTheLimitsExactly) {
  StatusFrame frame;
  EXPECT_EQ(frame.HeightTwips(), 2000);
  EXPECT_EQ(frame.Caption(), L"More");

  const auto grow = Animate(frame);
  ASSERT_EQ(grow.size(), 23u);
  for (std::size_t i = 0; i < grow.size(); ++i) EXPECT_EQ(grow[i], 2000 + 150 * static_cast<int>(i + 1));
  EXPECT_EQ(frame.HeightTwips(), 5450);
  EXPECT_EQ(frame.Caption(), L"Fewer");

  const auto shrink = Animate(frame);  // the second click goes back to exactly 2,000
  ASSERT_EQ(shrink.size(), 23u);
  EXPECT_EQ(shrink.front(), 5300);
  EXPECT_EQ(frame.HeightTwips(), 2000);
  EXPECT_EQ(frame.Caption(), L"More");
}

TEST(StatusFrame, AClickDuringTheAnimationIsIgnoredAndTheCaptionChangesAtTheEnd) {
  StatusFrame frame;
  frame.Click();
  for (int i = 0; i < 10; ++i) frame.Step();
  EXPECT_FALSE(frame.Click());
  EXPECT_EQ(frame.Caption(), L"More");
  while (frame.Step()) {
  }
  EXPECT_EQ(frame.HeightTwips(), 5450);
  EXPECT_EQ(frame.Caption(), L"Fewer");
  EXPECT_FALSE(frame.Step());  // no animation: nothing moves
  EXPECT_EQ(frame.HeightTwips(), 5450);
}

TEST(StatusFrame, TwipsToPixels) {
  EXPECT_EQ(TwipsToPixels(2000), 133);
  EXPECT_EQ(TwipsToPixels(5450), 363);
  EXPECT_EQ(TwipsToPixels(12270), 818);
  EXPECT_EQ(TwipsToPixels(9170), 611);
}

struct CloseHost : CloseFlowHost {
  void SaveSettings() override { calls.push_back("save"); }
  bool ScanRunning() override { return scanning; }
  bool Ask(std::wstring_view question) override {
    asked = std::wstring(question);
    calls.push_back("ask");
    return answer;
  }
  void StopScan() override { calls.push_back("stop scan"); }
  void DeleteMarker(std::string_view name) override { calls.push_back("delete " + std::string(name)); }
  void EndProgram() override { calls.push_back("end"); }
  bool scanning = false;
  bool answer = true;
  std::wstring asked;
  std::vector<std::string> calls;
};

TEST(CloseFlow, YesSavesRemovesTheMarkersAndEnds) {
  CloseHost host;
  EXPECT_EQ(RunCloseFlow(host), CloseOutcome::Ended);
  EXPECT_EQ(host.asked, L"Are you sure want to exit ?");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"save", "ask", "delete VirusDetected", "delete MulaiScan", "end"}));
}

TEST(CloseFlow, NoKeepsTheWindowButTheOptionsAreSaved) {
  CloseHost host;
  host.answer = false;
  EXPECT_EQ(RunCloseFlow(host), CloseOutcome::Stayed);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"save", "ask"}));
}

TEST(CloseFlow, DuringAScanItAsksToAbortAndStopsTheScan) {
  CloseHost host;
  host.scanning = true;
  EXPECT_EQ(RunCloseFlow(host), CloseOutcome::Ended);
  EXPECT_EQ(host.asked, L"Are you sure want to abort scan ?");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"save", "ask", "stop scan", "delete VirusDetected",
                                                  "delete MulaiScan", "end"}));
  host.calls.clear();
  host.answer = false;
  EXPECT_EQ(RunCloseFlow(host), CloseOutcome::Stayed);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"save", "ask"}));
}

}  // namespace
}  // namespace kestro::app
