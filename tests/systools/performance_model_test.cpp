// The CPU meter, the bar meter, the history and the memory panels.
#include "systools/performance_model.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "systools/cpu_meter.hpp"

namespace kestro::systools {
namespace {

// Answers the three information classes from values the test sets, laid out
// as the kernel lays them out for the pointer size under test.
class FakeNtSystem : public NtSystemInformation {
 public:
  explicit FakeNtSystem(std::size_t pointerSize) : layout_(NtRecordLayoutFor(pointerSize)) {}
  std::uint64_t idle = 0, system = 0;
  unsigned processors = 1;
  std::map<NtInformationClass, bool> failing;

  bool Query(NtInformationClass informationClass, std::vector<std::uint8_t>& buffer) override {
    if (failing[informationClass]) return false;
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0xCC});
    switch (informationClass) {
      case NtInformationClass::Basic:
        EXPECT_EQ(buffer.size(), layout_.basicSize);
        buffer[layout_.processorCountOffset] = static_cast<std::uint8_t>(processors);
        break;
      case NtInformationClass::TimeOfDay:
        EXPECT_GE(buffer.size(), 16u);
        std::memcpy(buffer.data() + 8, &system, 8);
        break;
      case NtInformationClass::Performance:
        EXPECT_GE(buffer.size(), 312u);
        std::memcpy(buffer.data(), &idle, 8);
        break;
    }
    return true;
  }

 private:
  NtRecordLayout layout_;
};

TEST(CpuMeterTest, LoadFormula) {
  const struct {
    std::int64_t idle, system;
    unsigned processors;
    std::int32_t load;
  } cases[] = {
      {1000, 1000, 2, 50},                                          // two processors, each idle half the time
      {2000, 1000, 2, 0},                                           // both idle all the time
      {0, 1000, 2, 100},                                            // both busy
      {0, 1000, 1, 100},   {1000, 1000, 1, 0}, {255, 1000, 1, 75},  // 74.5 rounds up
      {3000, 1000, 1, 0},                                           // more idle than time passed is kept at 0
      {-10, 1000, 1, 100},                                          // and a backwards idle count at 100
      {500, 1000, 0, 50},                                           // no processor count: one processor
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NtLoadPercent(c.idle, c.system, c.processors), c.load) << c.idle << "/" << c.system;
  }
}

TEST(CpuMeterTest, MeasuresBetweenQueriesOnBothRecordLayouts) {
  for (const std::size_t pointerSize : {4u, 8u}) {
    FakeNtSystem system(pointerSize);
    system.processors = 2;
    system.idle = 5'000'000;
    system.system = 100'000'000;
    cCPUUsageNT meter(system, pointerSize);
    meter.Initialize();
    system.idle += 10'000'000;  // 1 s of idle over two processors in 1 s
    system.system += 10'000'000;
    EXPECT_EQ(meter.Query(), 50) << pointerSize;
    system.idle += 5'000'000;  // a quarter idle
    system.system += 10'000'000;
    EXPECT_EQ(meter.Query(), 75) << pointerSize;
  }
}

TEST(CpuMeterTest, NoTimePassedRepeatsTheLastLoadAndKeepsTheInterval) {
  FakeNtSystem system(sizeof(void*));
  system.system = 1'000'000;
  cCPUUsageNT meter(system);
  meter.Initialize();
  EXPECT_EQ(meter.Query(), 0);  // nothing measured yet
  system.idle += 1'000'000;     // idle time moves while the clock stands still
  EXPECT_EQ(meter.Query(), 0);
  system.system += 2'000'000;
  EXPECT_EQ(meter.Query(), 50);
  EXPECT_EQ(meter.Query(), 50);  // same tick again
}

TEST(CpuMeterTest, FailedQueryAnswersMinusOne) {
  for (const auto failing :
       {NtInformationClass::Basic, NtInformationClass::TimeOfDay, NtInformationClass::Performance}) {
    FakeNtSystem system(sizeof(void*));
    cCPUUsageNT meter(system);
    meter.Initialize();
    system.failing[failing] = true;
    system.system += 1000;
    EXPECT_EQ(meter.Query(), -1);
  }
}

