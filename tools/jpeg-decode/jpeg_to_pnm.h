#pragma once
// A decoded JPEG as the bytes of a binary PPM (colour) or PGM (grey) file.
#include <cstdint>
#include <vector>

class JpegDecoder;

// Runs `begin` and every `decodeLine` of a decoder whose header has been
// read, and lays the picture out in `pnm` ("P6"/"P5" header, then the rows
// top first, RGB or grey). Returns 0, or the decoder's negative error code
// with `pnm` left empty.
int decodeToPnm(JpegDecoder& decoder, std::vector<std::uint8_t>& pnm);
