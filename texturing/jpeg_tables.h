#pragma once

#include <cstdint>

// natural index (row * 8 + column) of the k-th coefficient in zigzag order;
// 16 extra entries of 63 keep a corrupt run from indexing outside a block.
extern const std::uint8_t kJpegNaturalOrder[64 + 16];

// The same positions in a transposed block (row r, column c at c * 8 + r),
// the layout the fast inverse DCT reads.
extern const std::uint8_t kJpegTransposedOrder[64 + 16];

// Fast-path factors in natural order: round(a(row) * a(column) * 2^24) with
// a(0) = 1 and a(k) = sqrt(2) * cos(k * pi / 16). A quantisation entry q is
// stored as (q * factor + 2048) >> 12, i.e. q * a * a with 12 fraction bits,
// which the scaled inverse DCT expects.
extern const std::int32_t kJpegFastQuantFactors[64];
constexpr int kJpegFastQuantFractionBits = 12;

// Bit k set for each zigzag position k whose natural position lies in the
// top-left 4 x 4 of a block.
extern const std::uint64_t kJpegLowZigzagPositions;
