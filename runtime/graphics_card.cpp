#include "runtime/graphics_card.h"

#include <GL/gl.h>

#include <string_view>

#include "runtime/render_context.h"

namespace {

struct RendererRow {
    const char* substring;
    double speedFactor;
};

// Tested in order; every match overwrites the factor, so the last one wins.
constexpr RendererRow kRendererRows[] = {
    {"59", 1.4},    {"58", 1.2},   {"9600", 1.5}, {"9700", 2.0},  {"9800", 2.75},
    {"X800", 2.95}, {"X600", 1.8}, {"X300", 1.6}, {"6800", 2.95},
};

bool contains(std::string_view text, const char* part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace

GraphicsCardClass classifyGraphicsCard(const char* vendor, const char* renderer) {
    const std::string_view vendorText = vendor ? vendor : "";
    const std::string_view rendererText = renderer ? renderer : "";
    GraphicsCardClass result;
    result.speedFactor = 1.0;
    result.vendorIsAti = false;
    if (contains(vendorText, "ATI")) {
        result.vendorIsAti = true;
        result.speedFactor = 1.5;
    }
    result.cardNumber = 0;
    if (contains(rendererText, "5200")) result.cardNumber = 5200;
    for (const RendererRow& row : kRendererRows) {
        if (contains(rendererText, row.substring)) result.speedFactor = row.speedFactor;
    }
    return result;
}

void RenderContext::detectGraphicsCard() {
    const auto* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const GraphicsCardClass card = classifyGraphicsCard(vendor, renderer);
    vendorIsAti = card.vendorIsAti;
    speedFactor = card.speedFactor;
    cardNumber = card.cardNumber;
}
