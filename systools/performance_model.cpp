#include "systools/performance_model.hpp"

#include <cmath>

namespace kestro::systools {

bool BarSegmentLit(std::int32_t load, int segment) {
  return load != 0 && load >= 100 - 10 * segment;
}

LoadLabel LoadLabelFor(std::int32_t load) {
  if (load == -1) return {L"Error !!", kErrorRed};
  return {std::to_wstring(load) + L"%", kMeterGreen};
}

void CpuHistory::Push(std::int32_t load) {
  for (int k = 0; k + 1 < kSamples; ++k)
    samples_[static_cast<std::size_t>(k)] = samples_[static_cast<std::size_t>(k + 1)];
  samples_[kSamples - 1] = load;
}

std::array<MemoryPanel, 4> MemoryPanels(const PerformanceCounts& c) {
  const auto pageKb = static_cast<std::uint64_t>(std::llround(static_cast<double>(c.pageSize) / 1024.0));
  const auto kb = [pageKb](std::uint64_t pages) { return std::to_wstring(pages * pageKb); };
  const auto count = [](std::uint64_t value) { return std::to_wstring(value); };
  return {{
      {L" Physical Memory (K)",
       {{{L"Total", kb(c.physicalTotal)},
         {L"Available", kb(c.physicalAvailable)},
         {L"System Cache", kb(c.systemCache)}}}},
      {L" Commit Charge (K)",
       {{{L"Total", kb(c.commitTotal)}, {L"Limit", kb(c.commitLimit)}, {L"Peak", kb(c.commitPeak)}}}},
      {L" Kernel Memory (K)",
       {{{L"Total", kb(c.kernelTotal)},
         {L"Paged", kb(c.kernelPaged)},
         {L"Non Paged", kb(c.kernelNonpaged)}}}},
      {L" Totals",
       {{{L"Handles", count(c.handleCount)},
         {L"Threads", count(c.threadCount)},
         {L"Processes", count(c.processCount)}}}},
  }};
}

}  // namespace kestro::systools
