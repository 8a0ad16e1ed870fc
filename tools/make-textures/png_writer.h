#pragma once
// Writes an 8-bit RGBA picture (top row first) as a PNG file with libpng.
#include <cstdint>
#include <string>
#include <vector>

// Throws std::runtime_error when the file cannot be written.
void writePngRgba(const std::string& path, int width, int height,
                  const std::vector<std::uint8_t>& rgba);
