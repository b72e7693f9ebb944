#include "systools/win32/performance_source.hpp"

#include <windows.h>
// The Windows headers below build on the types above.
#include <psapi.h>
#include <winternl.h>

#include <cstddef>

namespace kestro::systools {
namespace {

// The records the meter reads by size and offset must match the system's own
// layout for this build's pointer size (x64 and x86 differ).
constexpr NtRecordLayout kLayout = NtRecordLayoutFor(sizeof(void*));
static_assert(sizeof(SYSTEM_BASIC_INFORMATION) == kLayout.basicSize);
static_assert(offsetof(SYSTEM_BASIC_INFORMATION, NumberOfProcessors) == kLayout.processorCountOffset);
static_assert(sizeof(SYSTEM_TIMEOFDAY_INFORMATION) == kLayout.timeOfDaySize);
static_assert(sizeof(SYSTEM_PERFORMANCE_INFORMATION) <= kLayout.performanceSize);
// The performance information of the memory panels: 14 32-bit fields (56
// bytes) on x86; its counts are pointer-sized on x64.
#ifndef _WIN64
static_assert(sizeof(PERFORMANCE_INFORMATION) == 56 && sizeof(SYSTEM_PERFORMANCE_INFORMATION) == 312);
#endif

using NtQuerySystemInformationFn = LONG(WINAPI*)(int, void*, ULONG, ULONG*);

NtQuerySystemInformationFn QueryFunction() {
  static const auto function = reinterpret_cast<NtQuerySystemInformationFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  return function;
}

// The meter owns its information source.
class OwnedNtMeter final : public CpuMeter {
 public:
  OwnedNtMeter() : meter_(source_) {}
  void Initialize() override { meter_.Initialize(); }
  std::int32_t Query() override { return meter_.Query(); }
  void Terminate() override { meter_.Terminate(); }

 private:
  NtSystemInformationWin32 source_;
  cCPUUsageNT meter_;
};

}  // namespace

bool NtSystemInformationWin32::Query(NtInformationClass informationClass, std::vector<std::uint8_t>& buffer) {
  const NtQuerySystemInformationFn query = QueryFunction();
  if (query == nullptr) return false;
  ULONG returned = 0;
  return query(static_cast<int>(informationClass), buffer.data(), static_cast<ULONG>(buffer.size()),
               &returned) >= 0;
}

std::unique_ptr<CpuMeter> CreateCpuMeter() {
  return std::make_unique<OwnedNtMeter>();
}

std::optional<PerformanceCounts> ReadPerformanceCounts() {
  PERFORMANCE_INFORMATION info{};
  info.cb = sizeof(info);
  if (!GetPerformanceInfo(&info, sizeof(info))) return std::nullopt;
  PerformanceCounts counts;
  counts.commitTotal = info.CommitTotal;
  counts.commitLimit = info.CommitLimit;
  counts.commitPeak = info.CommitPeak;
  counts.physicalTotal = info.PhysicalTotal;
  counts.physicalAvailable = info.PhysicalAvailable;
  counts.systemCache = info.SystemCache;
  counts.kernelTotal = info.KernelTotal;
  counts.kernelPaged = info.KernelPaged;
  counts.kernelNonpaged = info.KernelNonpaged;
  counts.pageSize = info.PageSize;
  counts.handleCount = info.HandleCount;
  counts.processCount = info.ProcessCount;
  counts.threadCount = info.ThreadCount;
  return counts;
}

}  // namespace kestro::systools
