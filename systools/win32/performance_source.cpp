#include "systools/win32/performance_source.hpp"

#include <windows.h>
// The Windows headers below build on the types above.
#include <psapi.h>

namespace kestro::systools {
namespace {

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
