#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes RGBA (4 bytes per pixel) or RGB (3) rows, top row first, as a PNG.
bool writePng(const std::string& path, const std::vector<std::uint8_t>& pixels, int width,
              int height, int channels);

// Reads a PNG as RGB rows (3 bytes per pixel), top row first; false when it
// cannot be read.
bool readPngRgb(const std::string& path, std::vector<std::uint8_t>& pixels, int& width,
                int& height);
