#include "app/splash_progress.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace kestro::app {
namespace {

using K = SplashActionKind;

struct SplashRun {
  std::vector<int> values;                       // the value after each tick
  std::map<int, std::vector<SplashAction>> at;   // actions by the value the tick ended at
  int ticks = 0;
};

SplashRun RunToTheEnd() {
  SplashProgress progress;
  SplashRun run;
  while (!progress.Finished() && run.ticks < 1000) {
    auto actions = progress.Tick();
    ++run.ticks;
    run.values.push_back(progress.Value());
    std::erase(actions, SplashAction{K::PumpMessages});
    if (!actions.empty()) run.at[progress.Value()] = actions;
  }
  return run;
}

int Count(const SplashRun& run, K kind) {
  int n = 0;
  for (const auto& [value, actions] : run.at)
    n += static_cast<int>(std::count_if(actions.begin(), actions.end(), [&](const SplashAction& a) { return a.kind == kind; }));
  return n;
}

TEST(SplashProgress, ValuesRiseThroughTheRulesToOneHundred) {
  const SplashRun run = RunToTheEnd();
  ASSERT_GE(run.values.size(), 8u);
  // Below 10 each tick adds 1 and 3; the jump at exactly 10 is never met, nor the one at 60.
  EXPECT_EQ(std::vector<int>(run.values.begin(), run.values.begin() + 5), (std::vector<int>{4, 8, 12, 13, 14}));
  const auto at49 = std::find(run.values.begin(), run.values.end(), 49);
  ASSERT_NE(at49, run.values.end());
  EXPECT_EQ(std::vector<int>(at49, at49 + 6), (std::vector<int>{49, 52, 55, 58, 61, 62}));
  EXPECT_EQ(run.values.back(), 100);
  EXPECT_EQ(run.ticks, 83);  // about two seconds at 25 ms
  EXPECT_TRUE(std::is_sorted(run.values.begin(), run.values.end()));
}

TEST(SplashProgress, EachValueTriggersItsStep) {
  const SplashRun run = RunToTheEnd();
  EXPECT_EQ(run.at.at(4), (std::vector<SplashAction>{{K::MarkDone, 0}}));
  EXPECT_EQ(run.at.at(52), (std::vector<SplashAction>{{K::MarkDone, 1}, {K::FillDefinitions}}));
  EXPECT_EQ(run.at.at(55), (std::vector<SplashAction>{{K::MarkDone, 1}}));
  EXPECT_EQ(run.at.at(70), (std::vector<SplashAction>{{K::ShowMark, 2}}));
  EXPECT_EQ(run.at.at(80), (std::vector<SplashAction>{{K::RunProcessScan}, {K::MarkDone, 2}, {K::StartScanSection}}));
  EXPECT_EQ(run.at.at(85), (std::vector<SplashAction>{{K::ShowTreeLoading, 4}, {K::LoadTree}, {K::MarkDone, 4}}));
  EXPECT_EQ(run.at.at(90), (std::vector<SplashAction>{{K::MarkDone, 3}}));
  EXPECT_EQ(run.at.at(100), (std::vector<SplashAction>{{K::StopLoadTimer}, {K::FadeOut}, {K::StartFadeoutTimer},
                                                       {K::Wait, 2000}}));
}

TEST(SplashProgress, TheDefinitionListIsFilledOnceAndTheScanRunsOnce) {
  const SplashRun run = RunToTheEnd();
  EXPECT_EQ(Count(run, K::FillDefinitions), 1);  // although 52, 55 and 58 all fall in 50..59
  EXPECT_EQ(Count(run, K::RunProcessScan), 1);
  EXPECT_EQ(Count(run, K::LoadTree), 1);
  EXPECT_EQ(Count(run, K::FadeOut), 1);
  EXPECT_EQ(Count(run, K::Wait), 1);
}

TEST(SplashProgress, EveryTickBelowOneHundredProcessesMessagesFirst) {
  SplashProgress progress;
  for (int i = 0; i < 82; ++i) EXPECT_EQ(progress.Tick().front(), SplashAction{K::PumpMessages});
}

TEST(SplashProgress, ALateTickAfterTheEndDoesNothing) {
  SplashProgress progress;
  while (!progress.Finished()) progress.Tick();
  EXPECT_TRUE(progress.Tick().empty());
  EXPECT_EQ(progress.Value(), 100);
}

TEST(SplashFadeout, CountsDownThirtyTwoTicksThenHandsOverOnce) {
  SplashFadeout fadeout;
  int ticks = 0;
  while (!fadeout.Tick()) {
    ++ticks;
    ASSERT_LT(ticks, 100);
  }
  EXPECT_EQ(ticks, 32);
  EXPECT_EQ(fadeout.Opacity(), 0);
  EXPECT_FALSE(fadeout.Tick());
}

TEST(SplashFade, OpacitiesGoDownByTwoToZero) {
  const auto steps = FadeOutOpacities(255);
  EXPECT_EQ(steps.front(), 255);
  EXPECT_EQ(steps[1], 253);
  EXPECT_EQ(steps[steps.size() - 2], 1);
  EXPECT_EQ(steps.back(), 0);
  EXPECT_EQ(steps.size(), 129u);
}

}  // namespace
}  // namespace kestro::app
