#pragma once
// Writes an 8-bit RGB picture as a JPEG file with libjpeg-turbo's encoder.
#include <cstdint>
#include <string>
#include <vector>

struct JpegOptions {
    int quality = 90;
    bool progressive = false;
    // Chroma sampled at full resolution (4:4:4) or halved both ways (4:2:0).
    bool fullChroma = true;
    // Restart marker every this many MCU rows (0: none).
    int restartRows = 0;
};

// Throws std::runtime_error when the file cannot be written.
void writeJpeg(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
               const JpegOptions& options);
