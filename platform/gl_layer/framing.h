#pragma once
// Framing: the program draws for a window of a fixed size; the drawing
// buffer may be larger (a browser canvas at the screen's device pixels).
// The picture is then drawn at the buffer's resolution in its largest
// centred area of the window's shape, with the window's viewports, point
// sizes and line widths scaled to that area, as the capture tool renders
// a larger frame; the bars around it are left to the clear.
#include <array>

namespace gl_layer {

struct Framing {
    int windowWidth = 0;  // 0: no framing, the buffer is the window
    int windowHeight = 0;
    int x = 0;  // the area's lower left corner in the buffer
    int y = 0;
    int width = 0;  // the area's size in the buffer
    int height = 0;
    double scale = 1.0;  // buffer pixels per window pixel, vertically
};

// The framing of a `windowWidth` by `windowHeight` window in a drawing
// buffer of `bufferWidth` by `bufferHeight` pixels.
Framing frameWindow(int windowWidth, int windowHeight, int bufferWidth, int bufferHeight);

// A viewport given in window pixels, in the buffer's pixels.
std::array<int, 4> framedViewport(const Framing& framing, const std::array<int, 4>& viewport);

}  // namespace gl_layer
