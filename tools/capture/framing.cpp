#include "tools/capture/framing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// sRGB transfer tables: byte to linear light in 16 bits, and back.
struct TransferTables {
    std::array<std::uint16_t, 256> toLinear{};
    std::array<std::uint8_t, 65536> toEncoded{};

    TransferTables() {
        auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        for (int i = 0; i < 256; ++i)
            toLinear[i] = static_cast<std::uint16_t>(std::lround(linear(i / 255.0) * 65535.0));
        // Each linear value goes to the byte whose linear value is nearest.
        int byte = 0;
        for (int v = 0; v < 65536; ++v) {
            while (byte < 255 && std::abs(toLinear[byte + 1] - v) <= std::abs(toLinear[byte] - v))
                ++byte;
            toEncoded[v] = static_cast<std::uint8_t>(byte);
        }
    }
};

const TransferTables& tables() {
    static const TransferTables theTables;
    return theTables;
}

}  // namespace

PictureArea pictureArea(int width, int height) {
    PictureArea area;
    if (static_cast<long>(width) * 3 >= static_cast<long>(height) * 4) {
        area.height = height;
        area.width = std::min(width, static_cast<int>(std::lround(height * 4.0 / 3.0)));
    } else {
        area.width = width;
        area.height = std::min(height, static_cast<int>(std::lround(width * 3.0 / 4.0)));
    }
    area.x = (width - area.width) / 2;
    area.y = (height - area.height) / 2;
    return area;
}

void placePicture(const std::uint8_t* picture, int factor, PictureArea area, int frameWidth,
                  std::uint8_t* frame) {
    const size_t rowBytes = static_cast<size_t>(area.width) * 4;
    const size_t pictureRow = rowBytes * factor;
    auto frameRow = [&](int y) {
        return frame + (static_cast<size_t>(area.y + y) * frameWidth + area.x) * 4;
    };
    if (factor == 1) {
        for (int y = 0; y < area.height; ++y)
            std::memcpy(frameRow(y), picture + (area.height - 1 - y) * pictureRow, rowBytes);
        return;
    }
    const TransferTables& t = tables();
    const unsigned blockSize = static_cast<unsigned>(factor * factor);
    std::vector<std::uint32_t> sums(static_cast<size_t>(area.width) * 3);
    for (int y = 0; y < area.height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        // Picture rows bottom first: output row y comes from the block that
        // ends `y` blocks from the top.
        const int firstRow = (area.height - 1 - y) * factor;
        for (int r = 0; r < factor; ++r) {
            const std::uint8_t* in = picture + (firstRow + r) * pictureRow;
            for (int x = 0; x < area.width; ++x) {
                std::uint32_t* sum = &sums[static_cast<size_t>(x) * 3];
                for (int s = 0; s < factor; ++s, in += 4) {
                    sum[0] += t.toLinear[in[0]];
                    sum[1] += t.toLinear[in[1]];
                    sum[2] += t.toLinear[in[2]];
                }
            }
        }
        std::uint8_t* out = frameRow(y);
        const std::uint8_t* top = picture + (firstRow + factor - 1) * pictureRow;
        for (int x = 0; x < area.width; ++x, out += 4) {
            const std::uint32_t* sum = &sums[static_cast<size_t>(x) * 3];
            for (int c = 0; c < 3; ++c) out[c] = t.toEncoded[(sum[c] + blockSize / 2) / blockSize];
            out[3] = top[static_cast<size_t>(x) * factor * 4 + 3];
        }
    }
}
