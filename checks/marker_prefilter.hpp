#pragma once
// Skips the bytes where no marker can start. Each marker is known by its first
// one to four bytes (its fingerprint); fingerprints are spread over eight
// buckets, and a position is a candidate when, for some bucket, every
// fingerprint byte matches one of that bucket's fingerprints at the same place.
// The vector kernels test 16 or 32 positions at once with two nibble look-ups per
// fingerprint byte; the scalar kernel tests one position with a byte look-up per
// fingerprint byte. Candidates may be false: the caller verifies them.
//
// The kernel is chosen at run time from what the processor offers, so one build
// runs on every x86-64 processor (the scalar kernel serves any other).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestro::checks {

enum class SearchKernel { Scalar, Ssse3, Avx2 };

// The fastest kernel this processor runs (decided once).
SearchKernel BestSearchKernel();
// Every kernel this processor runs, the scalar one first.
std::vector<SearchKernel> SupportedSearchKernels();
const char* SearchKernelName(SearchKernel kernel);

// What a kernel reads: the fingerprint width and the bucket masks.
struct PrefilterTables {
  std::size_t width = 0;  // fingerprint bytes, 1 to 4; 0 when there is nothing to find
  // Per fingerprint byte: bucket bits by the byte's low and high nibble.
  alignas(16) std::array<std::array<std::uint8_t, 16>, 4> low{};
  alignas(16) std::array<std::array<std::uint8_t, 16>, 4> high{};
  // Per fingerprint byte: bucket bits by the whole byte (scalar kernel, exact per byte).
  std::array<std::array<std::uint8_t, 256>, 4> exact{};
};

class MarkerPrefilter {
 public:
  // Empty markers are left out.
  MarkerPrefilter(const std::vector<std::string>& markers, SearchKernel kernel);

  // Fingerprint width, at most the shortest marker's length and 4; 0 when every
  // marker is empty.
  std::size_t Width() const { return tables_.width; }
  SearchKernel Kernel() const { return kernel_; }

  // The first position p with from <= p <= end - Width() where a marker may
  // start, or end - Width() + 1 when there is none. Requires from + Width() <= end.
  std::size_t Next(const std::uint8_t* text, std::size_t from, std::size_t end) const {
    return next_(tables_, text, from, end);
  }

  using NextFunction = std::size_t (*)(const PrefilterTables&, const std::uint8_t*, std::size_t, std::size_t);

 private:
  PrefilterTables tables_;
  SearchKernel kernel_;
  NextFunction next_;
};

namespace prefilter_kernels {
std::size_t NextScalar(const PrefilterTables& tables, const std::uint8_t* text, std::size_t from, std::size_t end);
// The vector kernels; null where the build has none.
MarkerPrefilter::NextFunction Ssse3(std::size_t width);
MarkerPrefilter::NextFunction Avx2(std::size_t width);
}  // namespace prefilter_kernels

}  // namespace kestro::checks
