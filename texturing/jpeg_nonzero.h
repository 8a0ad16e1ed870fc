#pragma once

#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <emmintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

// Bit k set for each of the 64 coefficients that is not zero: the
// processor's compare and mask instructions where there are some (SSE2 on
// x86-64, WebAssembly SIMD), else one at a time.
inline std::uint64_t jpegNonZeroPositions(const std::int16_t* coefficients) {
    std::uint64_t zero = 0;
#if defined(__x86_64__)
    const __m128i nothing = _mm_setzero_si128();
    for (int k = 0; k < 64; k += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + k));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + k + 8));
        __m128i both = _mm_packs_epi16(_mm_cmpeq_epi16(a, nothing), _mm_cmpeq_epi16(b, nothing));
        zero |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(both)))
                << k;
    }
#elif defined(__wasm_simd128__)
    for (int k = 0; k < 64; k += 16) {
        v128_t a = wasm_v128_load(coefficients + k);
        v128_t b = wasm_v128_load(coefficients + k + 8);
        v128_t both = wasm_i8x16_narrow_i16x8(wasm_i16x8_eq(a, wasm_i16x8_splat(0)),
                                              wasm_i16x8_eq(b, wasm_i16x8_splat(0)));
        zero |= static_cast<std::uint64_t>(wasm_i8x16_bitmask(both)) << k;
    }
#else
    for (int k = 0; k < 64; ++k) zero |= std::uint64_t{coefficients[k] == 0} << k;
#endif
    return ~zero;
}
