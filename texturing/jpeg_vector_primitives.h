#pragma once

// The few steps of the decoder's vector code that compile to a single
// instruction of the processor but have no portable vector-extension form:
// SSE2 on x86-64, WebAssembly SIMD in the browser build, plain code
// elsewhere. Each gives the same values on every target.
#include <cstdint>

#if defined(__x86_64__)
#include <emmintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

typedef std::int32_t JpegInts4 __attribute__((vector_size(16)));
typedef std::int16_t JpegShorts8 __attribute__((vector_size(16)));
typedef std::uint8_t JpegBytes16 __attribute__((vector_size(16)));

// Eight int32 values (low, then high) saturated to int16.
[[gnu::always_inline]] inline JpegShorts8 jpegNarrowToShorts(JpegInts4 low, JpegInts4 high) {
#if defined(__x86_64__)
    return reinterpret_cast<JpegShorts8>(
        _mm_packs_epi32(reinterpret_cast<__m128i>(low), reinterpret_cast<__m128i>(high)));
#elif defined(__wasm_simd128__)
    return reinterpret_cast<JpegShorts8>(
        wasm_i16x8_narrow_i32x4(reinterpret_cast<v128_t>(low), reinterpret_cast<v128_t>(high)));
#else
    JpegShorts8 out;
    for (int i = 0; i < 8; ++i) {
        std::int32_t v = i < 4 ? low[i] : high[i - 4];
        out[i] = static_cast<std::int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
    }
    return out;
#endif
}

// Sixteen int16 values (low, then high) clamped to 0..255 as bytes.
[[gnu::always_inline]] inline JpegBytes16 jpegNarrowToBytes(JpegShorts8 low, JpegShorts8 high) {
#if defined(__x86_64__)
    return reinterpret_cast<JpegBytes16>(
        _mm_packus_epi16(reinterpret_cast<__m128i>(low), reinterpret_cast<__m128i>(high)));
#elif defined(__wasm_simd128__)
    return reinterpret_cast<JpegBytes16>(
        wasm_u8x16_narrow_i16x8(reinterpret_cast<v128_t>(low), reinterpret_cast<v128_t>(high)));
#else
    JpegBytes16 out;
    for (int i = 0; i < 16; ++i) {
        int v = i < 8 ? low[i] : high[i - 8];
        out[i] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
    return out;
#endif
}

// Bit k set for each of the 64 coefficients that is not zero.
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
