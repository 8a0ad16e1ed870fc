#pragma once

#include <cstdint>

// JFIF YCbCr to RGB in 16.16 fixed point:
//   R = Y + ((91882 * (Cr - 128) + 32768) >> 16)
//   B = Y + ((116130 * (Cb - 128) + 32768) >> 16)
//   G = Y + ((-46802 * (Cr - 128) - 22554 * (Cb - 128) + 32768) >> 16)
// each clamped to 0..255. The R and B terms are held shifted, the G terms
// unshifted with the rounding term carried in the Cb table.
struct JpegColourTables {
    std::int32_t crToR[256];
    std::int32_t cbToB[256];
    std::int32_t crToG[256];
    std::int32_t cbToG[256];
};

void buildColourTables(JpegColourTables& tables);

// Converts `count` pixels to R, G, B, 0 (4 bytes each) through the tables.
// Chroma sample i serves pixels i * chromaStep .. i * chromaStep + chromaStep
// - 1 (chromaStep 1 or 2: replication upsampling).
void convertYCbCrLine(const JpegColourTables& tables, const std::uint8_t* y, const std::uint8_t* cb,
                      const std::uint8_t* cr, int count, int chromaStep, std::uint8_t* out);

// The same conversion computed sixteen pixels at a time, with results equal
// to the tables', for one line or for two lines that share a chroma row (y2
// and out2 null for one). Converts `count` rounded up to a multiple of 32
// pixels: the caller's rows and outputs must have room for them.
void convertYCbCrLinesWide(const std::uint8_t* y, const std::uint8_t* y2, const std::uint8_t* cb,
                           const std::uint8_t* cr, int count, int chromaStep, std::uint8_t* out,
                           std::uint8_t* out2);

// Interleaves three full-width component lines that are R, G and B already
// into R, G, B, 0 pixels.
void convertRgbLine(const std::uint8_t* r, const std::uint8_t* g, const std::uint8_t* b, int count,
                    std::uint8_t* out);
// The same, 16 pixels at a time: converts `count` rounded up to a multiple
// of 16 pixels.
void convertRgbLineWide(const std::uint8_t* r, const std::uint8_t* g, const std::uint8_t* b,
                        int count, std::uint8_t* out);

// Upsampling by replication of a component line with horizontal sampling
// factor h to the finest factor hMax: out[x] = in[x * h / hMax] for x below
// `count`.
void upsampleRow(const std::uint8_t* in, int h, int hMax, int count, std::uint8_t* out);
// The same, 32 output samples at a time where hMax is twice h (other ratios
// as upsampleRow): writes `count` rounded up to a multiple of 32 samples.
void upsampleRowWide(const std::uint8_t* in, int h, int hMax, int count, std::uint8_t* out);
