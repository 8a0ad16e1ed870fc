#pragma once
// Decoded texture pictures laid out for GL: rows bottom-up, so the first
// picture line becomes the last texture row (the top of the picture lies at
// t = 1).
#include <cstdint>
#include <vector>

#include "texturing/byte_source.h"

// A colour picture, 3 bytes per pixel.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rows;
};

// Decodes the colour JPEG of `source`. False when the decoder rejects the
// file, when it is not a colour picture (the loaders take 4 bytes per pixel
// from every line) and when decoding fails part-way; no line that was not
// delivered is ever read.
bool decodeRgbPicture(ByteSource& source, RgbPicture& picture);

// Decodes the JPEG of `alphaSource`, whose green channel is the opacity, and
// combines it with `colour` into 4-byte pixels: row 0 stays transparent
// black, and alpha line k goes to row max(H - 1 - k, 1), with the colour of
// that same row. False as for decodeRgbPicture, and when the alpha picture's
// size differs from the colour picture's.
bool decodeRgbaPicture(ByteSource& alphaSource, const RgbPicture& colour,
                       std::vector<std::uint8_t>& rgba);
