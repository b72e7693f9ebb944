// The vector kernels of the marker prefilter for x86 processors. They are
// compiled for SSSE3 and AVX2 function by function (target attributes), not for
// the whole program, and chosen at run time, so the program still starts on a
// processor that has neither.
#include "checks/marker_prefilter.hpp"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <array>
#include <bit>

namespace kestro::checks::prefilter_kernels {
namespace {

// Drops the candidates of a block that the whole-byte tables refuse (the nibble
// masks also admit mixtures of a bucket's fingerprints); returns the rest.
template <std::size_t Width>
inline std::uint32_t Confirm(const PrefilterTables& t, const std::uint8_t* block, std::uint32_t candidates) {
  for (std::uint32_t left = candidates; left != 0; left &= left - 1) {
    const auto k = static_cast<std::size_t>(std::countr_zero(left));
    std::uint8_t buckets = t.exact[0][block[k]];
    if constexpr (Width > 1) buckets &= t.exact[1][block[k + 1]];
    if constexpr (Width > 2) buckets &= t.exact[2][block[k + 2]];
    if constexpr (Width > 3) buckets &= t.exact[3][block[k + 3]];
    if (buckets != 0) return left;
  }
  return 0;
}

// Bucket bits of each byte: the low-nibble mask and the high-nibble mask looked
// up with one shuffle each, then intersected.
__attribute__((target("ssse3"))) inline __m128i Classify(__m128i bytes, __m128i low, __m128i high,
                                                         __m128i nibble) {
  const __m128i byLow = _mm_shuffle_epi8(low, _mm_and_si128(bytes, nibble));
  const __m128i byHigh = _mm_shuffle_epi8(high, _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble));
  return _mm_and_si128(byLow, byHigh);
}

__attribute__((target("ssse3"))) inline __m128i Load16(const std::uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

__attribute__((target("ssse3"))) inline __m128i Mask16(const std::array<std::uint8_t, 16>& mask) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(mask.data()));
}

// The masks are named values rather than arrays, so that they stay in registers.
template <std::size_t Width>
__attribute__((target("ssse3"))) std::size_t NextSsse3(const PrefilterTables& t, const std::uint8_t* p,
                                                       std::size_t from, std::size_t end) {
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i zero = _mm_setzero_si128();
  const __m128i low0 = Mask16(t.low[0]), high0 = Mask16(t.high[0]);
  const __m128i low1 = Mask16(t.low[1]), high1 = Mask16(t.high[1]);
  const __m128i low2 = Mask16(t.low[2]), high2 = Mask16(t.high[2]);
  const __m128i low3 = Mask16(t.low[3]), high3 = Mask16(t.high[3]);
  std::size_t i = from;
  // Position i + 15 needs its fingerprint bytes up to i + 15 + Width - 1.
  while (end - i >= 16 + Width - 1) {
    __m128i buckets = Classify(Load16(p + i), low0, high0, nibble);
    if constexpr (Width > 1) buckets = _mm_and_si128(buckets, Classify(Load16(p + i + 1), low1, high1, nibble));
    if constexpr (Width > 2) buckets = _mm_and_si128(buckets, Classify(Load16(p + i + 2), low2, high2, nibble));
    if constexpr (Width > 3) buckets = _mm_and_si128(buckets, Classify(Load16(p + i + 3), low3, high3, nibble));
    unsigned found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(buckets, zero))) ^ 0xFFFFu;
    if (found != 0 && (found = Confirm<Width>(t, p + i, found)) != 0) {
      return i + static_cast<std::size_t>(std::countr_zero(found));
    }
    i += 16;
  }
  return NextScalar(t, p, i, end);
}

__attribute__((target("avx2"))) inline __m256i Classify(__m256i bytes, __m256i low, __m256i high, __m256i nibble) {
  const __m256i byLow = _mm256_shuffle_epi8(low, _mm256_and_si256(bytes, nibble));
  const __m256i byHigh = _mm256_shuffle_epi8(high, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble));
  return _mm256_and_si256(byLow, byHigh);
}

__attribute__((target("avx2"))) inline __m256i Load32(const std::uint8_t* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

// The shuffles look up within each 16-byte lane: both lanes carry the masks.
__attribute__((target("avx2"))) inline __m256i Mask32(const std::array<std::uint8_t, 16>& mask) {
  return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(mask.data())));
}

template <std::size_t Width>
__attribute__((target("avx2"))) std::size_t NextAvx2(const PrefilterTables& t, const std::uint8_t* p,
                                                     std::size_t from, std::size_t end) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i low0 = Mask32(t.low[0]), high0 = Mask32(t.high[0]);
  const __m256i low1 = Mask32(t.low[1]), high1 = Mask32(t.high[1]);
  const __m256i low2 = Mask32(t.low[2]), high2 = Mask32(t.high[2]);
  const __m256i low3 = Mask32(t.low[3]), high3 = Mask32(t.high[3]);
  std::size_t i = from;
  while (end - i >= 32 + Width - 1) {
    __m256i buckets = Classify(Load32(p + i), low0, high0, nibble);
    if constexpr (Width > 1) buckets = _mm256_and_si256(buckets, Classify(Load32(p + i + 1), low1, high1, nibble));
    if constexpr (Width > 2) buckets = _mm256_and_si256(buckets, Classify(Load32(p + i + 2), low2, high2, nibble));
    if constexpr (Width > 3) buckets = _mm256_and_si256(buckets, Classify(Load32(p + i + 3), low3, high3, nibble));
    auto found = ~static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(buckets, zero)));
    if (found != 0 && (found = Confirm<Width>(t, p + i, found)) != 0) {
      return i + static_cast<std::size_t>(std::countr_zero(found));
    }
    i += 32;
  }
  return NextSsse3<Width>(t, p, i, end);
}

}  // namespace

MarkerPrefilter::NextFunction Ssse3(std::size_t width) {
  switch (width) {
    case 1: return NextSsse3<1>;
    case 2: return NextSsse3<2>;
    case 3: return NextSsse3<3>;
    default: return NextSsse3<4>;
  }
}

MarkerPrefilter::NextFunction Avx2(std::size_t width) {
  switch (width) {
    case 1: return NextAvx2<1>;
    case 2: return NextAvx2<2>;
    case 3: return NextAvx2<3>;
    default: return NextAvx2<4>;
  }
}

}  // namespace kestro::checks::prefilter_kernels

#else

namespace kestro::checks::prefilter_kernels {

MarkerPrefilter::NextFunction Ssse3(std::size_t) { return nullptr; }
MarkerPrefilter::NextFunction Avx2(std::size_t) { return nullptr; }

}  // namespace kestro::checks::prefilter_kernels

#endif
