#include "texturing/jpeg_idct.h"

#include <cmath>
#include <cstring>

#include "texturing/jpeg_tables.h"

namespace {

inline std::uint8_t clampSample(int value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// --- Plain transform --------------------------------------------------------

constexpr int kPlainBits = 13;      // fraction bits of the cosine weights
constexpr int kPlainPass1Bits = 3;  // fraction bits kept between the passes

// weight[n][k] = C(k) / 2 * cos((2n + 1) k pi / 16) for n = 0..3, in fixed point.
struct PlainWeights {
    std::int32_t w[4][8];
    PlainWeights() {
        const double pi = 3.14159265358979323846;
        for (int n = 0; n < 4; ++n) {
            for (int k = 0; k < 8; ++k) {
                double c = (k == 0 ? std::sqrt(0.5) : 1.0) / 2.0;
                w[n][k] = static_cast<std::int32_t>(
                    std::lround(c * std::cos((2 * n + 1) * k * pi / 16.0) * (1 << kPlainBits)));
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
inline void plain1d(const std::int64_t* in, int step, std::int64_t* out, int outStep,
                    const PlainWeights& weights) {
    for (int n = 0; n < 4; ++n) {
        const std::int32_t* w = weights.w[n];
        std::int64_t even =
            w[0] * in[0] + w[2] * in[2 * step] + w[4] * in[4 * step] + w[6] * in[6 * step];
        std::int64_t odd =
            w[1] * in[step] + w[3] * in[3 * step] + w[5] * in[5 * step] + w[7] * in[7 * step];
        out[n * outStep] = even + odd;
        out[(7 - n) * outStep] = even - odd;
    }
}

// --- Fast transform ---------------------------------------------------------

// Pass 1 constants with 12 fraction bits, pass 2 with 8: with int16 inputs no
// product or sum can leave the int32 range whatever the coefficients are.
constexpr int kFast1Bits = 12;
constexpr std::int32_t k1Sqrt2 = 5793;   // 1.414213562
constexpr std::int32_t k1C1847 = 7568;   // 1.847759065
constexpr std::int32_t k1C1082 = 4433;   // 1.082392200
constexpr std::int32_t k1C2613 = 10703;  // 2.613125930
constexpr int kFast2Bits = 8;
constexpr std::int32_t k2Sqrt2 = 362;
constexpr std::int32_t k2C1847 = 473;
constexpr std::int32_t k2C1082 = 277;
constexpr std::int32_t k2C2613 = 669;

template <int Bits>
inline std::int32_t fixMul(std::int32_t value, std::int32_t constant) {
    return (value * constant + (1 << (Bits - 1))) >> Bits;
}

// AAN 1-D transform on pre-scaled inputs; the outputs are 2 * sqrt(2) times
// the normalised transform.
template <int Bits, std::int32_t Sqrt2, std::int32_t C1847, std::int32_t C1082, std::int32_t C2613>
inline void fast1d(std::int32_t i0, std::int32_t i1, std::int32_t i2, std::int32_t i3,
                   std::int32_t i4, std::int32_t i5, std::int32_t i6, std::int32_t i7,
                   std::int32_t* out, int step) {
    std::int32_t e10 = i0 + i4;
    std::int32_t e11 = i0 - i4;
    std::int32_t e13 = i2 + i6;
    std::int32_t e12 = fixMul<Bits>(i2 - i6, Sqrt2) - e13;
    std::int32_t e0 = e10 + e13;
    std::int32_t e3 = e10 - e13;
    std::int32_t e1 = e11 + e12;
    std::int32_t e2 = e11 - e12;

    std::int32_t z13 = i5 + i3;
    std::int32_t z10 = i5 - i3;
    std::int32_t z11 = i1 + i7;
    std::int32_t z12 = i1 - i7;
    std::int32_t o7 = z11 + z13;
    std::int32_t o11 = fixMul<Bits>(z11 - z13, Sqrt2);
    std::int32_t z5 = fixMul<Bits>(z10 + z12, C1847);
    std::int32_t o10 = fixMul<Bits>(z12, C1082) - z5;
    std::int32_t o12 = z5 - fixMul<Bits>(z10, C2613);
    std::int32_t o6 = o12 - o7;
    std::int32_t o5 = o11 - o6;
    std::int32_t o4 = o10 + o5;

    out[0 * step] = e0 + o7;
    out[7 * step] = e0 - o7;
    out[1 * step] = e1 + o6;
    out[6 * step] = e1 - o6;
    out[2 * step] = e2 + o5;
    out[5 * step] = e2 - o5;
    out[3 * step] = e3 - o4;
    out[4 * step] = e3 + o4;
}

}  // namespace

void idctPlain(const std::int16_t* coefficients, std::uint8_t* out, int stride) {
    const PlainWeights& weights = plainWeights();
    std::int64_t in[64];
    std::int64_t work[64];
    for (int i = 0; i < 64; ++i) in[i] = coefficients[i];
    // Columns, keeping kPlainPass1Bits fraction bits.
    std::int64_t column[8];
    for (int c = 0; c < 8; ++c) {
        plain1d(in + c, 8, column, 1, weights);
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
        plain1d(work + r * 8, 1, row, 1, weights);
        std::uint8_t* line = out + r * stride;
        for (int n = 0; n < 8; ++n) {
            std::int64_t value = (row[n] + (std::int64_t{1} << (shift - 1))) >> shift;
            value += 128;
            line[n] = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
        }
    }
}

void idctFast(const std::int16_t* in, std::uint8_t* out, int stride) {
    std::int32_t work[64];
    // Columns. A column without AC coefficients is its DC value throughout.
    for (int c = 0; c < 8; ++c) {
        const std::int16_t* col = in + c;
        if ((col[8] | col[16] | col[24] | col[32] | col[40] | col[48] | col[56]) == 0) {
            std::int32_t dc = col[0];
            for (int n = 0; n < 8; ++n) work[n * 8 + c] = dc;
            continue;
        }
        fast1d<kFast1Bits, k1Sqrt2, k1C1847, k1C1082, k1C2613>(
            col[0], col[8], col[16], col[24], col[32], col[40], col[48], col[56], work + c, 8);
    }
    // Rows. The 2-D result is 8 << 3 times the sample (8 from the two passes,
    // 3 fraction bits from the pre-scaled quantisation).
    constexpr int shift = 3 + kJpegFastQuantFractionBits;
    constexpr std::int32_t bias = (128 << shift) + (1 << (shift - 1));
    for (int r = 0; r < 8; ++r) {
        std::int32_t* row = work + r * 8;
        std::int32_t result[8];
        fast1d<kFast2Bits, k2Sqrt2, k2C1847, k2C1082, k2C2613>(
            row[0] + bias, row[1], row[2], row[3], row[4], row[5], row[6], row[7], result, 1);
        std::uint8_t* line = out + r * stride;
        for (int n = 0; n < 8; ++n) line[n] = clampSample(result[n] >> shift);
    }
}

void idctDcOnly(int dequantisedDc, bool fastScaled, std::uint8_t* out, int stride) {
    // Plain: the sample is DC / 8; fast: DC carries 3 more fraction bits.
    int shift = fastScaled ? 3 + kJpegFastQuantFractionBits : 3;
    int value = ((dequantisedDc + (1 << (shift - 1))) >> shift) + 128;
    std::uint8_t sample = clampSample(value);
    for (int r = 0; r < 8; ++r) std::memset(out + r * stride, sample, 8);
}
