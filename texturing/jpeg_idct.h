#pragma once

#include <cstdint>

// 8 x 8 inverse DCTs with level shift by 128 and clamping to 0..255. Both take
// dequantised coefficients in natural order and write 8 rows of 8 samples,
// `stride` bytes apart.

// Accurate separable integer transform; coefficients dequantised with the
// plain quantisation entries.
void idctPlain(const std::int16_t* coefficients, std::uint8_t* out, int stride);

// Scaled integer transform (Arai, Agui and Nakajima); coefficients
// dequantised with the pre-scaled entries of the fast path.
void idctFast(const std::int16_t* coefficients, std::uint8_t* out, int stride);

// A block whose only non-zero coefficient is DC: every sample is the same.
void idctDcOnly(int dequantisedDc, bool fastScaled, std::uint8_t* out, int stride);
