#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes RGBA rows (top row first) as an RGB PNG; false when it cannot.
bool writeFramePng(const std::string& path, const std::vector<std::uint8_t>& rgba, int width,
                   int height);