TEST(BarMeterTest, LitSegments) {
  const struct {
    std::int32_t load;
    int firstLit;  // segments firstLit..10 lit, the rest dark; 11 = none
  } cases[] = {{0, 11}, {1, 10}, {9, 10}, {10, 9}, {45, 6}, {50, 5}, {99, 1}, {100, 0}};
  for (const auto& c : cases) {
    for (int i = 0; i < kBarSegments; ++i)
      EXPECT_EQ(BarSegmentLit(c.load, i), i >= c.firstLit) << c.load << " " << i;
  }
}

TEST(PerformanceModelTest, LoadLabel) {
  EXPECT_EQ(LoadLabelFor(-1).text, L"Error !!");
  EXPECT_EQ(LoadLabelFor(-1).colour, 255u);
  EXPECT_EQ(LoadLabelFor(0).text, L"0%");
  EXPECT_EQ(LoadLabelFor(73).text, L"73%");
  EXPECT_EQ(LoadLabelFor(73).colour, 65280u);
}

TEST(PerformanceModelTest, HistoryAfterThreeTicks) {
  CpuHistory history;
  for (const int load : {10, 55, 100}) history.Push(load);
  const auto& samples = history.Samples();
  for (int k = 0; k < 97; ++k) EXPECT_EQ(samples[static_cast<std::size_t>(k)], 0) << k;
  EXPECT_EQ(samples[97], 10);
  EXPECT_EQ(samples[98], 55);
  EXPECT_EQ(samples[99], 100);
  for (int i = 0; i < 98; ++i) history.Push(1);
  EXPECT_EQ(history.Samples()[0], 55);  // the oldest drop out at index 0
  EXPECT_EQ(history.Samples()[1], 100);
}

TEST(PerformanceModelTest, MemoryPanelArithmetic) {
  PerformanceCounts counts;
  counts.pageSize = 4096;
  counts.physicalTotal = 262144;  // 1 GiB in pages
  counts.physicalAvailable = 1000;
  counts.systemCache = 3;
  counts.commitTotal = 10;
  counts.commitLimit = 20;
  counts.commitPeak = 30;
  counts.kernelTotal = 7;
  counts.kernelPaged = 5;
  counts.kernelNonpaged = 2;
  counts.handleCount = 12345;
  counts.threadCount = 678;
  counts.processCount = 42;
  const auto panels = MemoryPanels(counts);
  const wchar_t* expected[4][4][2] = {
      {{L" Physical Memory (K)", nullptr},
       {L"Total", L"1048576"},
       {L"Available", L"4000"},
       {L"System Cache", L"12"}},
      {{L" Commit Charge (K)", nullptr}, {L"Total", L"40"}, {L"Limit", L"80"}, {L"Peak", L"120"}},
      {{L" Kernel Memory (K)", nullptr}, {L"Total", L"28"}, {L"Paged", L"20"}, {L"Non Paged", L"8"}},
      {{L" Totals", nullptr}, {L"Handles", L"12345"}, {L"Threads", L"678"}, {L"Processes", L"42"}},
  };
  for (std::size_t p = 0; p < 4; ++p) {
    EXPECT_EQ(panels[p].title, expected[p][0][0]);
    for (std::size_t r = 0; r < 3; ++r) {
      EXPECT_EQ(panels[p].rows[r].caption, expected[p][r + 1][0]);
      EXPECT_EQ(panels[p].rows[r].value, expected[p][r + 1][1]);
    }
  }
  // The page size in KB is rounded before it multiplies: 6,000 bytes count as 6 KB.
  counts.pageSize = 6000;
  EXPECT_EQ(MemoryPanels(counts)[0].rows[2].value, L"18");
}

}  // namespace
}  // namespace kestro::systools
