// Fuzzes the PE probe and the last-section head over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "io/mdl_pe.hpp"
#include "io/sampled_checksum.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestro::checks::MemoryReader reader({data, size});
  const std::int32_t lfanew = kestro::checks::mdlPE::ProbePE(reader);
  if (lfanew != 0) (void)kestro::checks::mdlPE::LastSectionHeadText(reader, lfanew);
  (void)kestro::checks::SampledFileChecksum(reader);
  return 0;
}
