#pragma once

#include <cstdint>

// 8 x 8 inverse DCTs with dequantisation, level shift by 128 and clamping to
// 0..255. Both take quantised coefficients and the quantisation table in
// natural order and write 8 rows of 8 samples, `stride` bytes apart. Any
// coefficient and table values are safe: the arithmetic cannot overflow.

// Accurate separable integer transform with the plain quantisation entries.
void idctPlain(const std::int16_t* coefficients, const std::int32_t* quant, std::uint8_t* out,
               int stride);

// Scaled integer transform (Arai, Agui and Nakajima) with the pre-scaled
// entries of the fast path.
void idctFast(const std::int16_t* coefficients, const std::int32_t* quant, std::uint8_t* out,
              int stride);

// The fast transform of a block whose only non-zero coefficient is DC: every
// sample is the same.
void idctFastDcOnly(int dc, std::int32_t quant, std::uint8_t* out, int stride);
