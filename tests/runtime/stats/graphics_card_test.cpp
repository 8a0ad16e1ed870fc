#include "runtime/graphics_card.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* vendor;
    const char* renderer;
    bool ati;
    double factor;
    int card;
};

TEST(GraphicsCard, VendorAndRendererRowsWithTheLastMatchWinning) {
    const Case cases[] = {
        {"NVIDIA Corporation", "GeForce FX 5900/AGP/SSE2", false, 1.4, 0},
        {"NVIDIA Corporation", "GeForce FX 5800", false, 1.2, 0},
        {"ATI Technologies Inc.", "RADEON 9800 PRO", true, 2.75, 0},
        {"ATI Technologies Inc.", "RADEON 9600 XT", true, 1.5, 0},
        {"ATI Technologies Inc.", "RADEON 9700", true, 2.0, 0},
        {"ATI Technologies Inc.", "RADEON X800 XT", true, 2.95, 0},
        {"ATI Technologies Inc.", "RADEON X600", true, 1.8, 0},
        {"ATI Technologies Inc.", "RADEON X300", true, 1.6, 0},
        {"ATI Technologies Inc.", "RADEON 7000", true, 1.5, 0},
        {"NVIDIA Corporation", "GeForce 6800 GT", false, 2.95, 0},
        {"Someone", "X800 and 6800", false, 2.95, 0},
        {"Someone", "6800 before X300", false, 2.95, 0},  // row order, not text order
        {"Someone", "5958", false, 1.2, 0},               // "59" then "58"
        {"ATI", "59", true, 1.4, 0},
        {"Intel", "59", false, 1.4, 0},
        {"NVIDIA Corporation", "GeForce FX 5200/AGP", false, 1.0, 5200},
        {"ATI", "5200", true, 1.5, 5200},
        {"Someone", "5200 X300", false, 1.6, 5200},
        {"Mesa", "llvmpipe (LLVM 15.0.6, 256 bits)", false, 1.0, 0},
        {"ati", "x800", false, 1.0, 0},  // case-sensitive
        {"", "", false, 1.0, 0},
        {nullptr, nullptr, false, 1.0, 0},
        {"ATI", nullptr, true, 1.5, 0},
        {nullptr, "RADEON 9800", false, 2.75, 0},
    };
    for (const Case& c : cases) {
        const GraphicsCardClass r = classifyGraphicsCard(c.vendor, c.renderer);
        const char* v = c.vendor ? c.vendor : "(null)";
        const char* n = c.renderer ? c.renderer : "(null)";
        EXPECT_EQ(r.vendorIsAti, c.ati) << v << " / " << n;
        EXPECT_DOUBLE_EQ(r.speedFactor, c.factor) << v << " / " << n;
        EXPECT_EQ(r.cardNumber, c.card) << v << " / " << n;
    }
}

}  // namespace
