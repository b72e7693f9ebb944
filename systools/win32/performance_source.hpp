// The performance monitor's readings on Windows: the NT kernel's system
// information classes for the CPU meter, the performance information for the
// memory panels.
#pragma once

#include <memory>
#include <optional>

#include "systools/cpu_meter.hpp"
#include "systools/performance_model.hpp"

namespace kestro::systools {

// NtQuerySystemInformation from ntdll, looked up once.
class NtSystemInformationWin32 final : public NtSystemInformation {
 public:
  bool Query(NtInformationClass informationClass, std::vector<std::uint8_t>& buffer) override;
};

// A CPU meter for this system: cCPUUsageNT over the kernel's information
// classes (the product runs on the NT family only).
std::unique_ptr<CpuMeter> CreateCpuMeter();

std::optional<PerformanceCounts> ReadPerformanceCounts();

}  // namespace kestro::systools
