// Scans over the reader's buffer that find, sixteen bytes at a time, where a
// run of ordinary characters ends.
#pragma once

#include <cstddef>
#include <string_view>

#if defined(__SSE2__) && !defined(VELLUMCAST_SANS_SIMD)
#include <emmintrin.h>
#endif

namespace vellumcast {

// The length of the run at the start of `d` that holds none of the bytes `Cs`.
template <char... Cs>
size_t SansAucun(std::string_view d) {
  size_t i = 0;
#if defined(__SSE2__) && !defined(VELLUMCAST_SANS_SIMD)
  for (; i + 16 <= d.size(); i += 16) {
    __m128i bloc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d.data() + i));
    __m128i egal = _mm_setzero_si128();
    ((egal = _mm_or_si128(egal, _mm_cmpeq_epi8(bloc, _mm_set1_epi8(Cs)))), ...);
    if (int masque = _mm_movemask_epi8(egal); masque != 0) {
      return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(masque)));
    }
  }
#endif
  for (; i < d.size(); ++i) {
    if (((d[i] == Cs) || ...)) break;
  }
  return i;
}

}  // namespace vellumcast
