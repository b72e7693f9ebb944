#include "checks/script_statistic.hpp"

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace kestro::checks {

ScriptCharacterCounts CountScriptCharacters(std::span<const std::uint8_t> bytes) {
  std::int64_t inRange = 0;
  std::int64_t nul = 0;
  std::size_t i = 0;
#if defined(__SSE2__) && defined(__x86_64__)
  // Sixteen bytes at a time: per-byte counters (a matching byte's mask is -1,
  // subtracted) summed into 64 bits before they can wrap.
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = _mm_set1_epi8(32);
  const __m128i span = _mm_set1_epi8(57 - 32);
  while (bytes.size() - i >= 16) {
    __m128i rangeCounts = zero;
    __m128i nulCounts = zero;
    for (int round = 0; round < 255 && bytes.size() - i >= 16; ++round, i += 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
      // 32..57 is exactly the bytes whose distance above 32 (wrapping) is at most 25.
      const __m128i above = _mm_subs_epu8(_mm_sub_epi8(block, low), span);
      rangeCounts = _mm_sub_epi8(rangeCounts, _mm_cmpeq_epi8(above, zero));
      nulCounts = _mm_sub_epi8(nulCounts, _mm_cmpeq_epi8(block, zero));
    }
    const __m128i rangeSums = _mm_sad_epu8(rangeCounts, zero);
    const __m128i nulSums = _mm_sad_epu8(nulCounts, zero);
    inRange += _mm_cvtsi128_si64(rangeSums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(rangeSums, rangeSums));
    nul += _mm_cvtsi128_si64(nulSums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(nulSums, nulSums));
  }
#endif
  for (; i < bytes.size(); ++i) {
    const std::uint8_t byte = bytes[i];
    if (byte == 0) ++nul;
    else if (byte >= 32 && byte <= 57) ++inRange;
  }
  const auto total = static_cast<std::int64_t>(bytes.size());
  return {inRange, total - nul - inRange};
}

}  // namespace kestro::checks
