#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes BGRA rows (top row first) as an RGB PNG; false with `error` set
// (the file and the reason) when it cannot.
bool writeFramePng(const std::string& path, const std::vector<std::uint8_t>& bgra, int width,
                   int height, std::string& error);
