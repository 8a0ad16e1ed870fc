#include "texturing/jpeg_idct.h"

#include <cmath>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "texturing/jpeg_tables.h"
#include "texturing/jpeg_vector_primitives.h"

// The 8-lane vectors below never cross a function boundary (everything using
// them is inlined), so GCC's note about their calling convention is moot.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

inline std::uint8_t clampSample(std::int64_t value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// --- Plain transform --------------------------------------------------------

constexpr int kPlainBits = 13;      // fraction bits of the cosine weights
constexpr int kPlainPass1Bits = 3;  // fraction bits kept between the passes

// weight[n][k] = C(k) / 2 * cos((2n + 1) k pi / 16) for n = 0..3, in fixed point.
struct PlainWeights {
    std::int64_t w[4][8];
    PlainWeights() {
        const double pi = 3.14159265358979323846;
        for (int n = 0; n < 4; ++n) {
            for (int k = 0; k < 8; ++k) {
                double c = (k == 0 ? std::sqrt(0.5) : 1.0) / 2.0;
                w[n][k] =
                    std::llround(c * std::cos((2 * n + 1) * k * pi / 16.0) * (1 << kPlainBits));
            }
        }
    }
};

const PlainWeights& plainWeights() {
    static const PlainWeights weights;
    return weights;
}

// One 1-D transform of 8 values `step` apart; out[n] and out[7 - n] share the
// even and odd sums.
inline void plain1d(const std::int64_t* in, int step, std::int64_t* out,
                    const PlainWeights& weights) {
    for (int n = 0; n < 4; ++n) {
        const std::int64_t* w = weights.w[n];
        std::int64_t even =
            w[0] * in[0] + w[2] * in[2 * step] + w[4] * in[4 * step] + w[6] * in[6 * step];
        std::int64_t odd =
            w[1] * in[step] + w[3] * in[3 * step] + w[5] * in[5 * step] + w[7] * in[7 * step];
        out[n] = even + odd;
        out[7 - n] = even - odd;
    }
}

// --- Fast transform ---------------------------------------------------------

typedef std::int32_t Lanes __attribute__((vector_size(32)));  // 8 x int32
typedef std::int16_t Lanes16 __attribute__((vector_size(16)));
typedef std::uint8_t Bytes16 __attribute__((vector_size(16)));

// First pass constants with 12 fraction bits, second pass with 8: with int16
// inputs of 3 fraction bits every product stays below 2^31.
constexpr int kPass1Bits = 12;
constexpr int kPass2Bits = 8;
// The 2-D result is 8 * 2^3 times the sample.
constexpr int kFastShift = 6;

template <int Bits, class V>
[[gnu::always_inline]] inline V fixMul(V value, std::int32_t constant) {
    return (value * constant + (1 << (Bits - 1))) >> Bits;
}

// AAN 1-D transform on pre-scaled inputs, lane by lane (V is 8 lanes, or one
// int32 for the scalar twin); the outputs are 2 * sqrt(2) times the
// normalised transform.
template <int Bits, class V>
[[gnu::always_inline]] inline void fast1d(const V* in, V* out) {
    constexpr double scale = double(1 << Bits);
    constexpr std::int32_t sqrt2 = std::int32_t(1.414213562 * scale + 0.5);
    constexpr std::int32_t c1847 = std::int32_t(1.847759065 * scale + 0.5);
    constexpr std::int32_t c1082 = std::int32_t(1.082392200 * scale + 0.5);
    constexpr std::int32_t c2613 = std::int32_t(2.613125930 * scale + 0.5);

    V e10 = in[0] + in[4];
    V e11 = in[0] - in[4];
    V e13 = in[2] + in[6];
    V e12 = fixMul<Bits>(in[2] - in[6], sqrt2) - e13;
    V e0 = e10 + e13;
    V e3 = e10 - e13;
    V e1 = e11 + e12;
    V e2 = e11 - e12;

    V z13 = in[5] + in[3];
    V z10 = in[5] - in[3];
    V z11 = in[1] + in[7];
    V z12 = in[1] - in[7];
    V o7 = z11 + z13;
    V o11 = fixMul<Bits>(z11 - z13, sqrt2);
    V z5 = fixMul<Bits>(z10 + z12, c1847);
    V o10 = fixMul<Bits>(z12, c1082) - z5;
    V o12 = z5 - fixMul<Bits>(z10, c2613);
    V o6 = o12 - o7;
    V o5 = o11 - o6;
    V o4 = o10 + o5;

    out[0] = e0 + o7;
    out[7] = e0 - o7;
    out[1] = e1 + o6;
    out[6] = e1 - o6;
    out[2] = e2 + o5;
    out[5] = e2 - o5;
    out[3] = e3 - o4;
    out[4] = e3 + o4;
}

// 8 x 8 transpose: interleave 32-bit, then 64-bit, then 128-bit halves.
[[gnu::always_inline]] inline void transpose(const Lanes* in, Lanes* out) {
    Lanes t[8];
#pragma GCC unroll 8
    for (int i = 0; i < 8; i += 2) {
        t[i] = __builtin_shufflevector(in[i], in[i + 1], 0, 8, 1, 9, 4, 12, 5, 13);
        t[i + 1] = __builtin_shufflevector(in[i], in[i + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
    Lanes u[8];
#pragma GCC unroll 8
    for (int i = 0; i < 8; i += 4) {
        u[i] = __builtin_shufflevector(t[i], t[i + 2], 0, 1, 8, 9, 4, 5, 12, 13);
        u[i + 1] = __builtin_shufflevector(t[i], t[i + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        u[i + 2] = __builtin_shufflevector(t[i + 1], t[i + 3], 0, 1, 8, 9, 4, 5, 12, 13);
        u[i + 3] = __builtin_shufflevector(t[i + 1], t[i + 3], 2, 3, 10, 11, 6, 7, 14, 15);
    }
#pragma GCC unroll 8
    for (int i = 0; i < 4; ++i) {
        out[i] = __builtin_shufflevector(u[i], u[i + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        out[i + 4] = __builtin_shufflevector(u[i], u[i + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
}

// Two rows of lanes clamped to 0..255, as 16 bytes (first row first):
// saturated to int16, then to 0..255.
[[gnu::always_inline]] inline Bytes16 toSamples(Lanes first, Lanes second) {
    return jpegNarrowToBytes(
        jpegNarrowToShorts(__builtin_shufflevector(first, first, 0, 1, 2, 3),
                           __builtin_shufflevector(first, first, 4, 5, 6, 7)),
        jpegNarrowToShorts(__builtin_shufflevector(second, second, 0, 1, 2, 3),
                           __builtin_shufflevector(second, second, 4, 5, 6, 7)));
}

}  // namespace

void idctPlain(const std::int16_t* coefficients, const std::int32_t* quant, std::uint8_t* out,
               int stride) {
    const PlainWeights& weights = plainWeights();
    std::int64_t in[64];
    std::int64_t work[64];
    for (int i = 0; i < 64; ++i) in[i] = std::int64_t{coefficients[i]} * quant[i];
    // Columns, keeping kPlainPass1Bits fraction bits.
    std::int64_t column[8];
    for (int c = 0; c < 8; ++c) {
        plain1d(in + c, 8, column, weights);
        for (int n = 0; n < 8; ++n) {
            work[n * 8 + c] =
                (column[n] + (std::int64_t{1} << (kPlainBits - kPlainPass1Bits - 1))) >>
                (kPlainBits - kPlainPass1Bits);
        }
    }
    // Rows, then round away all fraction bits and shift the level.
    constexpr int shift = kPlainBits + kPlainPass1Bits;
    std::int64_t row[8];
    for (int r = 0; r < 8; ++r) {
        plain1d(work + r * 8, 1, row, weights);
        std::uint8_t* line = out + r * stride;
        for (int n = 0; n < 8; ++n) {
            line[n] = clampSample(((row[n] + (std::int64_t{1} << (shift - 1))) >> shift) + 128);
        }
    }
}

namespace {

// The block's columns widened to 32-bit lanes, the block left clear for the
// next one.
template <bool LowOnly>
[[gnu::always_inline]] inline void loadColumns(std::int16_t* transposed, Lanes* in) {
    const Lanes16 zero = {};
#pragma GCC unroll 8
    for (int c = 0; c < 8; ++c) {
        if (LowOnly && c >= 4) {
            in[c] = Lanes{};
            continue;
        }
        Lanes16 column;
        std::memcpy(&column, transposed + c * 8, sizeof column);
        std::memcpy(transposed + c * 8, &zero, sizeof zero);
        in[c] = __builtin_convertvector(column, Lanes);
    }
}

template <bool LowOnly>
[[gnu::always_inline]] inline void idctFastBody(Lanes* in, std::uint8_t* out, int stride) {
    // Along each row (lane = row), then along each column (lane = column).
    Lanes rows[8];
    fast1d<kPass1Bits>(in, rows);
    Lanes columns[8];
    transpose(rows, columns);
    // With coefficients in rows 0 to 3 only, rows 4 to 7 of the first pass
    // are zero, and so are these.
    if constexpr (LowOnly) {
        for (int k = 4; k < 8; ++k) columns[k] = Lanes{};
    }
    // The level shift and rounding ride on the DC input.
    columns[0] += (128 << kFastShift) + (1 << (kFastShift - 1));
    Lanes result[8];
    fast1d<kPass2Bits>(columns, result);
#pragma GCC unroll 4
    for (int r = 0; r < 8; r += 2) {
        Bytes16 samples = toSamples(result[r] >> kFastShift, result[r + 1] >> kFastShift);
        std::memcpy(out + r * stride, &samples, 8);
        std::memcpy(out + (r + 1) * stride, reinterpret_cast<const std::uint8_t*>(&samples) + 8, 8);
    }
}

template <bool LowOnly>
void idctFastGeneric(std::int16_t* transposed, std::uint8_t* out, int stride) {
    Lanes in[8];
    loadColumns<LowOnly>(transposed, in);
    idctFastBody<LowOnly>(in, out, stride);
}

#if defined(__x86_64__)
// The same code with 256-bit registers where the processor has them; the
// widening is one instruction per column (GCC splits the generic one).
template <bool LowOnly>
[[gnu::target("avx2")]] void idctFastAvx2(std::int16_t* transposed, std::uint8_t* out, int stride) {
    Lanes in[8] = {};
#pragma GCC unroll 8
    for (int c = 0; c < (LowOnly ? 4 : 8); ++c) {
        __m128i* column = reinterpret_cast<__m128i*>(transposed + c * 8);
        in[c] = reinterpret_cast<Lanes>(_mm256_cvtepi16_epi32(_mm_loadu_si128(column)));
        _mm_storeu_si128(column, _mm_setzero_si128());
    }
    idctFastBody<LowOnly>(in, out, stride);
}
#endif

using IdctFunction = void (*)(std::int16_t*, std::uint8_t*, int);

struct IdctFunctions {
    IdctFunction full;
    IdctFunction low;
};

IdctFunctions chooseIdct() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return {idctFastAvx2<false>, idctFastAvx2<true>};
#endif
    return {idctFastGeneric<false>, idctFastGeneric<true>};
}

}  // namespace

void idctFast(std::int16_t* transposed, std::uint8_t* out, int stride, bool lowOnly) {
    static const IdctFunctions chosen = chooseIdct();
    (lowOnly ? chosen.low : chosen.full)(transposed, out, stride);
}

void idctFastScalar(std::int16_t* transposed, std::uint8_t* out, int stride) {
    // Along each row, then along each column, as idctFastBody does with lanes.
    std::int32_t rows[8][8];  // [horizontal position][row frequency]
    for (int r = 0; r < 8; ++r) {
        std::int32_t in[8];
        std::int32_t result[8];
        for (int c = 0; c < 8; ++c) {
            in[c] = transposed[c * 8 + r];
            transposed[c * 8 + r] = 0;
        }
        fast1d<kPass1Bits>(in, result);
        for (int n = 0; n < 8; ++n) rows[n][r] = result[n];
    }
    for (int n = 0; n < 8; ++n) {
        std::int32_t in[8];
        std::int32_t result[8];
        for (int k = 0; k < 8; ++k) in[k] = rows[n][k];
        in[0] += (128 << kFastShift) + (1 << (kFastShift - 1));
        fast1d<kPass2Bits>(in, result);
        for (int m = 0; m < 8; ++m) out[m * stride + n] = clampSample(result[m] >> kFastShift);
    }
}
