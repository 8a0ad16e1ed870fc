#include "platform/gl_layer/framing.h"

#include <algorithm>
#include <cmath>

namespace gl_layer {

Framing frameWindow(int windowWidth, int windowHeight, int bufferWidth, int bufferHeight) {
    Framing f;
    if (windowWidth <= 0 || windowHeight <= 0 || bufferWidth <= 0 || bufferHeight <= 0) return f;
    f.windowWidth = windowWidth;
    f.windowHeight = windowHeight;
    const double aspect = static_cast<double>(windowWidth) / windowHeight;
    if (static_cast<long>(bufferWidth) * windowHeight >=
        static_cast<long>(bufferHeight) * windowWidth) {
        f.height = bufferHeight;
        f.width = std::min(bufferWidth, static_cast<int>(std::lround(bufferHeight * aspect)));
    } else {
        f.width = bufferWidth;
        f.height = std::min(bufferHeight, static_cast<int>(std::lround(bufferWidth / aspect)));
    }
    f.x = (bufferWidth - f.width) / 2;
    f.y = (bufferHeight - f.height) / 2;
    f.scale = static_cast<double>(f.height) / windowHeight;
    return f;
}

std::array<int, 4> framedViewport(const Framing& f, const std::array<int, 4>& viewport) {
    if (f.windowWidth == 0) return viewport;
    const double sx = static_cast<double>(f.width) / f.windowWidth;
    const double sy = f.scale;
    const int left = f.x + static_cast<int>(std::lround(viewport[0] * sx));
    const int bottom = f.y + static_cast<int>(std::lround(viewport[1] * sy));
    const int right = f.x + static_cast<int>(std::lround((viewport[0] + viewport[2]) * sx));
    const int top = f.y + static_cast<int>(std::lround((viewport[1] + viewport[3]) * sy));
    return {left, bottom, right - left, top - bottom};
}

}  // namespace gl_layer
