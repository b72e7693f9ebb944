// The CPU load meter of the performance monitor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestro::systools {

// The meter interface: Initialize starts measuring, Query answers the load in
// percent (0 to 100) or -1 when it cannot be read, Terminate ends measuring.
class CpuMeter {
 public:
  virtual ~CpuMeter() = default;
  virtual void Initialize() = 0;
  virtual std::int32_t Query() = 0;
  virtual void Terminate() = 0;
};

// The NT kernel's system information classes the meter reads, as raw bytes.
enum class NtInformationClass { Basic = 0, Performance = 2, TimeOfDay = 3 };

class NtSystemInformation {
 public:
  virtual ~NtSystemInformation() = default;
  // Fills `buffer` (already sized by the caller) with the class's record;
  // false when the query fails.
  virtual bool Query(NtInformationClass informationClass, std::vector<std::uint8_t>& buffer) = 0;
};

// Record sizes and field offsets for a pointer size (4 or 8 bytes): the basic
// record holds pointer-sized fields before the processor count.
struct NtRecordLayout {
  std::size_t basicSize;
  std::size_t processorCountOffset;
  std::size_t timeOfDaySize;    // boot time, current time (bytes 8 to 15), and the rest
  std::size_t performanceSize;  // idle time in the first 8 bytes; newer systems need more room
};
constexpr NtRecordLayout NtRecordLayoutFor(std::size_t pointerSize) {
  // Seven 32-bit fields, then three pointer-sized ones, then the processor count.
  if (pointerSize == 8) return {64, 56, 48, 1024};
  return {44, 40, 48, 1024};
}
// The 32-bit layout the system gives there: the basic record is 44 bytes with
// the processor count at offset 40; the performance record needs 312 bytes.
static_assert(NtRecordLayoutFor(4).basicSize == 44 && NtRecordLayoutFor(4).processorCountOffset == 40);
static_assert(NtRecordLayoutFor(4).performanceSize >= 312 && NtRecordLayoutFor(8).performanceSize >= 312);

// The load from the change of the idle time (summed over all processors) and
// of the system time: the integer part of 100 - idle/system x 100 / processors
// + 0.5, kept within 0 to 100. A processor count of 0 counts as 1.
std::int32_t NtLoadPercent(std::int64_t idleDelta, std::int64_t systemDelta, unsigned processors);

// cCPUUsageNT: the meter of the NT family. It remembers the idle and system
// times of the previous reading.
//
// When no time has passed since the previous reading (the system time did not
// move, as when two queries fall into one clock tick), there is nothing to
// measure: Query answers the previous load again (0 before the first
// measurement) and keeps the remembered times, so the next reading measures
// the whole interval.
class cCPUUsageNT final : public CpuMeter {
 public:
  explicit cCPUUsageNT(NtSystemInformation& system, std::size_t pointerSize = sizeof(void*));
  void Initialize() override;
  std::int32_t Query() override;
  void Terminate() override {}

 private:
  struct Reading {
    std::uint64_t idleTime = 0;
    std::uint64_t systemTime = 0;
  };
  bool ReadTimes(Reading& reading);

  NtSystemInformation& system_;
  NtRecordLayout layout_;
  Reading previous_;
  std::int32_t lastLoad_ = 0;
};

}  // namespace kestro::systools
