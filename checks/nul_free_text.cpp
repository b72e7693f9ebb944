#include "checks/nul_free_text.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestro::checks {
namespace {

// Branch-free: every byte is stored, and the output moves on past it unless it was NUL.
std::size_t CopyScalar(const std::uint8_t* in, std::size_t count, std::uint8_t* out) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < count; ++i) {
    out[written] = in[i];
    written += in[i] != 0 ? 1 : 0;
  }
  return written;
}

}  // namespace

std::size_t CopyWithoutNul(std::span<const std::uint8_t> bytes, std::uint8_t* out) {
  const std::uint8_t* in = bytes.data();
  const std::size_t count = bytes.size();
  std::size_t i = 0;
  std::size_t written = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: a block without NUL is stored whole (the usual
  // case in text); a block with one is packed byte by byte.
  const __m128i zero = _mm_setzero_si128();
  for (; count - i >= 16; i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(block, zero)) == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + written), block);
      written += 16;
    } else {
      written += CopyScalar(in + i, 16, out + written);
    }
  }
#endif
  return written + CopyScalar(in + i, count - i, out + written);
}

}  // namespace kestro::checks
