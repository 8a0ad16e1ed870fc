#pragma once
// Classification of the graphics card by the GL vendor and renderer strings.
#include <cstdint>

struct GraphicsCardClass {
    bool vendorIsAti = false;
    double speedFactor = 1.0;
    std::int32_t cardNumber = 0;
};

// Plain case-sensitive substring tests; a null string counts as empty.
GraphicsCardClass classifyGraphicsCard(const char* vendor, const char* renderer);
