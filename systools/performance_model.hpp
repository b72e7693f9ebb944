// What the performance monitor draws: the bar meter's segments, the CPU
// history, the load label and the four memory panels.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kestro::systools {

// Colours as 0x00BBGGRR values.
inline constexpr std::uint32_t kMeterGreen = 0x00FF00;
inline constexpr std::uint32_t kErrorRed = 255;

// Bar meter: 11 segments, segment 0 at the top. Segment i stands for the load
// 100 - 10 i and is lit when the load reaches it; a load of 0 lights none.
inline constexpr int kBarSegments = 11;
bool BarSegmentLit(std::int32_t load, int segment);

// The percentage label: the load and "%" in green, or "Error !!" in red when
// the meter answered -1.
struct LoadLabel {
  std::wstring text;
  std::uint32_t colour;
};
LoadLabel LoadLabelFor(std::int32_t load);

// The last 100 loads, oldest first; the newest is at index 99. All 0 at start.
class CpuHistory {
 public:
  static constexpr int kSamples = 100;
  // Moves every sample one place towards index 0 and stores `load` at index 99.
  void Push(std::int32_t load);
  const std::array<std::int32_t, kSamples>& Samples() const { return samples_; }

 private:
  std::array<std::int32_t, kSamples> samples_{};
};

// The system's performance counts (pages, the page size in bytes and plain counts).
struct PerformanceCounts {
  std::uint64_t commitTotal = 0, commitLimit = 0, commitPeak = 0;
  std::uint64_t physicalTotal = 0, physicalAvailable = 0, systemCache = 0;
  std::uint64_t kernelTotal = 0, kernelPaged = 0, kernelNonpaged = 0;
  std::uint64_t pageSize = 0;
  std::uint64_t handleCount = 0, processCount = 0, threadCount = 0;
};

struct PanelRow {
  std::wstring caption;
  std::wstring value;
};
struct MemoryPanel {
  std::wstring title;
  std::array<PanelRow, 3> rows;
};

// " Physical Memory (K)", " Commit Charge (K)", " Kernel Memory (K)" in KB
// (pages x the page size in KB, rounded to an integer first) and " Totals".
std::array<MemoryPanel, 4> MemoryPanels(const PerformanceCounts& counts);

}  // namespace kestro::systools
