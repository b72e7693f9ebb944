#include "systools/cpu_meter.hpp"

#include <cmath>

namespace kestro::systools {
namespace {

std::uint64_t LoadLittleEndian64(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint64_t value = 0;
  if (offset > bytes.size() || bytes.size() - offset < 8) return 0;
  for (std::size_t i = 0; i < 8; ++i) value |= static_cast<std::uint64_t>(bytes[offset + i]) << (8 * i);
  return value;
}

}  // namespace

std::int32_t NtLoadPercent(std::int64_t idleDelta, std::int64_t systemDelta, unsigned processors) {
  if (systemDelta == 0) return 0;
  if (processors == 0) processors = 1;
  const double idleRatio = static_cast<double>(idleDelta) / static_cast<double>(systemDelta);
  const double load = std::floor(100.0 - idleRatio * 100.0 / static_cast<double>(processors) + 0.5);
  if (load < 0.0) return 0;
  if (load > 100.0) return 100;
  return static_cast<std::int32_t>(load);
}

cCPUUsageNT::cCPUUsageNT(NtSystemInformation& system, std::size_t pointerSize)
    : system_(system), layout_(NtRecordLayoutFor(pointerSize)) {}

bool cCPUUsageNT::ReadTimes(Reading& reading) {
  std::vector<std::uint8_t> timeOfDay(layout_.timeOfDaySize);
  std::vector<std::uint8_t> performance(layout_.performanceSize);
  if (!system_.Query(NtInformationClass::TimeOfDay, timeOfDay)) return false;
  if (!system_.Query(NtInformationClass::Performance, performance)) return false;
  reading.idleTime = LoadLittleEndian64(performance, 0);
  reading.systemTime = LoadLittleEndian64(timeOfDay, 8);
  return true;
}

void cCPUUsageNT::Initialize() {
  Reading reading;
  if (ReadTimes(reading)) previous_ = reading;
}

std::int32_t cCPUUsageNT::Query() {
  std::vector<std::uint8_t> basic(layout_.basicSize);
  if (!system_.Query(NtInformationClass::Basic, basic)) return -1;
  Reading reading;
  if (!ReadTimes(reading)) return -1;
  const unsigned processors =
      basic.size() > layout_.processorCountOffset ? basic[layout_.processorCountOffset] : 0;

  const auto idleDelta = static_cast<std::int64_t>(reading.idleTime - previous_.idleTime);
  const auto systemDelta = static_cast<std::int64_t>(reading.systemTime - previous_.systemTime);
  if (systemDelta == 0) return lastLoad_;
  lastLoad_ = NtLoadPercent(idleDelta, systemDelta, processors);
  previous_ = reading;
  return lastLoad_;
}

}  // namespace kestro::systools
