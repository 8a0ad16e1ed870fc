#include "texturing/jpeg_idct.h"

#include <cmath>
#include <cstring>

#include "texturing/jpeg_tables.h"

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

// Inputs are coefficient * pre-scaled entry (below 2^44 in magnitude); the
// constants have 14 fraction bits and the first pass drops 8 bits, so no
// product or sum leaves the int64 range whatever the stream holds.
constexpr int kFastBits = 14;
constexpr std::int64_t kSqrt2 = 23170;  // 1.414213562
constexpr std::int64_t kC1847 = 30274;  // 1.847759065
constexpr std::int64_t kC1082 = 17734;  // 1.082392200
constexpr std::int64_t kC2613 = 42813;  // 2.613125930
constexpr int kPass1Drop = 8;
// The 2-D result is 8 * 2^12 / 2^8 = 2^7 times the sample.
constexpr int kFinalShift = 3 + kJpegFastQuantFractionBits - kPass1Drop;

inline std::int64_t fixMul(std::int64_t value, std::int64_t constant) {
    return (value * constant + (1 << (kFastBits - 1))) >> kFastBits;
}

// AAN 1-D transform on pre-scaled inputs; the outputs are 2 * sqrt(2) times
// the normalised transform.
inline void fast1d(std::int64_t i0, std::int64_t i1, std::int64_t i2, std::int64_t i3,
                   std::int64_t i4, std::int64_t i5, std::int64_t i6, std::int64_t i7,
                   std::int64_t* out) {
    std::int64_t e10 = i0 + i4;
    std::int64_t e11 = i0 - i4;
    std::int64_t e13 = i2 + i6;
    std::int64_t e12 = fixMul(i2 - i6, kSqrt2) - e13;
    std::int64_t e0 = e10 + e13;
    std::int64_t e3 = e10 - e13;
    std::int64_t e1 = e11 + e12;
    std::int64_t e2 = e11 - e12;

    std::int64_t z13 = i5 + i3;
    std::int64_t z10 = i5 - i3;
    std::int64_t z11 = i1 + i7;
    std::int64_t z12 = i1 - i7;
    std::int64_t o7 = z11 + z13;
    std::int64_t o11 = fixMul(z11 - z13, kSqrt2);
    std::int64_t z5 = fixMul(z10 + z12, kC1847);
    std::int64_t o10 = fixMul(z12, kC1082) - z5;
    std::int64_t o12 = z5 - fixMul(z10, kC2613);
    std::int64_t o6 = o12 - o7;
    std::int64_t o5 = o11 - o6;
    std::int64_t o4 = o10 + o5;

    out[0] = e0 + o7;
    out[7] = e0 - o7;
    out[1] = e1 + o6;
    out[6] = e1 - o6;
    out[2] = e2 + o5;
    out[5] = e2 - o5;
    out[3] = e3 - o4;
    out[4] = e3 + o4;
}

inline std::int64_t dropPass1(std::int64_t value) {
    return (value + (1 << (kPass1Drop - 1))) >> kPass1Drop;
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

void idctFast(const std::int16_t* in, const std::int32_t* quant, std::uint8_t* out, int stride) {
    std::int64_t work[64];
    std::int64_t result[8];
    // Columns. A column without AC coefficients is its DC value throughout.
    for (int c = 0; c < 8; ++c) {
        const std::int16_t* col = in + c;
        const std::int32_t* q = quant + c;
        if ((col[8] | col[16] | col[24] | col[32] | col[40] | col[48] | col[56]) == 0) {
            std::int64_t dc = dropPass1(std::int64_t{col[0]} * q[0]);
            for (int n = 0; n < 8; ++n) work[n * 8 + c] = dc;
            continue;
        }
        fast1d(std::int64_t{col[0]} * q[0], std::int64_t{col[8]} * q[8],
               std::int64_t{col[16]} * q[16], std::int64_t{col[24]} * q[24],
               std::int64_t{col[32]} * q[32], std::int64_t{col[40]} * q[40],
               std::int64_t{col[48]} * q[48], std::int64_t{col[56]} * q[56], result);
        for (int n = 0; n < 8; ++n) work[n * 8 + c] = dropPass1(result[n]);
    }
    // Rows; the level shift and rounding ride on the DC input.
    constexpr std::int64_t bias = (std::int64_t{128} << kFinalShift) + (1 << (kFinalShift - 1));
    for (int r = 0; r < 8; ++r) {
        const std::int64_t* row = work + r * 8;
        fast1d(row[0] + bias, row[1], row[2], row[3], row[4], row[5], row[6], row[7], result);
        std::uint8_t* line = out + r * stride;
        for (int n = 0; n < 8; ++n) line[n] = clampSample(result[n] >> kFinalShift);
    }
}

void idctFastDcOnly(int dc, std::int32_t quant, std::uint8_t* out, int stride) {
    // The same arithmetic as idctFast for a block with only DC.
    std::int64_t value = dropPass1(std::int64_t{dc} * quant);
    value += (std::int64_t{128} << kFinalShift) + (1 << (kFinalShift - 1));
    std::uint8_t sample = clampSample(value >> kFinalShift);
    for (int r = 0; r < 8; ++r) std::memset(out + r * stride, sample, 8);
}
