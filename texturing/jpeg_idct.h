#pragma once

#include <cstdint>
#include <cstring>

// 8 x 8 inverse DCTs with dequantisation, level shift by 128 and clamping to
// 0..255. Both take quantised coefficients and the quantisation table in
// natural order and write 8 rows of 8 samples, `stride` bytes apart. Any
// coefficient and table values are safe: the arithmetic cannot overflow.

// Accurate separable integer transform with the plain quantisation entries.
void idctPlain(const std::int16_t* coefficients, const std::int32_t* quant, std::uint8_t* out,
               int stride);

// The fast path's dequantisation: coefficient times pre-scaled entry (12
// fraction bits) rounded to 3 fraction bits and saturated to int16. Real
// streams stay far inside int16 (|value| < 2^15 / 1.92 / 8 * 8).
inline std::int16_t dequantiseFast(int coefficient, std::int32_t scaledEntry) {
    std::int64_t value = (std::int64_t{coefficient} * scaledEntry + 256) >> 9;
    if (static_cast<std::uint64_t>(value + 32768) > 65535) [[unlikely]] {
        value = value < 0 ? -32768 : 32767;
    }
    return static_cast<std::int16_t>(value);
}

// Scaled integer transform (Arai, Agui and Nakajima) of the fast path, eight
// lanes at a time. Takes dequantiseFast values stored transposed
// (coefficient of row r, column c at index c * 8 + r) and leaves them all
// zero. Any int16 input is safe: no product or sum can leave the int32 range.
// `lowOnly`: every non-zero coefficient lies in the top-left 4 x 4 (the
// transform then skips what is known to be zero; same result).
void idctFast(std::int16_t* transposed, std::uint8_t* out, int stride, bool lowOnly);

// The same arithmetic one value at a time: the plain code the vector code is
// checked against; both give the same bytes for every input.
void idctFastScalar(std::int16_t* transposed, std::uint8_t* out, int stride);

// idctFast of a block whose only non-zero coefficient is DC: one value.
inline void idctFastDcOnly(int dequantisedDc, std::uint8_t* out, int stride) {
    // The 2-D result is 8 * 2^3 times the sample (see idctFast).
    int value = (dequantisedDc + (128 << 6) + (1 << 5)) >> 6;
    std::uint8_t sample = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
    std::uint64_t row = 0x0101010101010101ull * sample;
    for (int r = 0; r < 8; ++r) std::memcpy(out + r * stride, &row, 8);
}
