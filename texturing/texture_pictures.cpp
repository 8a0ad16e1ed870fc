#include "texturing/texture_pictures.h"

#include <algorithm>
#include <cstddef>

#include "texturing/jpeg_decoder.h"

namespace {

// Runs `begin` and then `decodeLine` once per picture line, handing each
// line to onLine(k, line). Colour lines only (4 bytes per pixel): a
// greyscale picture, a failure in the middle or a picture that ends early
// returns false before any undelivered line is touched.
template <typename OnLine>
bool decodeColourLines(JpegDecoder& decoder, int width, int height, OnLine onLine) {
    if (width <= 0 || height <= 0) return false;
    if (decoder.begin() != 0) return false;
    for (int k = 0; k < height; ++k) {
        const std::uint8_t* line = nullptr;
        int length = 0;
        if (decoder.decodeLine(&line, &length) != 0) return false;
        if (line == nullptr || length != width * 4) return false;
        onLine(k, line);
    }
    return true;
}

}  // namespace

bool decodeRgbPicture(ByteSource& source, RgbPicture& picture) {
    JpegDecoder decoder(&source, true);
    if (decoder.errorCode() != 0) return false;
    const int width = decoder.width(), height = decoder.height();
    if (width <= 0 || height <= 0) return false;
    picture.width = width;
    picture.height = height;
    picture.rows.assign(static_cast<std::size_t>(width) * height * 3, 0);
    return decodeColourLines(decoder, width, height, [&](int k, const std::uint8_t* line) {
        std::uint8_t* row =
            picture.rows.data() + static_cast<std::size_t>(height - 1 - k) * width * 3;
        for (int x = 0; x < width; ++x) {
            row[x * 3 + 0] = line[x * 4 + 0];
            row[x * 3 + 1] = line[x * 4 + 1];
            row[x * 3 + 2] = line[x * 4 + 2];
        }
    });
}

bool decodeRgbaPicture(ByteSource& alphaSource, const RgbPicture& colour,
                       std::vector<std::uint8_t>& rgba) {
    JpegDecoder decoder(&alphaSource, true);
    if (decoder.errorCode() != 0) return false;
    const int width = decoder.width(), height = decoder.height();
    // Every pixel's colour comes from the colour picture, so the alpha
    // picture must have exactly its size.
    if (width != colour.width || height != colour.height || width <= 0 || height <= 0) {
        return false;
    }
    rgba.assign(static_cast<std::size_t>(width) * height * 4, 0);
    return decodeColourLines(decoder, width, height, [&](int k, const std::uint8_t* line) {
        const int row = std::max(height - 1 - k, 1);
        if (row >= height) return;  // a one-row picture has no row 1
        const std::uint8_t* from = colour.rows.data() + static_cast<std::size_t>(row) * width * 3;
        std::uint8_t* to = rgba.data() + static_cast<std::size_t>(row) * width * 4;
        for (int x = 0; x < width; ++x) {
            to[x * 4 + 0] = from[x * 3 + 0];
            to[x * 4 + 1] = from[x * 3 + 1];
            to[x * 4 + 2] = from[x * 3 + 2];
            to[x * 4 + 3] = line[x * 4 + 1];
        }
    });
}
